#pragma once

#include "core/CurrentRowModel.h"
#include <QVariant>
#include <QVector>
#include <array>

// The waybill editor's day rows, held in memory until the waybill is stored.
// Ten fields in a fixed order (callers insert rows by position); every field
// may be empty. Like the tables it has its own current row, which the grid
// follows, and its display updates can be held back around long loops.
class MemoryData : public CurrentRowModel {
    Q_OBJECT
public:
    enum Field { ID, Chislo, Poezdka, VROUT, VRIN, ProbOut, ProbIN, Prob, Rashod, Change, FieldCount };
    using Row = std::array<QVariant, FieldCount>;

    explicit MemoryData(QObject *parent = nullptr);

    static QString fieldName(int field);
    // Case-insensitive; -1 for an unknown name.
    static int fieldIndex(const QString &name);
    // As fieldIndex, but throws OrvetError for an unknown name.
    static int field(const QString &name);

    // Opens the table empty.
    void clear();
    int recordCount() const { return int(m_rows.size()); }
    bool isEmpty() const { return m_rows.isEmpty(); }
    // Appends a row from values in field order; fields without a value stay
    // empty. The new row becomes current.
    void insertRecord(const QVariantList &values);
    // Ascending by Chislo as case-sensitive text, keeping the order of equal
    // days; the first row becomes current.
    void sortByChislo();

    void first();
    // Moving past the last row leaves it current and sets eof.
    void next();
    void last();
    bool eof() const { return m_eof; }
    int currentRow() const override { return m_current; } // -1 when empty
    void setCurrentRow(int row) override;

    // Values of the current row (null when there is none).
    QVariant value(int field) const { return valueAt(m_current, field); }
    QVariant value(const QString &name) const { return value(field(name)); }
    void setValue(int field, const QVariant &v) { setValueAt(m_current, field, v); }
    void setValue(const QString &name, const QVariant &v) { setValue(field(name), v); }
    // An empty number reads as 0, an empty text as "".
    double asFloat(int field) const { return floatAt(m_current, field); }
    int asInteger(int field) const { return integerAt(m_current, field); }
    QString asString(int field) const { return stringAt(m_current, field); }

    QVariant valueAt(int row, int field) const;
    void setValueAt(int row, int field, const QVariant &v);
    double floatAt(int row, int field) const { return valueAt(row, field).toDouble(); }
    int integerAt(int row, int field) const { return valueAt(row, field).toInt(); }
    QString stringAt(int row, int field) const { return valueAt(row, field).toString(); }
    const Row &rowAt(int row) const { return m_rows.at(row); }

    // Nested; while held back, value changes and moves of the current row
    // reach the views only when the last enableControls comes.
    void disableControls() { ++m_disabled; }
    void enableControls();
    bool controlsDisabled() const override { return m_disabled > 0; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    static QVariant normalized(int field, const QVariant &v);
    void moveTo(int row, bool eof);

    QVector<Row> m_rows;
    int m_current = -1;
    bool m_eof = true;
    int m_disabled = 0;
    int m_dirtyFirst = -1; // rows changed while the display was held back
    int m_dirtyLast = -1;
    bool m_movedWhileDisabled = false;
};
