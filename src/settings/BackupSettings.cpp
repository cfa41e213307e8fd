#include "settings/BackupSettings.h"

#include "settings/IniFile.h"

#include <QDir>
#include <QFileInfo>

namespace {
const QString EnabledKey = QStringLiteral("Enabled");
const QString FolderKey = QStringLiteral("Folder");
} // namespace

bool BackupSettings::enabled() const {
    return !m_ini || m_ini->readInteger(Section, EnabledKey, 1) != 0;
}

QString BackupSettings::folder() const {
    return m_ini ? m_ini->readString(Section, FolderKey, QString()) : QString();
}

void BackupSettings::write(bool enabled, const QString &folder) {
    if (m_ini)
        m_ini->writeStrings(Section, {{EnabledKey, enabled ? QStringLiteral("1") : QStringLiteral("0")},
                                      {FolderKey, folder}});
}

namespace {
// The path with every link in its existing part resolved, so that a
// folder reached through a link is known for what it is.
QString realPath(const QString &path) {
    QString existing = QDir::cleanPath(path), rest;
    while (!QFileInfo::exists(existing) && existing != QLatin1String("/")) {
        rest = QLatin1Char('/') + QFileInfo(existing).fileName() + rest;
        existing = QFileInfo(existing).absolutePath();
    }
    const QString canonical = QFileInfo(existing).canonicalFilePath();
    return QDir::cleanPath((canonical.isEmpty() ? existing : canonical) + rest);
}

bool holds(const QString &outer, const QString &inner) {
    return outer == QLatin1String("/") || inner.startsWith(outer + QLatin1Char('/'));
}
} // namespace

QString BackupSettings::refusal(const QString &dataDir, const QString &folder) {
    const QString copies = realPath(resolve(dataDir, folder));
    const QString data = realPath(QDir(dataDir).absolutePath());
    QString what;
    if (copies == data)
        what = QStringLiteral("это папка с таблицами");
    else if (copies == realPath(QDir::homePath()))
        what = QStringLiteral("это домашняя папка");
    else if (holds(copies, data))
        what = QStringLiteral("в ней лежит папка с таблицами");
    else
        return {};
    return QStringLiteral("Папку %1 нельзя выбрать для резервных копий: %2. Программа сама удаляет старые копии, "
                          "поэтому им нужна отдельная папка, например %3")
        .arg(QDir::toNativeSeparators(copies), what,
             QDir::toNativeSeparators(QDir(dataDir).absoluteFilePath(QStringLiteral("backups"))));
}

QString BackupSettings::resolve(const QString &dataDir, const QString &folder) {
    const QString given = folder.trimmed();
    return QDir::cleanPath(QDir(dataDir).absoluteFilePath(given.isEmpty() ? QStringLiteral("backups") : given));
}
