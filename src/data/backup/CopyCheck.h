#pragma once

#include "data/table/FieldDef.h"

#include <QList>
#include <QString>

class Table;

// What a copy of the four table files must be before it may be listed or
// put in the tables' place: every file there, whole by SQLite's own check,
// and holding its table with every field the program reads.
class CopyCheck {
public:
    struct TableSpec {
        QString fileName;
        QString tableName;
        FieldList fields;
    };
    static QList<TableSpec> specsOf(const QList<Table *> &tables);

    // Throws OrvetError naming the file and what is wrong with it.
    static void check(const QString &folder, const QList<TableSpec> &tables);

    // What the restore list shows of a copy, read from its waybill file.
    struct Summary {
        int waybills = 0;
        QString lastMonth, lastYear, lastNumber; // of the waybill entered last
    };
    // Throws OrvetError when the file cannot be read.
    static Summary summary(const QString &folder, const TableSpec &waybills);
};
