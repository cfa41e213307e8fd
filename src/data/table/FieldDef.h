#pragma once

#include <QList>
#include <QString>

enum class FieldType { AutoInc, Integer, Date, String, Float };

struct FieldDef {
    QString name;
    FieldType type;
    int size = 0; // characters, for strings

    QString sqlType() const;
};

using FieldList = QList<FieldDef>;
