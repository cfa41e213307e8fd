#include "settings/BackupSettings.h"

#include "settings/IniFile.h"

#include <QDir>

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

QString BackupSettings::resolve(const QString &dataDir, const QString &folder) {
    const QString given = folder.trimmed();
    return QDir::cleanPath(QDir(dataDir).absoluteFilePath(given.isEmpty() ? QStringLiteral("backups") : given));
}
