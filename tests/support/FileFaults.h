#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <sys/resource.h>

// What the reliability tests do to files from outside the program.

QByteArray readAll(const QString &path);
// Fails the process when the file cannot be written whole.
void writeAll(const QString &path, const QByteArray &bytes);
// Rewrites the file in place, then puts its modification time back, as a
// copy tool or a damaged disk write might leave it.
void rewriteKeepingTime(const QString &path, const QByteArray &bytes);

// No file of this process may grow beyond `bytes` while it lives: writes
// past it fail with EFBIG, as on a disk that has run out of room.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit m_old{};
};

// A connection of its own to a table file, as another program would hold.
class OtherConnection {
public:
    explicit OtherConnection(const QString &file);
    ~OtherConnection();
    OtherConnection(const OtherConnection &) = delete;
    OtherConnection &operator=(const OtherConnection &) = delete;

    bool exec(const QString &sql);
    // Each row's cells joined by "|"; an error as one row "error: <text>".
    QStringList rows(const QString &sql);
    // What SQLite itself says of the file.
    bool whole() { return rows(QStringLiteral("PRAGMA integrity_check")) == QStringList{QStringLiteral("ok")}; }

private:
    QString m_name;
};
