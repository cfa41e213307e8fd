#include "settings/CalendarSettings.h"

#include "settings/IniFile.h"

namespace {
const QString HolidaysKey = QStringLiteral("Prazdniki");
} // namespace

bool CalendarSettings::enabled() const {
    return m_ini && m_ini->readInteger(Section, HolidaysKey, 0) != 0;
}

void CalendarSettings::write(bool enabled) {
    if (m_ini)
        m_ini->writeStrings(Section, {{HolidaysKey, enabled ? QStringLiteral("1") : QStringLiteral("0")}});
}
