#include "data/table/SuperJournal.h"

#include "core/OrvetError.h"
#include "data/table/Database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

namespace {
// A rollback journal in a commit across files ends with the super-journal's
// name, the name's length and checksum (big-endian) and these eight bytes.
const QByteArray JournalMagic("\xd9\xd5\x05\xf9\x20\xa1\x63\xd7", 8);
constexpr quint32 MaxNameLength = 64 * 1024;
constexpr qint64 MaxSuperJournalSize = 1024 * 1024;

bool samePath(const QString &a, const QString &b) {
    const QString ca = QFileInfo(a).canonicalFilePath();
    const QString cb = QFileInfo(b).canonicalFilePath();
    if (!ca.isEmpty() && !cb.isEmpty())
        return ca == cb;
    return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

// SQLite names a super-journal after the main file, "-mj" and hex digits;
// nothing else is ever touched.
bool looksGenerated(const QString &name, const QString &mainFile) {
    const QString prefix = mainFile + QStringLiteral("-mj");
    if (!name.startsWith(prefix) || name.size() == prefix.size())
        return false;
    for (qsizetype i = prefix.size(); i < name.size(); ++i) {
        const char16_t c = name.at(i).unicode();
        if (!((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f')))
            return false;
    }
    return true;
}
} // namespace

bool SuperJournal::journalNames(const QString &journalPath, const QString &superPath) {
    QFile f(journalPath);
    if (!f.exists())
        return false;
    if (!f.open(QIODevice::ReadOnly))
        return true;
    const qint64 size = f.size();
    if (size < 16 || !f.seek(size - 16))
        return false;
    const QByteArray tail = f.read(16);
    if (tail.size() != 16 || tail.mid(8) != JournalMagic)
        return false;
    const quint32 length = qFromBigEndian<quint32>(tail.constData());
    if (length == 0 || length > MaxNameLength || qint64(length) + 20 > size)
        return false;
    if (!f.seek(size - 16 - length))
        return true;
    const QByteArray name = f.read(length);
    if (name.size() != qsizetype(length))
        return true;
    return samePath(QFile::decodeName(name), superPath);
}

bool SuperJournal::isLive(const QString &superPath) {
    QFile f(superPath);
    if (!f.open(QIODevice::ReadOnly) || f.size() > MaxSuperJournalSize)
        return true;
    // The names of the journals, each ended by a zero byte.
    const QList<QByteArray> journals = f.readAll().split('\0');
    for (const QByteArray &journal : journals)
        if (!journal.isEmpty() && journalNames(QFile::decodeName(journal), superPath))
            return true;
    return false;
}

int SuperJournal::removeStale(Database &db, const QString &mainFile) {
    const QDir dir(db.directory());
    QStringList candidates;
    const QStringList names =
        dir.entryList({mainFile + QStringLiteral("-mj*")}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names)
        if (looksGenerated(name, mainFile))
            candidates.append(dir.absoluteFilePath(name));
    if (candidates.isEmpty())
        return 0;
    int removed = 0;
    try {
        // With a write lock on every file no other process is inside a
        // commit, so no journal can come to name one of these meanwhile.
        // The lock also rolls back any hot journal first. Nothing is written.
        Transaction hold(db);
        for (const QString &path : std::as_const(candidates))
            if (!isLive(path) && QFile::remove(path))
                ++removed;
    } catch (const OrvetError &) {
        // Another process is writing; the next start tries again.
    }
    return removed;
}
