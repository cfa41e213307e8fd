#pragma once

#include <QString>

class IniFile;

// The automatic copies' settings, in a section of their own of the
// settings file: whether a copy is made each day and where the copies go.
class BackupSettings {
public:
    static inline const QString Section = QStringLiteral("Backup");

    explicit BackupSettings(IniFile *ini) : m_ini(ini) {}

    // On unless the file says otherwise.
    bool enabled() const;
    // The folder as the user gave it; empty: "backups" beside the tables.
    QString folder() const;
    void write(bool enabled, const QString &folder);

    // Where the copies of the tables in `dataDir` go: `folder` as given
    // (a relative one counts from the tables' folder), or "backups" there.
    static QString resolve(const QString &dataDir, const QString &folder);

    // Why `folder` (as given) may not hold the copies of the tables in
    // `dataDir`; empty when it may. The program removes old copies there,
    // so it refuses the tables' own folder, a folder that holds it, and
    // the home folder.
    static QString refusal(const QString &dataDir, const QString &folder);

private:
    IniFile *m_ini;
};
