#include "data/backup/OwnFolder.h"

#include <QFile>
#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
bool lstatOf(const QString &path, struct stat &st) {
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

// The entries of an open folder; none when it cannot be read whole.
std::optional<QStringList> namesIn(int fd) {
    const int own = ::dup(fd);
    if (own < 0)
        return std::nullopt;
    DIR *dir = ::fdopendir(own);
    if (!dir) {
        ::close(own);
        return std::nullopt;
    }
    QStringList names;
    errno = 0;
    while (const dirent *e = ::readdir(dir)) {
        const QString name = QFile::decodeName(e->d_name);
        if (name != QLatin1String(".") && name != QLatin1String(".."))
            names.append(name);
    }
    const bool whole = errno == 0;
    ::closedir(dir);
    if (!whole)
        return std::nullopt;
    return names;
}

// Every entry a plain file named in `names`.
bool onlyPlainFiles(int fd, const QStringList &entries, const QStringList &names) {
    for (const QString &e : entries) {
        struct stat st {};
        if (!names.contains(e) ||
            ::fstatat(fd, QFile::encodeName(e).constData(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode))
            return false;
    }
    return true;
}

int openFolder(const QString &path) {
    return ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}
} // namespace

bool OwnFolder::isLink(const QString &path) {
    struct stat st {};
    return lstatOf(path, st) && S_ISLNK(st.st_mode);
}

bool OwnFolder::isFolder(const QString &path) {
    struct stat st {};
    return lstatOf(path, st) && S_ISDIR(st.st_mode);
}

bool OwnFolder::isFile(const QString &path) {
    struct stat st {};
    return lstatOf(path, st) && S_ISREG(st.st_mode);
}

bool OwnFolder::exists(const QString &path) {
    struct stat st {};
    return lstatOf(path, st);
}

std::optional<QStringList> OwnFolder::entries(const QString &path) {
    const int fd = openFolder(path);
    if (fd < 0)
        return std::nullopt;
    std::optional<QStringList> names = namesIn(fd);
    ::close(fd);
    return names;
}

bool OwnFolder::holdsOnly(const QString &path, const QStringList &names) {
    const int fd = openFolder(path);
    if (fd < 0)
        return false;
    const std::optional<QStringList> found = namesIn(fd);
    const bool only = found && onlyPlainFiles(fd, *found, names);
    ::close(fd);
    return only;
}

bool OwnFolder::remove(const QString &path, const QStringList &names) {
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (::lstat(native.constData(), &st) != 0)
        return errno == ENOENT;
    if (S_ISLNK(st.st_mode))
        return ::unlink(native.constData()) == 0;
    // Opened without following a link, and emptied through that handle:
    // a link put in the folder's place meanwhile is never walked.
    const int fd = openFolder(path);
    if (fd < 0)
        return false;
    const std::optional<QStringList> found = namesIn(fd);
    bool removed = found && onlyPlainFiles(fd, *found, names);
    if (removed)
        for (const QString &e : *found)
            removed = ::unlinkat(fd, QFile::encodeName(e).constData(), 0) == 0 && removed;
    ::close(fd);
    return removed && ::rmdir(native.constData()) == 0;
}

bool OwnFolder::renameNew(const QString &from, const QString &to) {
    return ::renameat2(AT_FDCWD, QFile::encodeName(from).constData(), AT_FDCWD, QFile::encodeName(to).constData(),
                       RENAME_NOREPLACE) == 0;
}
