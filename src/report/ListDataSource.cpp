#include "report/ListDataSource.h"

ListDataSource::ListDataSource(const QString &name, const QStringList &fieldNames, const QList<Row> &rows)
    : m_name(name), m_fieldNames(fieldNames), m_rows(rows) {}

void ListDataSource::next() {
    if (m_pos < m_rows.size())
        ++m_pos;
}

QVariant ListDataSource::value(const QString &field) const {
    if (m_pos < 0 || m_pos >= m_rows.size())
        return {};
    const int column = fieldIndex(field);
    const Row &row = m_rows.at(m_pos);
    if (column < 0 || column >= row.size())
        return {};
    return row.at(column);
}

void ListDataSource::setRows(const QList<Row> &rows) {
    m_rows = rows;
    m_pos = 0;
}
