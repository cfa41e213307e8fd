#include "data/table/Table.h"

#include "core/DateText.h"
#include "core/NumberText.h"
#include "core/OrvetError.h"
#include "data/table/Database.h"
#include "data/table/NewTableFile.h"

#include <QFile>
#include <QLocale>
#include <QSqlRecord>
#include <algorithm>
#include <cmath>

Table::Table(Database &db, const QString &fileName, const QString &tableName, const FieldList &fields,
             QObject *parent)
    : CurrentRowModel(parent), m_db(&db), m_fileName(fileName), m_tableName(tableName), m_fields(fields) {
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

bool Table::exists() const {
    return QFile::exists(db().pathOf(m_fileName));
}

QString Table::qualifiedName() {
    return QStringLiteral("\"%1\".\"%2\"").arg(m_schema, m_tableName);
}

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
    try {
        namingFile(m_fileName, QStringLiteral("Не удалось открыть таблицу %1"), [this] { openTable(); });
    } catch (const OrvetError &e) {
        // SQLite finds a file that is no database only at its first read;
        // the user is told what the guide says, the engine's words after it.
        if (!e.message().contains(QLatin1String("file is not a database")))
            throw;
        throw OrvetError(QStringLiteral("Файл %1 не является таблицей (%2)").arg(m_fileName, e.message()));
    }
}

void Table::createTable() {
    close();
    QStringList cols;
    for (const FieldDef &f : m_fields)
        cols.append(QStringLiteral("\"%1\" %2").arg(f.name, f.sqlType()));
    QStringList sql{
        QStringLiteral("CREATE TABLE \"%1\" (%2)").arg(m_tableName, cols.join(QStringLiteral(", ")))};
    for (const QString &field : std::as_const(m_createIndexes))
        sql.append(QStringLiteral("CREATE INDEX \"%1_%2\" ON \"%1\" (\"%2\")").arg(m_tableName, field));
    NewTableFile::create(db().pathOf(m_fileName), sql);
    m_schema = db().schemaFor(m_fileName);
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

// A table that did not open is not an empty one: a command reading it as
// empty would delete a waybill's header without its days, or store a month
// without them. The grids show nothing; every command fails before it writes.
void Table::requireOpen() const {
    if (!m_open)
        throw OrvetError(QStringLiteral("Cannot perform this operation on a closed dataset"));
}

void Table::invalidate() {
    m_datesChecked.clear();
    reload();
}

void Table::reload() {
    if (m_current >= 0 && m_current < m_ids.size() && !m_wantId && !m_wantRow)
        m_wantId = m_ids[m_current];
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

void Table::ensureCounted() const {
    if (m_stale)
        load(true);
}

void Table::ensureLoaded() const {
    if (m_stale)
        load(false);
    else if (m_partial)
        loadRest();
}

// Rows are read in blocks of this many; a grid shows a few dozen at most.
static constexpr int BlockRows = 64;
// Blocks kept before the cache starts afresh, so that walking a large
// table does not hold all of it.
static constexpr int MaxBlocks = 512;

QString Table::source() const {
    return QStringLiteral("\"%1\".\"%2\"").arg(m_schema, m_tableName);
}

QString Table::filteredSource() const {
    const QString where = filterClause();
    return where.isEmpty() ? source() : source() + QStringLiteral(" WHERE ") + where;
}

QVariantList Table::filterBinds() const {
    return filterClause().isEmpty() ? QVariantList() : m_where.binds;
}

QString Table::filterClause() const {
    return m_filtered && !m_where.where.isEmpty() ? QStringLiteral("(") + m_where.where + QStringLiteral(")")
                                                  : QString();
}

QVector<qint64> Table::readIds(int limit) const {
    // All IDs come back in one text: one row to step through instead of one
    // per record. The engine gives them in whatever order its plan reads
    // them (a plain scan: ascending); they are sorted here when not.
    const QString from = filteredSource();
    QSqlQuery q =
        m_db->exec(limit > 0 ? QStringLiteral("SELECT CAST(group_concat(\"ID\") AS BLOB) FROM "
                                              "(SELECT \"ID\" FROM %1 ORDER BY \"ID\" LIMIT %2)")
                                   .arg(from)
                                   .arg(limit)
                             : QStringLiteral("SELECT CAST(group_concat(\"ID\") AS BLOB) FROM %1").arg(from),
                   filterBinds());
    QVector<qint64> ids;
    if (!q.next())
        return ids;
    const QByteArray text = q.value(0).toByteArray();
    ids.reserve(text.count(',') + 1);
    qint64 id = 0;
    bool digits = false, negative = false;
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            id = id * 10 + (c - '0');
            digits = true;
        } else if (c == '-') {
            negative = true;
        } else if (c == ',') {
            if (digits)
                ids.append(negative ? -id : id);
            id = 0;
            digits = negative = false;
        }
    }
    if (digits)
        ids.append(negative ? -id : id);
    if (!std::is_sorted(ids.cbegin(), ids.cend()))
        std::sort(ids.begin(), ids.end());
    return ids;
}

void Table::load(bool headOnly) const {
    m_stale = false;
    m_partial = false;
    m_ids.clear();
    m_blocks.clear();
    if (!m_open || !m_db) {
        m_current = -1;
        return;
    }
    // A grid that shows the first rows needs only their IDs and the count;
    // the rest are read when anything looks further.
    if (headOnly && !m_wantId && (!m_wantRow || *m_wantRow < BlockRows)) {
        QSqlQuery q =
            m_db->exec(QStringLiteral("SELECT count(*) FROM %1").arg(filteredSource()), filterBinds());
        const int count = q.next() ? q.value(0).toInt() : 0;
        if (count > BlockRows) {
            m_ids = readIds(BlockRows);
            m_partial = m_ids.size() == BlockRows;
            m_count = count;
        }
    }
    if (!m_partial)
        m_ids = readIds(0);
    int row = m_ids.isEmpty() ? -1 : 0;
    if (m_wantId) {
        const int found = rowOfId(*m_wantId);
        if (found >= 0)
            row = found;
    } else if (m_wantRow) {
        row = qMin(*m_wantRow, int(m_ids.size()) - 1);
    }
    m_wantId.reset();
    m_wantRow.reset();
    m_current = row;
    m_eof = m_ids.isEmpty();
}

void Table::loadRest() const {
    m_partial = false;
    if (!m_open || !m_db)
        return;
    // The first rows read before stay as they are: every write through this
    // table reads the whole list first (or reads again after it), so only
    // another program writing meanwhile could make the two disagree, and
    // then rows past the new end show empty until the next reading.
    m_ids = readIds(0);
}

int Table::shownCount() const {
    ensureCounted();
    return m_partial ? m_count : int(m_ids.size());
}

int Table::rowOfId(qint64 id) const {
    const auto it = std::lower_bound(m_ids.cbegin(), m_ids.cend(), id);
    return it != m_ids.cend() && *it == id ? int(it - m_ids.cbegin()) : -1;
}

const QVariantList &Table::rowAt(int row) const {
    const int block = row / BlockRows;
    auto it = m_blocks.constFind(block);
    if (it == m_blocks.cend()) {
        QVector<QVariantList> rows = readBlock(block);
        if (m_blocks.size() >= MaxBlocks)
            m_blocks.clear();
        it = m_blocks.insert(block, std::move(rows));
    }
    return (*it)[row - block * BlockRows];
}

QVector<QVariantList> Table::readBlock(int block) const {
    const int first = block * BlockRows;
    const int last = qMin(first + BlockRows, int(m_ids.size())) - 1;
    const int n = int(m_fields.size());
    QStringList cols;
    for (const FieldDef &f : m_fields)
        cols.append(QStringLiteral("\"%1\"").arg(f.name));
    const QString where = filterClause();
    QVariantList binds{m_ids[first], m_ids[last]};
    if (!where.isEmpty())
        binds += m_where.binds;
    QSqlQuery q =
        db().exec(QStringLiteral("SELECT %1 FROM %2 WHERE \"ID\" >= ? AND \"ID\" <= ?%3 ORDER BY \"ID\"")
                      .arg(cols.join(QStringLiteral(", ")), source(),
                           where.isEmpty() ? QString() : QStringLiteral(" AND ") + where),
                  binds);
    // Matched to the IDs read before; a row gone meanwhile shows empty.
    QVector<QVariantList> rows(last - first + 1);
    int pos = first;
    while (pos <= last && q.next()) {
        const qint64 id = q.value(0).toLongLong();
        if (id < m_ids[pos])
            continue;
        for (; pos <= last && m_ids[pos] < id; ++pos)
            rows[pos - first] = {m_ids[pos]};
        if (pos > last || m_ids[pos] != id)
            continue;
        QVariantList &row = rows[pos - first];
        row.reserve(n);
        for (int i = 0; i < n; ++i)
            row.append(fromStorage(m_fields[i], q.value(i)));
        ++pos;
    }
    for (; pos <= last; ++pos)
        rows[pos - first] = {m_ids[pos]};
    return rows;
}

// SQLite keeps whatever another program wrote into a column. A value that
// is not of its field's type is kept as its text: the grids show it as it
// is, and the typed readers (asFloat, asDate, …) refuse it.
QVariant Table::fromStorage(const FieldDef &f, const QVariant &v) const {
    if (v.isNull())
        return QVariant();
    bool ok = v.typeId() != QMetaType::QString && v.typeId() != QMetaType::QByteArray;
    switch (f.type) {
    case FieldType::AutoInc:
    case FieldType::Integer: {
        const qlonglong n = ok ? v.toLongLong(&ok) : v.toString().trimmed().toLongLong(&ok);
        return ok ? QVariant(n) : QVariant(v.toString());
    }
    case FieldType::Float: {
        const double d = ok ? v.toDouble(&ok) : QLocale::c().toDouble(v.toString().trimmed(), &ok);
        return ok && std::isfinite(d) ? QVariant(d) : QVariant(v.toString());
    }
    case FieldType::Date: {
        const QDate d = QDate::fromString(v.toString().left(10), Qt::ISODate);
        return d.isValid() ? QVariant(d) : QVariant(v.toString());
    }
    case FieldType::String:
        return v.toString();
    }
    return v;
}

// The engine's conversion errors, naming the table.
double Table::floatOf(const QVariant &v) const {
    if (v.typeId() == QMetaType::QString)
        throw OrvetError(
            QStringLiteral("%1: '%2' is not a valid floating point value").arg(m_tableName, v.toString()));
    return v.toDouble();
}

qlonglong Table::integerOf(const QVariant &v) const {
    if (v.typeId() == QMetaType::QString)
        throw OrvetError(
            QStringLiteral("%1: '%2' is not a valid integer value").arg(m_tableName, v.toString()));
    return v.toLongLong();
}

QDate Table::dateOf(const QVariant &v) const {
    if (v.typeId() == QMetaType::QString)
        throw OrvetError(QStringLiteral("%1: '%2' is not a valid date").arg(m_tableName, v.toString()));
    return v.toDate();
}

void Table::requireDates(const QString &field) const {
    requireOpen();
    const int col = fieldIndex(field);
    if (col < 0 || m_fields[col].type != FieldType::Date)
        throw OrvetError(QStringLiteral("%1: Field '%2' not found").arg(m_tableName, field));
    // Another connection's commit changes the file's data version; the
    // table's own writes do not, and store nothing but dates.
    const qint64 version = dataVersion();
    if (m_datesChecked.contains(col) && version == m_datesCheckedAt)
        return;
    if (version != m_datesCheckedAt)
        m_datesChecked.clear();
    // All rows, the filter aside. SQL passes what is plainly a date: a text
    // that SQLite's date() gives back as it stands once it has counted the
    // days (2023-02-30 comes back as 2023-03-02); the rest is read as
    // fromStorage() reads it. A whole scan: done once, then kept (above).
    const QString column = QStringLiteral("\"%1\"").arg(m_fields[col].name);
    QSqlQuery q = db().exec(
        QStringLiteral("SELECT %1 FROM %2 WHERE %1 IS NOT NULL AND NOT (typeof(%1) = 'text' AND "
                       "length(%1) = 10 AND substr(%1, 1, 4) <> '0000' AND date(%1, '+0 days') IS %1)")
            .arg(column, source()),
        {});
    while (q.next())
        dateOf(fromStorage(m_fields[col], q.value(0)));
    m_datesChecked.insert(col);
    m_datesCheckedAt = version;
}

qint64 Table::dataVersion() const {
    QSqlQuery q = db().exec(QStringLiteral("PRAGMA \"%1\".data_version").arg(m_schema), {});
    return q.next() ? q.value(0).toLongLong() : -1;
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
    requireOpen();
    ensureLoaded();
    return int(m_ids.size());
}

void Table::moveTo(int row, bool eof) {
    requireOpen();
    ensureLoaded();
    const int old = m_current;
    m_current = m_ids.isEmpty() ? -1 : qBound(0, row, int(m_ids.size()) - 1);
    m_eof = eof || m_ids.isEmpty();
    if (old != m_current && m_disabled == 0)
        emit currentRowChanged(m_current);
}

void Table::first() {
    moveTo(0, false);
}

void Table::next() {
    requireOpen();
    ensureLoaded();
    if (m_current + 1 >= m_ids.size())
        moveTo(m_current, true);
    else
        moveTo(m_current + 1, false);
}

void Table::last() {
    ensureLoaded();
    moveTo(int(m_ids.size()) - 1, false);
}

bool Table::eof() const {
    requireOpen();
    ensureLoaded();
    return m_eof;
}

int Table::currentRow() const {
    ensureCounted();
    return m_current;
}

void Table::setCurrentRow(int row) {
    if (!m_open)
        return; // a grid of a closed table has no rows to move to
    ensureLoaded();
    if (row != m_current)
        moveTo(row, false);
}

QVariant Table::valueAt(int row, const QString &field) const {
    requireOpen();
    ensureLoaded();
    const int col = fieldIndex(field);
    if (col < 0)
        throw OrvetError(QStringLiteral("%1: Field '%2' not found").arg(m_tableName, field));
    if (row < 0 || row >= m_ids.size())
        return QVariant();
    return rowAt(row).value(col);
}

QVariant Table::value(const QString &field) const {
    return valueAt(currentRow(), field);
}

qint64 Table::insertRecord(const QVariantList &values) {
    requireOpen();
    QStringList cols, marks;
    QVariantList binds;
    for (int i = 1; i < m_fields.size(); ++i) {
        cols.append(QStringLiteral("\"%1\"").arg(m_fields[i].name));
        marks.append(QStringLiteral("?"));
        binds.append(toStorage(m_fields[i], values.value(i)));
    }
    QSqlQuery q = db().write(
        QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
            .arg(qualifiedName(), cols.join(QStringLiteral(", ")), marks.join(QStringLiteral(", "))),
        binds);
    const qint64 id = q.lastInsertId().toLongLong();
    if (addRow(id))
        return id;
    m_wantRow.reset();
    m_wantId = id;
    reload();
    return id;
}

void Table::insertRecords(const QList<QVariantList> &records) {
    requireOpen();
    if (records.isEmpty())
        return;
    QStringList cols, marks;
    for (int i = 1; i < m_fields.size(); ++i) {
        cols.append(QStringLiteral("\"%1\"").arg(m_fields[i].name));
        marks.append(QStringLiteral("?"));
    }
    QSqlQuery q = db().prepared(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                    .arg(qualifiedName(), cols.join(QStringLiteral(", ")),
                                         marks.join(QStringLiteral(", "))));
    QVariantList binds;
    for (const QVariantList &values : records) {
        binds.clear();
        for (int i = 1; i < m_fields.size(); ++i)
            binds.append(toStorage(m_fields[i], values.value(i)));
        db().run(q, binds);
    }
    reload();
}

void Table::forgetBlocksFrom(int row) const {
    for (auto it = m_blocks.begin(); it != m_blocks.end();)
        it = it.key() >= row / BlockRows ? m_blocks.erase(it) : std::next(it);
}

// Takes a record just inserted into the rows already read, rather than
// reading them all again; it becomes current as a new reading would make
// it. False when the rows are to be read again anyway.
bool Table::addRow(qint64 id) {
    if (m_stale || m_partial || !m_open)
        return false;
    bool inView = true;
    const QString where = filterClause();
    if (!where.isEmpty()) {
        // Rows written under a hold, as day rows are, cost nothing until
        // somebody looks; a filtered table is quick to read again.
        if (m_disabled > 0)
            return false;
        QSqlQuery q =
            db().exec(QStringLiteral("SELECT 1 FROM %1 WHERE \"ID\" = ? AND %2").arg(source(), where),
                      QVariantList{id} + m_where.binds);
        inView = q.next();
    }
    const int pos = int(std::lower_bound(m_ids.cbegin(), m_ids.cend(), id) - m_ids.cbegin());
    if (pos < m_ids.size() && m_ids[pos] == id)
        return false;
    if (inView) {
        if (m_disabled == 0)
            beginInsertRows(QModelIndex(), pos, pos);
        m_ids.insert(pos, id);
        forgetBlocksFrom(pos); // after the change: views may read rows while they hear of it
        if (m_disabled == 0)
            endInsertRows();
        else
            m_resetPending = true;
        m_current = pos;
    } else {
        m_current = m_ids.isEmpty() ? -1 : 0; // outside the filter: the first record
    }
    m_eof = m_ids.isEmpty();
    m_wantId.reset();
    m_wantRow.reset();
    if (m_disabled == 0)
        emit currentRowChanged(m_current);
    return true;
}

void Table::deleteCurrent() {
    requireOpen();
    ensureLoaded();
    if (m_current < 0)
        return;
    const int row = m_current;
    db().write(QStringLiteral("DELETE FROM %1 WHERE \"ID\" = ?").arg(qualifiedName()), {m_ids[row]});
    // The rows already read stay, less this one; the next becomes current.
    if (m_disabled == 0)
        beginRemoveRows(QModelIndex(), row, row);
    m_ids.remove(row);
    forgetBlocksFrom(row); // after the change: views may read rows while they hear of it
    if (m_disabled == 0)
        endRemoveRows();
    else
        m_resetPending = true;
    m_current = m_ids.isEmpty() ? -1 : qMin(row, int(m_ids.size()) - 1);
    m_eof = m_ids.isEmpty();
    m_wantId.reset();
    m_wantRow.reset();
    if (m_disabled == 0)
        emit currentRowChanged(m_current);
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
        reload();
}

void Table::setFiltered(bool on) {
    if (on == m_filtered)
        return;
    if (on)
        m_where = parsed(m_fields, m_filter);
    m_filtered = on;
    m_wantId.reset();
    m_wantRow = 0; // a new view starts at its first record
    reload();
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

// The condition that picks the rows whose field equals v as sameValue()
// compares them, with its bound values; nothing when SQL cannot say it the
// same way.
static std::optional<FilterParser::Result> equalsCondition(const FieldDef &f, const QVariant &v) {
    const QString column = QStringLiteral("\"%1\"").arg(f.name);
    if (v.isNull())
        return FilterParser::Result{column + QStringLiteral(" IS NULL"), {}};
    const QString equals = column + QStringLiteral(" = ?");
    switch (f.type) {
    case FieldType::AutoInc:
    case FieldType::Integer:
        return FilterParser::Result{equals, {v.toLongLong()}};
    case FieldType::Float:
        return FilterParser::Result{equals, {v.toDouble()}};
    case FieldType::Date: {
        const QDate d = v.typeId() == QMetaType::QDate ? v.toDate() : DateText::fromText(v.toString());
        if (!d.isValid())
            return std::nullopt;
        return FilterParser::Result{QStringLiteral("substr(%1, 1, 10) = ?").arg(column),
                                    {d.toString(Qt::ISODate)}};
    }
    case FieldType::String:
        return FilterParser::Result{equals, {v.toString()}};
    }
    return std::nullopt;
}

int Table::scanFor(int col, const QVariant &v) const {
    for (int i = 0; i < m_ids.size(); ++i)
        if (sameValue(rowAt(i).value(col), v, m_fields[col].type))
            return i;
    return -1;
}

// The first filtered row whose field equals v: by the IDs for ID, in the
// rows at hand when all of them are read, else asked of the engine.
int Table::findFirst(int col, const QVariant &v) const {
    if (m_ids.isEmpty())
        return -1;
    const FieldDef &f = m_fields[col];
    if (col == 0 && f.type == FieldType::AutoInc)
        return v.isNull() ? -1 : rowOfId(v.toLongLong());
    if (m_blocks.size() == (m_ids.size() + BlockRows - 1) / BlockRows)
        return scanFor(col, v);
    const auto condition = equalsCondition(f, v);
    if (!condition)
        return scanFor(col, v);
    const QString where = filterClause();
    QVariantList binds;
    if (!where.isEmpty())
        binds = m_where.binds;
    binds += condition->binds;
    QSqlQuery q = db().exec(
        QStringLiteral("SELECT \"ID\" FROM %1 WHERE %2%3 ORDER BY \"ID\" LIMIT 1")
            .arg(source(), where.isEmpty() ? QString() : where + QStringLiteral(" AND "), condition->where),
        binds);
    if (!q.next())
        return -1;
    const int row = rowOfId(q.value(0).toLongLong());
    return row >= 0 ? row : scanFor(col, v); // changed meanwhile: look at the rows themselves
}

bool Table::locate(const QString &field, const QVariant &v) {
    requireOpen();
    ensureLoaded();
    const int col = fieldIndex(field);
    if (col < 0)
        throw OrvetError(QStringLiteral("%1: Field '%2' not found").arg(m_tableName, field));
    const int row = findFirst(col, v);
    if (row < 0)
        return false;
    moveTo(row, false);
    return true;
}

QVariant Table::lookup(const QString &keyField, const QVariant &v, const QString &resultField) const {
    requireOpen();
    ensureLoaded();
    const int col = fieldIndex(keyField);
    const int res = fieldIndex(resultField);
    if (col < 0 || res < 0)
        throw OrvetError(
            QStringLiteral("%1: Field '%2' not found").arg(m_tableName, col < 0 ? keyField : resultField));
    const int row = findFirst(col, v);
    return row < 0 ? QVariant() : rowAt(row).value(res);
}

void Table::disableControls() {
    ++m_disabled;
}

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
    return shownCount();
}

int Table::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(m_fields.size());
}

QVariant Table::data(const QModelIndex &index, int role) const {
    if (!index.isValid() ||
        (role != Qt::DisplayRole && role != Qt::TextAlignmentRole && role != Qt::EditRole))
        return QVariant();
    if (index.row() >= shownCount() || index.column() >= m_fields.size())
        return QVariant();
    if (index.row() >= m_ids.size())
        ensureLoaded();
    const FieldDef &f = m_fields[index.column()];
    if (role == Qt::TextAlignmentRole)
        return f.type == FieldType::String || f.type == FieldType::Date
                   ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                   : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    QVariant v;
    try {
        v = rowAt(index.row()).value(index.column());
    } catch (const OrvetError &) {
        return QVariant(); // a grid draws what it can; the commands report engine errors
    }
    if (role == Qt::EditRole || v.isNull() || v.typeId() == QMetaType::QString)
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
