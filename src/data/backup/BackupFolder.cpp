#include "data/backup/BackupFolder.h"

#include <QDir>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>

namespace {
const QString DayFormat = QStringLiteral("yyyy-MM-dd");
const QString TimeFormat = QStringLiteral("yyyy-MM-dd_HH-mm-ss");
} // namespace

QString BackupFolder::dailyName(const QDate &day) { return day.toString(DayFormat); }

QString BackupFolder::timedName(const QDateTime &when) { return when.toString(TimeFormat); }

QDate BackupFolder::dayOf(const QString &name) {
    static const QRegularExpression pattern(
        QStringLiteral("^(\\d{4}-\\d{2}-\\d{2})(_\\d{2}-\\d{2}-\\d{2})?$"));
    const QRegularExpressionMatch m = pattern.match(name);
    if (!m.hasMatch())
        return {};
    if (m.capturedLength(2) > 0 && !QDateTime::fromString(name, TimeFormat).isValid())
        return {};
    return QDate::fromString(m.captured(1), DayFormat);
}

QStringList BackupFolder::list() const {
    QStringList names;
    const QStringList entries = QDir(m_path).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &e : entries)
        if (dayOf(e).isValid())
            names.append(e);
    return names; // the names sort by time
}

bool BackupFolder::hasDaily(const QDate &day) const {
    return QFileInfo(pathOf(dailyName(day))).isDir();
}

int BackupFolder::removeLeftovers() const {
    int removed = 0;
    const QStringList parts =
        QDir(m_path).entryList({partName(QStringLiteral("*"))}, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString &p : parts)
        removed += QDir(pathOf(p)).removeRecursively() ? 1 : 0;
    return removed;
}

QStringList BackupFolder::keep(const QStringList &names, const QDate &today) {
    QStringList sorted = names;
    std::sort(sorted.begin(), sorted.end());
    QSet<QString> kept;
    QSet<QDate> days;
    QSet<int> months;
    const int thisMonth = today.year() * 12 + today.month() - 1;
    for (auto it = sorted.crbegin(); it != sorted.crend(); ++it) {
        const QDate day = dayOf(*it);
        if (!day.isValid())
            continue;
        if (days.contains(day) || days.size() < DailyKept) {
            days.insert(day);
            kept.insert(*it);
        }
        const int month = day.year() * 12 + day.month() - 1;
        if (thisMonth - month < MonthsKept && !months.contains(month)) {
            months.insert(month);
            kept.insert(*it);
        }
    }
    QStringList result;
    for (const QString &n : std::as_const(sorted))
        if (kept.contains(n))
            result.append(n);
    return result;
}

QStringList BackupFolder::prune(const QDate &today, const QString &made) const {
    const QStringList all = list();
    const QStringList kept = keep(all, today);
    QStringList removed;
    for (const QString &n : all) {
        if (n == made || kept.contains(n))
            continue;
        // Renamed out of the list first: a removal cut short leaves a
        // leftover, never a listed copy with files missing.
        const QString doomed = pathOf(partName(n));
        if (QDir(m_path).rename(n, partName(n)) && QDir(doomed).removeRecursively())
            removed.append(n);
    }
    return removed;
}
