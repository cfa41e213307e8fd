#pragma once

#include <QDir>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>
#include <functional>

class Table;
struct sqlite3;

// One SQLite connection holding all table files of a working directory: the
// first file opened is the main database, the others are attached, so that
// a waybill and its day rows commit together.
class Database {
public:
    explicit Database(const QString &directory = QString());
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    QString directory() const { return m_dir.absolutePath(); }
    QString pathOf(const QString &fileName) const { return m_dir.absoluteFilePath(fileName); }

    // The schema name under which a file is reached; attaches it when needed.
    QString schemaFor(const QString &fileName);

    // Lets go of a file whose table did not open: no transaction may
    // touch it then, since a commit writes even an empty file it locked.
    void release(const QString &fileName);

    // Runs one statement with bound values; throws OrvetError on failure.
    QSqlQuery exec(const QString &sql, const QVariantList &binds = {});
    // The same for a statement that writes: outside a transaction it is a
    // write of its own, told to the write watch like a transaction.
    QSqlQuery write(const QString &sql, const QVariantList &binds = {});
    // A statement prepared once and run for many sets of values, within a
    // transaction; throws OrvetError on failure, as exec() does.
    QSqlQuery prepared(const QString &sql);
    void run(QSqlQuery &query, const QVariantList &binds);

    // Told before and after every write of the program's own (a
    // transaction, or a statement outside one), so that a change made by
    // anything else can be told from the program's. What `before` throws
    // refuses the write: nothing is written.
    void watchWrites(std::function<void()> before, std::function<void()> after);

    void begin();
    void commit();
    void rollback();
    bool inTransaction() const { return m_inTransaction; }

    // The connection's own SQLite handle, for what Qt's driver does not
    // offer (the online backup); opens the connection if need be.
    sqlite3 *handle();
    // Closes the connection and forgets the attached files, so that the
    // files can be replaced; the next schemaFor() opens it again.
    void close();

    void registerTable(Table *table);
    void unregisterTable(Table *table);

private:
    // A statement prepared on the open connection; throws on failure.
    QSqlQuery compile(const QString &sql);
    void ensureOpen(const QString &mainFile);
    void configure(const QString &schema);
    [[noreturn]] void failWith(const QString &what, const QString &detail) const;

    QDir m_dir;
    QString m_connectionName;
    QSqlDatabase m_db;
    QString m_mainFile;
    QStringList m_attached;
    QList<Table *> m_tables;
    bool m_inTransaction = false;
    std::function<void()> m_beforeWrite;
    std::function<void()> m_afterWrite;
};

// Commits when told to; rolls back whatever is left when it goes out of scope.
class Transaction {
public:
    explicit Transaction(Database &db) : m_db(db) { m_db.begin(); }
    ~Transaction();
    void commit();

private:
    Database &m_db;
    bool m_done = false;
};
