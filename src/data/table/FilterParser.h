#pragma once

#include "data/table/FieldDef.h"

#include <QVariantList>

// Turns a filter text such as "IDJOIN=5" or
// "DATE>='01.12.2024' and DATE<='31.12.2024'" into a parameterised WHERE
// clause. No part of the text reaches SQL unparsed: field names must be
// fields of the table, values become bound parameters.
class FilterParser {
public:
    struct Result {
        QString where; // without the WHERE keyword
        QVariantList binds;
    };

    explicit FilterParser(const FieldList &fields) : m_fields(fields) {}

    // Throws OrvetError naming what is wrong.
    Result parse(const QString &text) const;

private:
    FieldList m_fields;
};
