#pragma once

#include "report/ReportDataSource.h"

class Table;

// Hands a table to the report engine under a name: the engine walks the
// table's own rows, with whatever filter is in force, and reads its current
// record.
class TableDataSource : public ReportDataSource {
public:
    TableDataSource(const QString &name, Table &table) : m_name(name), m_table(table) {}

    QString name() const override { return m_name; }
    QStringList fieldNames() const override;
    void first() override;
    void next() override;
    bool eof() const override;
    QVariant value(const QString &field) const override;

private:
    QString m_name;
    Table &m_table;
};
