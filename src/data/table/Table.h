#pragma once

#include "data/table/FieldDef.h"
#include "data/table/FilterParser.h"

#include "core/CurrentRowModel.h"
#include <QDate>
#include <QHash>
#include <QSet>
#include <QVariant>
#include <QVector>
#include <optional>

class Database;

// One table file of the working directory, read in ascending ID order with a
// current record, a text filter, and a Qt model for the grids that show it.
// The rows are read lazily: a change only marks them stale; the next look
// reads the IDs of the filtered rows, and the rows themselves are read in
// blocks as they are asked for, so a grid reads only what it shows.
class Table : public CurrentRowModel {
    Q_OBJECT
public:
    Table(Database &db, const QString &fileName, const QString &tableName, const FieldList &fields,
          QObject *parent = nullptr);
    ~Table() override;

    QString fileName() const { return m_fileName; }
    QString tableName() const { return m_tableName; }
    const FieldList &fields() const { return m_fields; }
    int fieldIndex(const QString &name) const; // -1 when unknown; case-insensitive
    // Secondary indexes made when the table is created.
    void setCreateIndexes(const QStringList &fieldNames) { m_createIndexes = fieldNames; }

    bool exists() const;
    void create();
    void open();
    void close();
    bool isOpen() const { return m_open; }

    // Navigation over the filtered rows.
    int recordCount() const;
    bool isEmpty() const { return recordCount() == 0; }
    void first();
    void next();
    void last();
    bool eof() const;
    int currentRow() const override; // -1 when empty
    void setCurrentRow(int row) override;

    // Field values of the current record; throws when there is none or the
    // field is unknown.
    QVariant value(const QString &field) const;
    // A value stored not of its field's type (text in a number or date
    // field, a number out of range) throws the engine's conversion error,
    // naming the table; a null reads as 0 or an invalid date.
    double asFloat(const QString &field) const { return floatOf(value(field)); }
    QString asString(const QString &field) const { return value(field).toString(); }
    int asInteger(const QString &field) const { return int(integerOf(value(field))); }
    QDate asDate(const QString &field) const { return dateOf(value(field)); }
    double floatOf(const QVariant &v) const;
    qlonglong integerOf(const QVariant &v) const;
    QDate dateOf(const QVariant &v) const;
    // Throws dateOf()'s error for the first value of a date field, in any
    // row, filter or not, that is not a date. A field that passed is not
    // read again until the rows may have changed outside the table's own
    // writes (which store only dates): invalidate(), a reopening, or a
    // commit of another connection to the file.
    void requireDates(const QString &field) const;
    QVariant valueAt(int row, const QString &field) const;

    // Inserts and posts a record from values in field order (ID is ignored
    // and assigned by the engine); the new record becomes current.
    // Returns the new ID.
    qint64 insertRecord(const QVariantList &values);
    // Many records at once, inside the caller's transaction: one statement
    // prepared for all of them, the rows read again once at the end.
    void insertRecords(const QList<QVariantList> &records);
    // Deletes the current record; the next one (or the new last) becomes current.
    void deleteCurrent();

    void setFilter(const QString &text);
    QString filter() const { return m_filter; }
    void setFiltered(bool on);
    bool filtered() const { return m_filtered; }

    bool locate(const QString &field, const QVariant &v);
    // Value of resultField in the first record whose keyField equals v; null when none.
    QVariant lookup(const QString &keyField, const QVariant &v, const QString &resultField) const;

    // Display updates of the grids are held back between these calls (nested).
    void disableControls();
    void enableControls();
    bool controlsDisabled() const override { return m_disabled > 0; }

    // The rows may have changed other than through this table (a rollback,
    // a statement of its own): they are read, and their types checked, again.
    void invalidate();
    void detachDatabase() { m_db = nullptr; }

    // QAbstractTableModel: one column per field, in field order.
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    Database &db() const;
    void createTable();
    void openTable();
    void reload(); // the rows read again, as after a change of the filter
    qint64 dataVersion() const;
    QString qualifiedName();
    void ensureCounted() const; // the count and the first rows' IDs at least
    void ensureLoaded() const;  // every ID
    void load(bool headOnly) const;
    void loadRest() const;
    QVector<qint64> readIds(int limit) const; // limit 0: all
    int shownCount() const;
    QString source() const;                   // "schema"."table"
    QString filterClause() const;             // the filter's condition in brackets, or empty
    QString filteredSource() const;           // source() with its WHERE, when filtered
    QVariantList filterBinds() const;         // the values the filter's condition binds
    const QVariantList &rowAt(int row) const; // row within the loaded IDs
    QVector<QVariantList> readBlock(int block) const;
    int rowOfId(qint64 id) const; // -1 when not among the rows
    int findFirst(int col, const QVariant &v) const;
    void forgetBlocksFrom(int row) const;
    bool addRow(qint64 id);
    int scanFor(int col, const QVariant &v) const;
    QVariant toStorage(const FieldDef &f, const QVariant &v) const;
    QVariant fromStorage(const FieldDef &f, const QVariant &v) const;
    void changed();
    void moveTo(int row, bool eof);
    void requireOpen() const;

    Database *m_db;
    QString m_fileName;
    QString m_tableName;
    FieldList m_fields;
    QStringList m_createIndexes;
    QString m_schema;
    bool m_open = false;

    QString m_filter;
    bool m_filtered = false;
    FilterParser::Result m_where;

    mutable QVector<qint64> m_ids;                      // of the filtered rows, ascending
    mutable bool m_partial = false;                     // m_ids holds only the first m_ids.size()
    mutable int m_count = 0;                            // of m_count rows
    mutable QHash<int, QVector<QVariantList>> m_blocks; // rows read so far, by block
    mutable bool m_stale = true;
    mutable int m_current = -1;
    mutable bool m_eof = false;
    mutable std::optional<qint64> m_wantId;  // record to make current after the next read
    mutable std::optional<int> m_wantRow;    // position to keep after a deletion
    mutable QSet<int> m_datesChecked;        // date columns found whole
    mutable qint64 m_datesCheckedAt = -1;    // at this data version of the file

    int m_disabled = 0;
    bool m_resetPending = false;
};
