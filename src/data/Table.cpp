#include "data/Table.h"

#include "data/Database.h"
#include "data/DateText.h"
#include "data/OrvetError.h"
#include "settings/NumberText.h"

#include <QFile>
#include <QSet>
#include <QSqlRecord>

Table::Table(Database &db, const QString &fileName, const QString &tableName, const FieldList &fields,
             QObject *parent)
    : QAbstractTableModel(parent), m_db(&db), m_fileName(fileName), m_tableName(tableName), m_fields(fields) {
    for (const FieldDef &f : m_fields)
        m_titles.append(f.name);
    db.registerTable(this);
}

Table::~Table() {
    if (m_db)
        m_db->unregisterTable(this);
}

Database &Table::db() const {
    if (!m_db)
        throw OrvetError(QStringLiteral("Таблица %1 закрыта").arg(m_fileName));
    return *m_db;
}

int Table::fieldIndex(const QString &name) const {
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

bool Table::exists() const { return QFile::exists(db().pathOf(m_fileName)); }

QString Table::qualifiedName() { return QStringLiteral("\"%1\".\"%2\"").arg(m_schema, m_tableName); }

// Engine errors name no file; the user needs to know which one is at fault.
template <typename F> static void namingFile(const QString &fileName, const QString &what, F &&body) {
    try {
        body();
    } catch (const OrvetError &e) {
        if (e.message().contains(fileName))
            throw;
        throw OrvetError(what.arg(fileName) + QStringLiteral(": ") + e.message());
    }
}

void Table::create() {
    namingFile(m_fileName, QStringLiteral("Не удалось создать таблицу %1"), [this] { createTable(); });
}

void Table::open() {
    namingFile(m_fileName, QStringLiteral("Не удалось открыть таблицу %1"), [this] { openTable(); });
}

void Table::createTable() {
    close();
    m_schema = db().schemaFor(m_fileName);
    QStringList cols;
    for (const FieldDef &f : m_fields)
        cols.append(QStringLiteral("\"%1\" %2").arg(f.name, f.sqlType()));
    db().exec(QStringLiteral("CREATE TABLE %1 (%2)").arg(qualifiedName(), cols.join(QStringLiteral(", "))));
    for (const QString &field : std::as_const(m_createIndexes))
        db().exec(QStringLiteral("CREATE INDEX \"%1\".\"%2_%3\" ON \"%2\" (\"%3\")")
                      .arg(m_schema, m_tableName, field));
}

void Table::openTable() {
    m_schema = db().schemaFor(m_fileName);
    QSqlQuery q = db().exec(QStringLiteral("PRAGMA \"%1\".table_info(\"%2\")").arg(m_schema, m_tableName));
    QSet<QString> present;
    while (q.next())
        present.insert(q.value(1).toString().toUpper());
    if (present.isEmpty())
        throw OrvetError(QStringLiteral("В файле %1 нет таблицы %2").arg(m_fileName, m_tableName));
    for (const FieldDef &f : m_fields)
        if (!present.contains(f.name.toUpper()))
            throw OrvetError(QStringLiteral("В таблице %1 нет поля %2").arg(m_fileName, f.name));
    m_open = true;
    invalidate();
}

void Table::close() {
    if (!m_open)
        return;
    m_open = false;
    invalidate();
}

void Table::requireOpen() const {
    if (!m_open)
        throw OrvetError(QStringLiteral("Таблица %1 не открыта").arg(m_fileName));
}

void Table::invalidate() {
    if (m_current >= 0 && m_current < m_rows.size() && !m_wantId && !m_wantRow)
        m_wantId = m_rows[m_current].value(0).toLongLong();
    if (m_disabled > 0) {
        m_stale = true;
        m_resetPending = true;
        return;
    }
    // Views learn of the change from the reset and read the rows when they
    // need them; nothing is read here.
    beginResetModel();
    m_stale = true;
    endResetModel();
}

void Table::ensureLoaded() const {
    if (m_stale)
        load();
}

void Table::load() const {
    m_stale = false;
    m_rows.clear();
    if (!m_open || !m_db) {
        m_current = -1;
        return;
    }
    QStringList cols;
    for (const FieldDef &f : m_fields)
        cols.append(QStringLiteral("\"%1\"").arg(f.name));
    QString sql = QStringLiteral("SELECT %1 FROM \"%2\".\"%3\"")
                      .arg(cols.join(QStringLiteral(", ")), m_schema, m_tableName);
    QVariantList binds;
    if (m_filtered && !m_where.where.isEmpty()) {
        sql += QStringLiteral(" WHERE ") + m_where.where;
        binds = m_where.binds;
    }
    sql += QStringLiteral(" ORDER BY \"ID\"");
    QSqlQuery q = m_db->exec(sql, binds);
    const int n = int(m_fields.size());
    while (q.next()) {
        QVariantList row;
        row.reserve(n);
        for (int i = 0; i < n; ++i)
            row.append(fromStorage(m_fields[i], q.value(i)));
        m_rows.append(row);
    }
    int row = m_rows.isEmpty() ? -1 : 0;
    if (m_wantId) {
        for (int i = 0; i < m_rows.size(); ++i)
            if (m_rows[i].value(0).toLongLong() == *m_wantId) {
                row = i;
                break;
            }
    } else if (m_wantRow) {
        row = qMin(*m_wantRow, int(m_rows.size()) - 1);
    }
    m_wantId.reset();
    m_wantRow.reset();
    m_current = row;
    m_eof = m_rows.isEmpty();
}

QVariant Table::fromStorage(const FieldDef &f, const QVariant &v) const {
    if (v.isNull())
        return QVariant();
    switch (f.type) {
    case FieldType::AutoInc:
    case FieldType::Integer:
        return v.toLongLong();
    case FieldType::Float:
        return v.toDouble();
    case FieldType::Date:
        return QDate::fromString(v.toString().left(10), Qt::ISODate);
    case FieldType::String:
        return v.toString();
    }
    return v;
}

QVariant Table::toStorage(const FieldDef &f, const QVariant &v) const {
    if (!v.isValid() || v.isNull())
        return QVariant();
    switch (f.type) {
    case FieldType::AutoInc:
    case FieldType::Integer:
        return v.toLongLong();
    case FieldType::Float:
        return v.toDouble();
    case FieldType::Date: {
        const QDate d = v.typeId() == QMetaType::QDate ? v.toDate() : DateText::fromText(v.toString());
        return d.isValid() ? QVariant(d.toString(Qt::ISODate)) : QVariant();
    }
    case FieldType::String:
        return v.toString().left(f.size); // SQLite would keep the whole text
    }
    return v;
}

int Table::recordCount() const {
    ensureLoaded();
    return int(m_rows.size());
}

void Table::moveTo(int row, bool eof) {
    ensureLoaded();
    const int old = m_current;
    m_current = m_rows.isEmpty() ? -1 : qBound(0, row, int(m_rows.size()) - 1);
    m_eof = eof || m_rows.isEmpty();
    if (old != m_current && m_disabled == 0)
        emit currentRowChanged(m_current);
}

void Table::first() { moveTo(0, false); }

void Table::next() {
    ensureLoaded();
    if (m_current + 1 >= m_rows.size())
        moveTo(m_current, true);
    else
        moveTo(m_current + 1, false);
}

void Table::last() {
    ensureLoaded();
    moveTo(int(m_rows.size()) - 1, false);
}

bool Table::eof() const {
    ensureLoaded();
    return m_eof;
}

int Table::currentRow() const {
    ensureLoaded();
    return m_current;
}

void Table::setCurrentRow(int row) {
    ensureLoaded();
    if (row != m_current)
        moveTo(row, false);
}

QVariant Table::valueAt(int row, const QString &field) const {
    ensureLoaded();
    const int col = fieldIndex(field);
    if (col < 0)
        throw OrvetError(QStringLiteral("%1: Field '%2' not found").arg(m_tableName, field));
    if (row < 0 || row >= m_rows.size())
        return QVariant();
    return m_rows[row].value(col);
}

QVariant Table::value(const QString &field) const { return valueAt(currentRow(), field); }

qint64 Table::insertRecord(const QVariantList &values) {
    requireOpen();
    QStringList cols, marks;
    QVariantList binds;
    for (int i = 1; i < m_fields.size(); ++i) {
        cols.append(QStringLiteral("\"%1\"").arg(m_fields[i].name));
        marks.append(QStringLiteral("?"));
        binds.append(toStorage(m_fields[i], values.value(i)));
    }
    QSqlQuery q = db().exec(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                .arg(qualifiedName(), cols.join(QStringLiteral(", ")), marks.join(QStringLiteral(", "))),
                            binds);
    const qint64 id = q.lastInsertId().toLongLong();
    m_wantRow.reset();
    m_wantId = id;
    invalidate();
    return id;
}

void Table::deleteCurrent() {
    requireOpen();
    ensureLoaded();
    if (m_current < 0)
        return;
    const int row = m_current;
    db().exec(QStringLiteral("DELETE FROM %1 WHERE \"ID\" = ?").arg(qualifiedName()),
              {m_rows[row].value(0)});
    m_wantId.reset();
    m_wantRow = row;
    invalidate();
}

static FilterParser::Result parsed(const FieldList &fields, const QString &text) {
    // An empty filter shows every record.
    return text.trimmed().isEmpty() ? FilterParser::Result() : FilterParser(fields).parse(text);
}

void Table::setFilter(const QString &text) {
    if (m_filtered)
        m_where = parsed(m_fields, text);
    m_filter = text;
    if (m_filtered)
        invalidate();
}

void Table::setFiltered(bool on) {
    if (on == m_filtered)
        return;
    if (on)
        m_where = parsed(m_fields, m_filter);
    m_filtered = on;
    m_wantId.reset();
    m_wantRow = 0; // a new view starts at its first record
    invalidate();
}

static bool sameValue(const QVariant &a, const QVariant &b, FieldType type) {
    if (a.isNull() || b.isNull())
        return a.isNull() && b.isNull();
    switch (type) {
    case FieldType::AutoInc:
    case FieldType::Integer:
        return a.toLongLong() == b.toLongLong();
    case FieldType::Float:
        return a.toDouble() == b.toDouble();
    case FieldType::Date:
        return a.toDate() == (b.typeId() == QMetaType::QDate ? b.toDate() : DateText::fromText(b.toString()));
    case FieldType::String:
        return a.toString() == b.toString();
    }
    return false;
}

bool Table::locate(const QString &field, const QVariant &v) {
    ensureLoaded();
    const int col = fieldIndex(field);
    if (col < 0)
        throw OrvetError(QStringLiteral("%1: Field '%2' not found").arg(m_tableName, field));
    for (int i = 0; i < m_rows.size(); ++i)
        if (sameValue(m_rows[i].value(col), v, m_fields[col].type)) {
            moveTo(i, false);
            return true;
        }
    return false;
}

QVariant Table::lookup(const QString &keyField, const QVariant &v, const QString &resultField) const {
    ensureLoaded();
    const int col = fieldIndex(keyField);
    const int res = fieldIndex(resultField);
    if (col < 0 || res < 0)
        throw OrvetError(QStringLiteral("%1: Field '%2' not found").arg(m_tableName, col < 0 ? keyField : resultField));
    for (const QVariantList &row : std::as_const(m_rows))
        if (sameValue(row.value(col), v, m_fields[col].type))
            return row.value(res);
    return QVariant();
}

void Table::disableControls() { ++m_disabled; }

void Table::enableControls() {
    if (m_disabled == 0 || --m_disabled > 0)
        return;
    if (m_resetPending) {
        m_resetPending = false;
        beginResetModel();
        endResetModel();
    }
    if (!m_stale)
        emit currentRowChanged(m_current);
}

int Table::rowCount(const QModelIndex &parent) const {
    if (parent.isValid())
        return 0;
    return recordCount();
}

int Table::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : int(m_fields.size()); }

QVariant Table::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::TextAlignmentRole && role != Qt::EditRole))
        return QVariant();
    ensureLoaded();
    if (index.row() >= m_rows.size() || index.column() >= m_fields.size())
        return QVariant();
    const FieldDef &f = m_fields[index.column()];
    if (role == Qt::TextAlignmentRole)
        return f.type == FieldType::String || f.type == FieldType::Date
                   ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                   : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    const QVariant v = m_rows[index.row()].value(index.column());
    if (role == Qt::EditRole || v.isNull())
        return v;
    switch (f.type) {
    case FieldType::Date:
        return DateText::toText(v.toDate());
    case FieldType::Float:
        return NumberText::general(v.toDouble());
    default:
        return v.toString();
    }
}

QVariant Table::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_titles.size())
        return m_titles[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}

bool Table::setHeaderData(int section, Qt::Orientation orientation, const QVariant &value, int role) {
    if (orientation != Qt::Horizontal || section < 0 || section >= m_titles.size() ||
        (role != Qt::EditRole && role != Qt::DisplayRole))
        return false;
    m_titles[section] = value.toString();
    emit headerDataChanged(orientation, section, section);
    return true;
}
