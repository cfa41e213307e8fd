#include "data/table/TableDataSource.h"

#include "data/table/Table.h"

QStringList TableDataSource::fieldNames() const {
    QStringList names;
    for (const FieldDef &f : m_table.fields())
        names.append(f.name);
    return names;
}

void TableDataSource::first() { m_table.first(); }

void TableDataSource::next() { m_table.next(); }

bool TableDataSource::eof() const { return m_table.eof(); }

QVariant TableDataSource::value(const QString &field) const {
    if (m_table.fieldIndex(field) < 0 || m_table.currentRow() < 0)
        return QVariant();
    return m_table.value(field);
}
