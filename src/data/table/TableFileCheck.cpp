#include "data/table/TableFileCheck.h"

#include "core/OrvetError.h"
#include "data/table/Database.h"
#include "data/table/Table.h"
#include "data/table/TableSchema.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

TableFileCheck::TableFileCheck(const QString &directory) : m_dir(directory), m_noted(readNote()) {}

QString TableFileCheck::stampOf(const QString &fileName) const {
    struct stat st {};
    const QByteArray path = QFile::encodeName(QDir(m_dir).absoluteFilePath(fileName));
    if (::stat(path.constData(), &st) != 0)
        return {};
    // The change time cannot be set back by a program, so a write followed
    // by restoring the modification time still shows.
    return QStringLiteral("%1 %2 %3.%4 %5.%6")
        .arg(qulonglong(st.st_dev) ^ (qulonglong(st.st_ino) << 1))
        .arg(qlonglong(st.st_size))
        .arg(qlonglong(st.st_mtim.tv_sec))
        .arg(qlonglong(st.st_mtim.tv_nsec))
        .arg(qlonglong(st.st_ctim.tv_sec))
        .arg(qlonglong(st.st_ctim.tv_nsec));
}

QHash<QString, QString> TableFileCheck::readNote() const {
    QHash<QString, QString> noted;
    const QString path = QDir(m_dir).absoluteFilePath(noteName());
    // Only a note of the program's own: a link is nobody's note.
    if (QFileInfo(path).isSymLink())
        return noted;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return noted;
    // "<file>\t<stamp>" a line; anything else is ignored, which only means
    // a look-over.
    const QList<QByteArray> lines = f.read(64 * 1024).split('\n');
    for (const QByteArray &line : lines) {
        const int tab = int(line.indexOf('\t'));
        if (tab > 0)
            noted.insert(QString::fromUtf8(line.left(tab)), QString::fromUtf8(line.mid(tab + 1)));
    }
    return noted;
}

void TableFileCheck::lookOver(Database &db, const QString &file) {
    QStringList problems;
    try {
        QSqlQuery q = db.exec(QStringLiteral("PRAGMA \"%1\".integrity_check(5)").arg(db.schemaFor(file)));
        while (q.next())
            problems.append(q.value(0).toString());
    } catch (const OrvetError &e) {
        problems = {e.message()};
    }
    if (problems != QStringList{QStringLiteral("ok")})
        throw OrvetError(
            QStringLiteral("Файл %1 повреждён: %2").arg(file, problems.join(QStringLiteral("; "))));
}

void TableFileCheck::verify(Database &db, const Table &table) {
    const QString file = table.fileName();
    const QString stamp = stampOf(file);
    m_lookedOver = stamp.isEmpty() || m_noted.value(file) != stamp;
    if (m_lookedOver) {
        lookOver(db, file);
        TableSchema::check(db, file, table.tableName(), table.fields());
    }
    m_left.insert(file, stamp);
    m_foreign.remove(file);
}

QStringList TableFileCheck::beforeWrite() {
    QStringList changed;
    for (auto it = m_left.cbegin(); it != m_left.cend(); ++it)
        if (stampOf(it.key()) != it.value()) {
            m_foreign.insert(it.key());
            changed.append(it.key());
        }
    changed.sort();
    return changed;
}

void TableFileCheck::afterWrite() {
    for (auto it = m_left.begin(); it != m_left.end(); ++it)
        it.value() = stampOf(it.key());
}

void TableFileCheck::remember(const QList<Table *> &tables) {
    QHash<QString, QString> noted;
    QByteArray text;
    for (const Table *t : tables) {
        const QString file = t->fileName();
        const QString stamp = t->isOpen() ? stampOf(file) : QString();
        if (stamp.isEmpty() || m_foreign.contains(file) || m_left.value(file) != stamp)
            continue;
        noted.insert(file, stamp);
        text += file.toUtf8() + '\t' + stamp.toUtf8() + '\n';
    }
    if (noted == m_noted)
        return;
    if (writeNote(text))
        m_noted = noted;
    else
        m_noted.clear();
}

// Written in place, without waiting for the disk: a note cut short or lost
// only brings a look-over at the next start. Never through a link: a link
// in the note's place is replaced by the note, whatever it points to.
bool TableFileCheck::writeNote(const QByteArray &text) {
    const QByteArray path = QFile::encodeName(QDir(m_dir).absoluteFilePath(noteName()));
    int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0 && errno == ELOOP && ::unlink(path.constData()) == 0)
        fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    bool written = fd >= 0;
    for (qsizetype done = 0; written && done < text.size();) {
        const ssize_t n = ::write(fd, text.constData() + done, size_t(text.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        written = n > 0;
        done += written ? n : 0;
    }
    if (fd >= 0)
        ::close(fd);
    if (!written)
        ::unlink(path.constData());
    return written;
}
