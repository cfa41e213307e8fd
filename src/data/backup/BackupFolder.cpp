#include "data/backup/BackupFolder.h"

#include "core/Names.h"
#include "data/backup/OwnFolder.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>

namespace {
const QString DayFormat = QStringLiteral("yyyy-MM-dd");
const QString TimeFormat = QStringLiteral("yyyy-MM-dd_HH-mm-ss");
const QByteArray MarkerHead = "orvet copy\n";

QStringList tableFiles() { return {TableFiles::Orvet, TableFiles::OrvetSost, TableFiles::Chesks, TableFiles::LPoezd}; }

// What copies held besides the tables before they carried a marker.
const QStringList OlderOthers{QStringLiteral("Orvet.ini"), QStringLiteral("Orvet_Main.frf")};

bool plainName(const QString &name) {
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && name != QLatin1String(".") &&
           name != QLatin1String("..");
}
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

QByteArray BackupFolder::markerText(const QStringList &files) {
    return MarkerHead + files.join(QLatin1Char('\n')).toUtf8() + '\n';
}

QStringList BackupFolder::ownFiles(const QString &name) const {
    const QString folder = pathOf(name);
    const QString marker = folder + QLatin1Char('/') + markerName();
    if (!OwnFolder::isFolder(folder) || !OwnFolder::isFile(marker))
        return {};
    QFile f(marker);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray text = f.read(4096);
    if (!text.startsWith(MarkerHead))
        return {};
    QStringList files;
    for (const QByteArray &line : text.mid(MarkerHead.size()).split('\n')) {
        const QString file = QString::fromUtf8(line);
        if (plainName(file) && file != markerName())
            files.append(file);
    }
    // A copy of the program's own with a file gone stays listed, so that
    // a restore names what is missing.
    for (const QString &t : tableFiles())
        if (!files.contains(t))
            return {};
    return files;
}

bool BackupFolder::isOlderCopy(const QString &name) const {
    const QString folder = pathOf(name);
    if (!OwnFolder::holdsOnly(folder, tableFiles() + OlderOthers))
        return false;
    for (const QString &t : tableFiles())
        if (!OwnFolder::isFile(folder + QLatin1Char('/') + t))
            return false;
    return true;
}

QStringList BackupFolder::removable(const QStringList &files) {
    QStringList names{markerName()};
    for (const QString &f : files)
        names << f << f + QStringLiteral("-journal");
    return names;
}

QStringList BackupFolder::list() const {
    QStringList names;
    const QStringList entries = QDir(m_path).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &e : entries)
        if (dayOf(e).isValid() && (!ownFiles(e).isEmpty() || isOlderCopy(e)))
            names.append(e);
    return names; // the names sort by time
}

QStringList BackupFolder::ownCopies() const {
    QStringList names;
    const QStringList entries = QDir(m_path).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &e : entries)
        if (dayOf(e).isValid() && !ownFiles(e).isEmpty())
            names.append(e);
    return names;
}

bool BackupFolder::hasDaily(const QDate &day) const { return OwnFolder::exists(pathOf(dailyName(day))); }

int BackupFolder::removeLeftovers() const {
    int removed = 0;
    // Links too, dangling or not: they are removed themselves.
    const QStringList parts = QDir(m_path).entryList({partName(QStringLiteral("*"))},
                                                     QDir::AllEntries | QDir::Hidden | QDir::System |
                                                         QDir::NoDotAndDotDot);
    QStringList files = tableFiles() + OlderOthers;
    files.append(QStringLiteral("Orvet_Year.frf"));
    files.append(TableFiles::OrvetBak); // the tank levels, copied with the tables
    for (const QString &p : parts)
        if ((OwnFolder::isLink(pathOf(p)) || OwnFolder::isFolder(pathOf(p))) &&
            OwnFolder::remove(pathOf(p), removable(files)))
            ++removed;
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
    const QStringList own = ownCopies();
    const QStringList kept = keep(own, today);
    QStringList removed;
    for (const QString &n : own) {
        if (n == made || kept.contains(n))
            continue;
        const QStringList names = removable(ownFiles(n));
        // A copy the user put anything into stays whole.
        if (!OwnFolder::holdsOnly(pathOf(n), names))
            continue;
        // Renamed out of the list first: a removal cut short leaves a
        // leftover, never a listed copy with files missing.
        const QString doomed = pathOf(partName(n));
        if (OwnFolder::renameNew(pathOf(n), doomed) && OwnFolder::remove(doomed, names))
            removed.append(n);
    }
    return removed;
}
