#include "settings/WaybillDetails.h"

#include "settings/IniFile.h"

namespace {
const char *const Names[WaybillDetails::Count] = {"OGRN",        "Telefon",       "TipTS",
                                                  "ModelTS",     "Udostoverenie", "Kategoriya",
                                                  "Medrabotnik", "Mehanik",       "VidPerevozki",
                                                  "UdostoverenieSeriya", "UdostoverenieData", "VidSoobsheniya"};
} // namespace

QString WaybillDetails::name(int index) {
    return QString::fromLatin1(Names[index]);
}

void WaybillDetails::readAll() {
    if (!m_ini)
        return;
    for (int i = 0; i < Count; ++i)
        m_values.at(i) = m_ini->readString(Section, name(i), m_values.at(i));
}

void WaybillDetails::writeAll() const {
    if (!m_ini)
        return;
    IniFile::Entries entries;
    for (int i = 0; i < Count; ++i)
        entries.append({name(i), m_values.at(i)});
    m_ini->writeStrings(Section, entries);
}
