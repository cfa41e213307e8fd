#include "settings/StoredValues.h"

#include "core/NumberText.h"
#include "core/OrvetError.h"
#include "settings/IniFile.h"

#include <cmath>

namespace {
const char *const Names[StoredValues::Count] = {"Organizaciya", "Adress",       "MarkaAvto",     "GosNomer",
                                                "Voditel",      "Utvejdaushiy", "Rashodna100km", "Winter",
                                                "StartoviyProbeg", "GlavBuh",   "Proveril"};

[[noreturn]] void conversionFailed() { throw OrvetError(QStringLiteral("Invalid variant type conversion")); }
} // namespace

StoredValues::StoredValues(IniFile *ini) : m_ini(ini) {
    for (int i = 0; i < Count; ++i)
        m_values.at(i) = defaultValue(i);
}

QString StoredValues::name(int index) { return QString::fromLatin1(Names[index]); }

QVariant StoredValues::defaultValue(int index) {
    switch (index) {
    case Rashodna100km:
    case StartoviyProbeg:
        return 0.0;
    case Winter:
        return false;
    case Proveril:
        return QStringLiteral("Главный бухгалтер");
    default:
        return QString();
    }
}

QString StoredValues::text(int index) const {
    const QVariant &v = m_values.at(index);
    return v.typeId() == QMetaType::QString ? v.toString() : valueText(v);
}

// Not a finite number ("inf", "nan", 1e999) is no number either: it
// would spread through every sum of the month.
double StoredValues::toNumber(const QVariant &v) {
    switch (v.typeId()) {
    case QMetaType::Double:
    case QMetaType::Int:
    case QMetaType::LongLong:
        if (!std::isfinite(v.toDouble()))
            conversionFailed();
        return v.toDouble();
    case QMetaType::Bool:
        return v.toBool() ? -1.0 : 0.0;
    default:
        break;
    }
    const QString t = v.toString().trimmed();
    bool ok = false;
    const double d = NumberText::parse(t, &ok);
    if (!ok || !std::isfinite(d))
        conversionFailed();
    return d;
}

bool StoredValues::toFlag(const QVariant &v) {
    if (v.typeId() == QMetaType::Bool)
        return v.toBool();
    if (v.typeId() != QMetaType::QString)
        return toNumber(v) != 0;
    const QString t = v.toString().trimmed();
    if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return false;
    return toNumber(t) != 0;
}

double StoredValues::number(int index) const { return toNumber(m_values.at(index)); }

bool StoredValues::flag(int index) const { return toFlag(m_values.at(index)); }

QString StoredValues::valueText(const QVariant &v) {
    switch (v.typeId()) {
    case QMetaType::Bool:
        return v.toBool() ? QStringLiteral("-1") : QStringLiteral("0");
    case QMetaType::Double:
    case QMetaType::Float:
        return NumberText::general(v.toDouble());
    default:
        return v.toString();
    }
}

void StoredValues::readAll() {
    if (!m_ini)
        return;
    for (int i = 0; i < Count; ++i)
        m_values.at(i) = m_ini->readString(Section, name(i), text(i));
}

void StoredValues::writeAll() const {
    if (!m_ini)
        return;
    IniFile::Entries entries;
    for (int i = 0; i < Count; ++i)
        entries.append({name(i), valueText(m_values.at(i))});
    m_ini->writeStrings(Section, entries);
}
