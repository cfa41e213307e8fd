#pragma once

#include "report/ReportDataSource.h"

#include <QList>

// Rows held in memory: what tests, benchmarks and small callers hand to the
// report engine.
class ListDataSource : public ReportDataSource {
public:
    using Row = QList<QVariant>;

    ListDataSource(const QString &name, const QStringList &fieldNames, const QList<Row> &rows = {});

    QString name() const override { return m_name; }
    QStringList fieldNames() const override { return m_fieldNames; }
    void first() override { m_pos = 0; }
    void next() override;
    bool eof() const override { return m_pos >= m_rows.size(); }
    QVariant value(const QString &field) const override;

    void setRows(const QList<Row> &rows);
    void appendRow(const Row &row) { m_rows.append(row); }
    int rowCount() const { return int(m_rows.size()); }
    // Positions the cursor on a row, as a table's current record.
    void setPosition(int row) { m_pos = row; }

private:
    QString m_name;
    QStringList m_fieldNames;
    QList<Row> m_rows;
    qsizetype m_pos = 0;
};
