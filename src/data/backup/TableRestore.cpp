#include "data/backup/TableRestore.h"

#include "core/Names.h"
#include "core/OrvetError.h"
#include "data/backup/BackupWriter.h"
#include "data/backup/OwnFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

namespace {
// The four tables and the tank levels beside them.
const QStringList TableNames{TableFiles::Orvet, TableFiles::OrvetSost, TableFiles::Chesks, TableFiles::LPoezd,
                             TableFiles::OrvetBak};

// All a stage of the program's own may hold.
QStringList stageNames() {
    QStringList names{QStringLiteral("ready"), QStringLiteral("ready.part")};
    for (const QString &t : TableNames)
        names << t << t + QStringLiteral("-journal");
    return names;
}
} // namespace

void TableRestore::stage(const QString &copyFolder, const QStringList &files) const {
    discard();
    if (OwnFolder::exists(stagePath()))
        throw OrvetError(QStringLiteral("%1 не папка программы; уберите её").arg(QDir::toNativeSeparators(stagePath())));
    if (!QDir().mkdir(stagePath()))
        throw OrvetError(QStringLiteral("не удалось создать папку %1").arg(QDir::toNativeSeparators(stagePath())));
    for (const QString &f : files) {
        QFile source(copyFolder + QLatin1Char('/') + f);
        const QString target = stagePath() + QLatin1Char('/') + f;
        if (!source.copy(target) || !BackupWriter::sync(target)) {
            const QString why = source.errorString();
            discard();
            throw OrvetError(QStringLiteral("%1: %2").arg(f, why));
        }
    }
    if (!BackupWriter::sync(stagePath())) {
        discard();
        throw OrvetError(QStringLiteral("не удалось записать на диск папку %1").arg(stagePath()));
    }
}

void TableRestore::commit(const QStringList &files) const {
    const QString temporary = stagePath() + QStringLiteral("/ready.part");
    QFile marker(temporary);
    const QByteArray text = files.join(QLatin1Char('\n')).toUtf8() + '\n';
    if (!marker.open(QIODevice::WriteOnly | QIODevice::Truncate) || marker.write(text) != text.size() ||
        !marker.flush() || (marker.close(), !BackupWriter::sync(temporary)) ||
        std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(markerPath()).constData()) != 0 ||
        !BackupWriter::sync(stagePath())) {
        discard();
        throw OrvetError(QStringLiteral("не удалось записать отметку восстановления в %1").arg(stagePath()));
    }
    renameStaged(files);
}

void TableRestore::discard() const { OwnFolder::remove(stagePath(), stageNames()); }

void TableRestore::renameStaged(const QStringList &files) const {
    for (const QString &f : files) {
        const QString staged = stagePath() + QLatin1Char('/') + f;
        if (!TableNames.contains(f) || !OwnFolder::isFile(staged))
            continue; // renamed before a kill
        const QString target = m_dir + QLatin1Char('/') + f;
        // A journal beside the old file belongs to it alone; left there it
        // would be played back into the restored one.
        QFile::remove(target + QStringLiteral("-journal"));
        if (std::rename(QFile::encodeName(staged).constData(), QFile::encodeName(target).constData()) != 0)
            throw OrvetError(QStringLiteral("не удалось заменить %1; замена будет закончена при следующем запуске")
                                 .arg(f));
    }
    BackupWriter::sync(m_dir);
    discard();
}

bool TableRestore::finishPending() const {
    // Only a real folder the program made: a link is removed itself, and
    // a folder holding anything else is the user's and stays as it is.
    if (OwnFolder::isLink(stagePath()))
        discard();
    if (!OwnFolder::holdsOnly(stagePath(), stageNames()))
        return false;
    QFile marker(markerPath());
    if (!OwnFolder::isFile(markerPath()) || !marker.open(QIODevice::ReadOnly)) {
        discard(); // stopped before it was complete: the old tables stand
        return false;
    }
    QStringList files;
    const QList<QByteArray> lines = marker.readAll().split('\n');
    for (const QByteArray &line : lines)
        if (!line.isEmpty() && !line.contains('/'))
            files.append(QString::fromUtf8(line));
    marker.close();
    renameStaged(files);
    return true;
}
