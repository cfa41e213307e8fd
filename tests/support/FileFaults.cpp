#include "FileFaults.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>
#include <csignal>

QByteArray readAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

void rewriteKeepingTime(const QString &path, const QByteArray &bytes) {
    const QDateTime modified = QFileInfo(path).lastModified();
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite) || f.write(bytes) != bytes.size() ||
        !f.setFileTime(modified, QFileDevice::FileModificationTime))
        qFatal("cannot rewrite %s", qPrintable(path));
}

FileSizeLimit::FileSizeLimit(rlim_t bytes) {
    std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &m_old);
    rlimit lowered = m_old;
    lowered.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &lowered);
}

FileSizeLimit::~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_old); }

OtherConnection::OtherConnection(const QString &file)
    : m_name(QStringLiteral("other-") + QUuid::createUuid().toString(QUuid::WithoutBraces)) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    db.setDatabaseName(file);
    db.open();
}

OtherConnection::~OtherConnection() {
    {
        QSqlDatabase db = QSqlDatabase::database(m_name);
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        db.close();
    }
    QSqlDatabase::removeDatabase(m_name);
}

bool OtherConnection::exec(const QString &sql) { return QSqlQuery(QSqlDatabase::database(m_name)).exec(sql); }

QStringList OtherConnection::rows(const QString &sql) {
    QStringList out;
    QSqlQuery q(QSqlDatabase::database(m_name));
    if (!q.exec(sql))
        return {QStringLiteral("error: ") + q.lastError().text()};
    while (q.next()) {
        QStringList cells;
        for (int i = 0; i < q.record().count(); ++i)
            cells.append(q.value(i).toString());
        out.append(cells.join(QLatin1Char('|')));
    }
    return out;
}
