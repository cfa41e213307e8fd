#include "data/table/Database.h"

#include "core/OrvetError.h"
#include "data/table/Table.h"

#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QUuid>

Database::Database(const QString &directory)
    : m_dir(directory.isEmpty() ? QDir::current() : QDir(directory)),
      m_connectionName(QStringLiteral("orvet-") + QUuid::createUuid().toString(QUuid::WithoutBraces)) {}

Database::~Database() {
    for (Table *t : std::as_const(m_tables))
        t->detachDatabase();
    if (m_db.isValid()) {
        m_db.close();
        m_db = QSqlDatabase();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
}

void Database::failWith(const QString &what, const QString &detail) const {
    throw OrvetError(detail.isEmpty() ? what : what + QStringLiteral(": ") + detail);
}

void Database::ensureOpen(const QString &mainFile) {
    if (m_db.isValid() && m_db.isOpen())
        return;
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    if (!m_db.isValid())
        failWith(QStringLiteral("Драйвер SQLite недоступен"), QString());
    m_db.setDatabaseName(pathOf(mainFile));
    m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000"));
    if (!m_db.open())
        failWith(QStringLiteral("Не удалось открыть файл %1").arg(mainFile), m_db.lastError().text());
    m_mainFile = mainFile;
}

void Database::configure(const QString &schema) {
    // Rollback journals on every file: only they give one atomic commit
    // across attached files.
    exec(QStringLiteral("PRAGMA \"%1\".journal_mode=DELETE").arg(schema));
    exec(QStringLiteral("PRAGMA \"%1\".synchronous=FULL").arg(schema));
}

QString Database::schemaFor(const QString &fileName) {
    if (!m_db.isValid() || !m_db.isOpen()) {
        ensureOpen(fileName);
        try {
            configure(QStringLiteral("main"));
        } catch (const OrvetError &e) {
            m_db.close();
            failWith(QStringLiteral("Файл %1 не является таблицей").arg(fileName), e.message());
        }
    }
    if (fileName == m_mainFile)
        return QStringLiteral("main");
    const QString schema = QFileInfo(fileName).completeBaseName();
    if (!m_attached.contains(schema)) {
        if (m_inTransaction)
            failWith(QStringLiteral("Нельзя подключить файл %1 во время записи").arg(fileName), QString());
        exec(QStringLiteral("ATTACH DATABASE ? AS \"%1\"").arg(schema), {pathOf(fileName)});
        m_attached.append(schema);
        try {
            configure(schema);
        } catch (const OrvetError &e) {
            exec(QStringLiteral("DETACH DATABASE \"%1\"").arg(schema));
            m_attached.removeAll(schema);
            failWith(QStringLiteral("Файл %1 не является таблицей").arg(fileName), e.message());
        }
    }
    return schema;
}

void Database::release(const QString &fileName) {
    const QString schema = QFileInfo(fileName).completeBaseName();
    if (fileName == m_mainFile || !m_attached.contains(schema) || m_inTransaction)
        return;
    QSqlQuery q(m_db);
    if (q.exec(QStringLiteral("DETACH DATABASE \"%1\"").arg(schema)))
        m_attached.removeAll(schema);
}

QSqlQuery Database::compile(const QString &sql) {
    if (!m_db.isValid() || !m_db.isOpen())
        failWith(QStringLiteral("Таблицы не открыты"), QString());
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        failWith(QStringLiteral("Ошибка базы данных"), q.lastError().text());
    return q;
}

QSqlQuery Database::exec(const QString &sql, const QVariantList &binds) {
    QSqlQuery q = compile(sql);
    run(q, binds);
    return q;
}

QSqlQuery Database::prepared(const QString &sql) {
    if (!m_inTransaction)
        failWith(QStringLiteral("Запись не начата"), sql);
    return compile(sql);
}

void Database::run(QSqlQuery &query, const QVariantList &binds) {
    for (int i = 0; i < binds.size(); ++i)
        query.bindValue(i, binds.at(i));
    if (!query.exec())
        failWith(QStringLiteral("Ошибка базы данных"), query.lastError().text());
}

QSqlQuery Database::write(const QString &sql, const QVariantList &binds) {
    if (m_inTransaction)
        return exec(sql, binds);
    if (m_beforeWrite)
        m_beforeWrite();
    struct After {
        const std::function<void()> &done;
        ~After() {
            if (done)
                done();
        }
    } after{m_afterWrite}; // a failed write may have written all the same
    return exec(sql, binds);
}

void Database::watchWrites(std::function<void()> before, std::function<void()> after) {
    m_beforeWrite = std::move(before);
    m_afterWrite = std::move(after);
}

void Database::begin() {
    if (m_inTransaction)
        failWith(QStringLiteral("Запись уже начата"), QString());
    exec(QStringLiteral("BEGIN IMMEDIATE"));
    m_inTransaction = true;
    if (!m_beforeWrite)
        return;
    try {
        m_beforeWrite();
    } catch (...) {
        // Refused before anything was written: nothing of the program's
        // own to tell the watch of.
        m_inTransaction = false;
        QSqlQuery q(m_db);
        q.exec(QStringLiteral("ROLLBACK"));
        throw;
    }
}

void Database::commit() {
    exec(QStringLiteral("COMMIT"));
    m_inTransaction = false;
    if (m_afterWrite)
        m_afterWrite();
    // Nothing to read again: every table written in the transaction marked
    // itself stale as it was written, and what was read meanwhile already
    // saw the transaction's own rows. Only a rollback takes rows away.
}

void Database::rollback() {
    const bool wasWriting = m_inTransaction;
    m_inTransaction = false;
    if (m_db.isValid() && m_db.isOpen()) {
        QSqlQuery q(m_db);
        q.exec(QStringLiteral("ROLLBACK")); // fails harmlessly when SQLite already rolled back
    }
    // Pages spilled before the rollback were written and put back: the
    // program's own change too.
    if (wasWriting && m_afterWrite)
        m_afterWrite();
    for (Table *t : std::as_const(m_tables))
        t->invalidate();
}

sqlite3 *Database::handle() {
    if (!m_db.isValid() || !m_db.isOpen())
        failWith(QStringLiteral("Таблицы не открыты"), QString());
    const QVariant h = m_db.driver()->handle();
    if (!h.isValid() || qstrcmp(h.typeName(), "sqlite3*") != 0)
        failWith(QStringLiteral("Драйвер SQLite не даёт доступа к соединению"), QString());
    return *static_cast<sqlite3 *const *>(h.data());
}

void Database::close() {
    if (m_inTransaction)
        rollback();
    if (m_db.isValid())
        m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
    m_mainFile.clear();
    m_attached.clear();
}

void Database::registerTable(Table *table) {
    if (!m_tables.contains(table))
        m_tables.append(table);
}

void Database::unregisterTable(Table *table) { m_tables.removeAll(table); }

Transaction::~Transaction() {
    if (!m_done)
        m_db.rollback();
}

void Transaction::commit() {
    m_db.commit();
    m_done = true;
}
