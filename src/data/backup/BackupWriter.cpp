#include "data/backup/BackupWriter.h"

#include "core/OrvetError.h"
#include "data/backup/BackupFolder.h"
#include "data/backup/OwnFolder.h"
#include "data/table/Database.h"
#include "data/table/Table.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <fcntl.h>
#include <memory>
#include <sqlite3.h>
#include <unistd.h>

namespace {

// The connection's read transaction for the time of the copy, ended
// whatever happens.
class ReadSnapshot {
public:
    explicit ReadSnapshot(sqlite3 *db) : m_db(db) { run("BEGIN"); }
    ~ReadSnapshot() {
        if (m_open)
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    ReadSnapshot(const ReadSnapshot &) = delete;
    ReadSnapshot &operator=(const ReadSnapshot &) = delete;

    // Takes the file's read lock now, so that every file is read as it is
    // at this moment.
    void hold(const QString &schema) {
        run(QStringLiteral("SELECT count(*) FROM \"%1\".sqlite_master").arg(schema).toUtf8());
    }

private:
    void run(const QByteArray &sql) {
        char *error = nullptr;
        if (sqlite3_exec(m_db, sql.constData(), nullptr, nullptr, &error) != SQLITE_OK) {
            const QString text = QString::fromUtf8(error ? error : sqlite3_errmsg(m_db));
            sqlite3_free(error);
            throw OrvetError(text);
        }
        m_open = true;
    }

    sqlite3 *m_db;
    bool m_open = false;
};

void copyTable(sqlite3 *source, const QString &schema, const QString &target, const QString &fileName) {
    sqlite3 *dest = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(target).constData(), &dest,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    QString error;
    if (rc == SQLITE_OK) {
        const QByteArray schemaName = schema.toUtf8();
        sqlite3_backup *b = sqlite3_backup_init(dest, "main", source, schemaName.constData());
        if (!b) {
            rc = sqlite3_errcode(dest);
        } else {
            rc = sqlite3_backup_step(b, -1);
            const int finished = sqlite3_backup_finish(b);
            if (rc == SQLITE_DONE)
                rc = finished;
        }
    }
    if (rc != SQLITE_OK)
        error = QString::fromUtf8(dest ? sqlite3_errmsg(dest) : sqlite3_errstr(rc));
    if (sqlite3_close(dest) != SQLITE_OK && error.isEmpty())
        error = QStringLiteral("файл не закрылся");
    if (!error.isEmpty())
        throw OrvetError(QStringLiteral("%1: %2").arg(fileName, error));
}

void copyFile(const QString &from, const QString &to) {
    QFile source(from);
    if (!source.copy(to))
        throw OrvetError(QStringLiteral("%1: %2").arg(QFileInfo(from).fileName(), source.errorString()));
}

} // namespace

bool BackupWriter::sync(const QString &path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

void BackupWriter::write(Database &db, const QList<Table *> &tables, const QStringList &otherFiles,
                         const QString &folder, const QString &name, bool check) {
    const BackupFolder copies(folder);
    const QString part = copies.pathOf(BackupFolder::partName(name));
    copies.removeLeftovers();
    if (OwnFolder::exists(part))
        throw OrvetError(QStringLiteral("в папке %1 лежит не копия; уберите её").arg(QDir::toNativeSeparators(part)));
    if (!QDir().mkpath(folder) || !QDir().mkdir(part))
        throw OrvetError(QStringLiteral("не удалось создать папку %1").arg(QDir::toNativeSeparators(part)));
    try {
        QStringList written;
        {
            bool anyOpen = false;
            for (const Table *t : tables)
                anyOpen = anyOpen || t->isOpen();
            sqlite3 *source = anyOpen ? db.handle() : nullptr;
            std::unique_ptr<ReadSnapshot> snapshot;
            if (source) {
                snapshot = std::make_unique<ReadSnapshot>(source);
                for (const Table *t : tables)
                    if (t->isOpen())
                        snapshot->hold(db.schemaFor(t->fileName()));
            }
            for (const Table *t : tables) {
                const QString target = part + QLatin1Char('/') + t->fileName();
                if (t->isOpen())
                    copyTable(source, db.schemaFor(t->fileName()), target, t->fileName());
                else if (QFileInfo::exists(db.pathOf(t->fileName())))
                    copyFile(db.pathOf(t->fileName()), target);
                written.append(target);
            }
        }
        for (const QString &f : otherFiles) {
            if (!QFileInfo(f).isFile())
                continue;
            const QString target = part + QLatin1Char('/') + QFileInfo(f).fileName();
            copyFile(f, target);
            written.append(target);
        }
        // Last before the rename: what carries it is the program's own, and
        // the files it names are all the program may ever remove there.
        QStringList files;
        for (const QString &f : std::as_const(written))
            files.append(QFileInfo(f).fileName());
        const QString marker = part + QLatin1Char('/') + BackupFolder::markerName();
        QFile m(marker);
        const QByteArray text = BackupFolder::markerText(files);
        if (!m.open(QIODevice::WriteOnly | QIODevice::NewOnly) || m.write(text) != text.size() || !m.flush())
            throw OrvetError(QStringLiteral("%1: %2").arg(BackupFolder::markerName(), m.errorString()));
        m.close();
        written.append(marker);
        for (const QString &f : std::as_const(written))
            if (!sync(f))
                throw OrvetError(QStringLiteral("%1: не удалось записать на диск").arg(QFileInfo(f).fileName()));
        if (check)
            CopyCheck::check(part, CopyCheck::specsOf(tables));
        if (!sync(part) || !OwnFolder::renameNew(part, copies.pathOf(name)) || !sync(folder))
            throw OrvetError(QStringLiteral("не удалось переименовать %1 в %2").arg(BackupFolder::partName(name), name));
    } catch (...) {
        copies.removeLeftovers();
        throw;
    }
}
