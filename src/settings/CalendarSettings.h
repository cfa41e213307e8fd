#pragma once

#include <QString>

class IniFile;

// Whether a new waybill follows the production calendar (public holidays
// and moved days off), in a section of its own of the settings file. Off
// unless the user turns it on: every Monday to Friday gets a trip then.
class CalendarSettings {
public:
    static inline const QString Section = QStringLiteral("Kalendar");

    explicit CalendarSettings(IniFile *ini) : m_ini(ini) {}

    bool enabled() const;
    void write(bool enabled);

private:
    IniFile *m_ini;
};
