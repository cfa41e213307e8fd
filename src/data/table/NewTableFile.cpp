#include "data/table/NewTableFile.h"

#include "core/OrvetError.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

namespace {
// Runs the statements in one transaction on a connection of its own.
QString runOn(const QString &path, const QStringList &statements) {
    const QString name = QStringLiteral("orvet-new-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (!db.open()) {
            error = db.lastError().text();
        } else {
            QSqlQuery q(db);
            QStringList all{QStringLiteral("PRAGMA synchronous=FULL"), QStringLiteral("BEGIN")};
            all << statements << QStringLiteral("COMMIT");
            for (const QString &sql : std::as_const(all))
                if (!q.exec(sql)) {
                    error = q.lastError().text();
                    break;
                }
            q.finish();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return error;
}
} // namespace

void NewTableFile::create(const QString &path, const QStringList &statements) {
    const QString part = partPath(path);
    // What an earlier crash left half made.
    QFile::remove(part + QStringLiteral("-journal"));
    if (QFile::exists(part) && !QFile::remove(part))
        throw OrvetError(QStringLiteral("Не удалось удалить файл %1").arg(part));
    const QString error = runOn(part, statements);
    if (!error.isEmpty()) {
        QFile::remove(part);
        throw OrvetError(error);
    }
    // Refuses to replace a file that came in the meantime.
    QFile made(part);
    if (!made.rename(path)) {
        const QString why = made.errorString();
        QFile::remove(part);
        throw OrvetError(why);
    }
}
