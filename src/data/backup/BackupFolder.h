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
// complete copy; anything else in the folder is not listed.
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

    // The complete copies, oldest first.
    QStringList list() const;
    bool hasDaily(const QDate &day) const;

    // Removes what a copy cut short left behind. Returns how many.
    int removeLeftovers() const;
    // Removes the copies `keep` does not keep, never `made` (the copy
    // just made, even when the clock was put back). Returns their names.
    QStringList prune(const QDate &today, const QString &made = QString()) const;

    // Of the copies named, the ones kept: every copy of the 14 latest days
    // that have one, and the latest copy of each of the 24 months up to
    // `today`'s.
    static QStringList keep(const QStringList &names, const QDate &today);

    static constexpr int DailyKept = 14;
    static constexpr int MonthsKept = 24;

private:
    QString m_path;
};
