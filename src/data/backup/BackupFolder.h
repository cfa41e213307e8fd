#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// The folder of the automatic copies: one sub-folder per copy, named by its
// day ("2026-12-08"), or by day and time for the copy made before a restore
// ("2026-12-08_14-05-09"). A copy is written under a hidden name and only
// renamed to its own once it is whole, so a name of either form is a
// complete copy.
//
// The folder may be one the user keeps other things in, so a name alone
// makes nothing a copy. The program's own copies carry a marker, written
// last before the rename, that lists the files the program put there; only
// those are ever removed, and only when the folder holds nothing else.
// Copies made before the marker existed (the four table files, the
// settings file and the template, nothing else) are listed for a restore
// but never removed. Links are neither listed nor followed.
class BackupFolder {
public:
    explicit BackupFolder(const QString &path) : m_path(path) {}

    QString path() const { return m_path; }
    QString pathOf(const QString &name) const { return m_path + QLatin1Char('/') + name; }

    static QString dailyName(const QDate &day);
    static QString timedName(const QDateTime &when);
    // The day of a copy's name; invalid for a name that is not a copy's.
    static QDate dayOf(const QString &name);
    // The hidden name a copy is written under.
    static QString partName(const QString &name) { return QStringLiteral(".part-") + name; }

    // The marker of the program's own copies, and what it says: the files
    // the program wrote into the folder, one a line.
    static QString markerName() { return QStringLiteral(".orvet-copy"); }
    static QByteArray markerText(const QStringList &files);

    // The complete copies, oldest first: the program's own and older ones.
    QStringList list() const;
    // Of them, the ones the program made and may remove.
    QStringList ownCopies() const;
    // Whether the copy of the day has its name taken (by a copy or by
    // anything else, which is never replaced).
    bool hasDaily(const QDate &day) const;

    // Removes what a copy cut short left behind: a hidden copy folder that
    // holds only files a copy is made of, or a link in its place (the link
    // alone). Returns how many.
    int removeLeftovers() const;
    // Removes the program's own copies that `keep` does not keep, never
    // `made` (the copy just made, even when the clock was put back).
    // Returns their names.
    QStringList prune(const QDate &today, const QString &made = QString()) const;

    // Of the copies named, the ones kept: every copy of the 14 latest days
    // that have one, and the latest copy of each of the 24 months up to
    // `today`'s.
    static QStringList keep(const QStringList &names, const QDate &today);

    static constexpr int DailyKept = 14;
    static constexpr int MonthsKept = 24;

private:
    // The files the marker of copy `name` lists; none when the folder is
    // not the program's own copy.
    QStringList ownFiles(const QString &name) const;
    bool isOlderCopy(const QString &name) const;
    // What a removal of copy folder `path` may take: its files and the marker.
    static QStringList removable(const QStringList &files);

    QString m_path;
};
