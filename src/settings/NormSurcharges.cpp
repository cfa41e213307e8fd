#include "settings/NormSurcharges.h"

#include "core/NumberFormat.h"
#include "core/NumberText.h"
#include "core/OrvetError.h"
#include "settings/IniFile.h"

#include <QRegularExpression>

namespace {
const char *const Names[NormSurcharges::Count] = {"Zima",    "ZimaS",       "ZimaPo",  "Gorod",
                                                  "Vozrast", "Kondicioner", "ObemBaka"};

// Hs x (100 + D) / 100: 8.5 with 15 % is 9.775, as it is worked by hand,
// where 8.5 x 1.15 would fall a hair below it.
double withPercent(double norm, double percent) {
    return norm * (100 + percent) / 100;
}

QString percentText(double percent) {
    return NumberText::general(percent) + QStringLiteral(" %");
}

QString normText(double litres) {
    return NumberText::general(NumberFormat::roundHalfAway(litres, 2)) + QStringLiteral(" л/100 км");
}

QString dayText(const QDate &d) {
    return d.toString(QStringLiteral("dd.MM"));
}
} // namespace

QString NormSurcharges::name(int index) {
    return QString::fromLatin1(Names[index]);
}

void NormSurcharges::readAll() {
    if (!m_ini)
        return;
    for (int i = 0; i < Count; ++i)
        m_values.at(size_t(i)) = m_ini->readString(Section, name(i), m_values.at(size_t(i)));
}

void NormSurcharges::writeAll() const {
    if (!m_ini)
        return;
    IniFile::Entries entries;
    for (int i = 0; i < Count; ++i)
        entries.append({name(i), m_values.at(size_t(i))});
    m_ini->writeStrings(Section, entries);
}

double NormSurcharges::percent(int index) const {
    const QString t = text(index).trimmed();
    if (t.isEmpty())
        return 0;
    bool ok = false;
    const double v = NumberText::parse(t, &ok);
    if (!ok)
        throw OrvetError(QStringLiteral("Invalid variant type conversion"));
    return v;
}

bool NormSurcharges::dayMonth(const QString &text, int *day, int *month) {
    static const QRegularExpression form(QStringLiteral("^\\s*(\\d{1,2})\\.(\\d{1,2})\\.?\\s*$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        return false;
    const int d = m.captured(1).toInt(), mo = m.captured(2).toInt();
    if (!QDate(2000, mo, d).isValid()) // a leap year, so that 29.02 counts
        return false;
    *day = d;
    *month = mo;
    return true;
}

QString NormSurcharges::refusal() const {
    for (int i : {Zima, Gorod, Vozrast, Kondicioner, ObemBaka}) {
        bool ok = false;
        const QString t = text(i).trimmed();
        if (!t.isEmpty() && (NumberText::parse(t, &ok), !ok || NumberText::parse(t, &ok) < 0))
            return QStringLiteral("«%1» — не число").arg(t);
    }
    int d = 0, m = 0;
    const bool from = dayMonth(text(ZimaS), &d, &m), to = dayMonth(text(ZimaPo), &d, &m);
    const bool fromEmpty = text(ZimaS).trimmed().isEmpty(), toEmpty = text(ZimaPo).trimmed().isEmpty();
    if ((!from && !fromEmpty) || (!to && !toEmpty))
        return QStringLiteral(
            "Начало и конец зимнего периода пишутся как день и месяц, например 01.11 и 31.03");
    if (from != to)
        return QStringLiteral("У зимнего периода нужны и начало, и конец");
    return {};
}

bool NormSurcharges::hasWinterPeriod() const {
    int d = 0, m = 0;
    return dayMonth(text(ZimaS), &d, &m) && dayMonth(text(ZimaPo), &d, &m);
}

bool NormSurcharges::inWinter(const QDate &date) const {
    int fd = 0, fm = 0, td = 0, tm = 0;
    if (!dayMonth(text(ZimaS), &fd, &fm) || !dayMonth(text(ZimaPo), &td, &tm))
        return false;
    const int from = fm * 100 + fd, to = tm * 100 + td, x = date.month() * 100 + date.day();
    return from <= to ? (x >= from && x <= to) : (x >= from || x <= to);
}

bool NormSurcharges::anySet() const {
    return hasWinterPeriod() || percent(Gorod) != 0 || percent(Vozrast) != 0 || percent(Kondicioner) != 0;
}

double NormSurcharges::percentOn(const QDate &date, bool winterMode) const {
    double d = percent(Gorod) + percent(Vozrast) + percent(Kondicioner);
    if (hasWinterPeriod())
        d += inWinter(date) ? percent(Zima) : 0;
    else if (winterMode)
        d += WinterModePercent;
    return d;
}

std::vector<double> NormSurcharges::dayNorms(double norm, int year, int month, bool winterMode) const {
    std::vector<double> days;
    if (!anySet())
        return days;
    const QDate first(year, month, 1);
    for (int d = 1; d <= first.daysInMonth(); ++d)
        days.push_back(withPercent(norm, percentOn(QDate(year, month, d), winterMode)));
    return days;
}

QString NormSurcharges::basis(double norm, int year, int month, bool winterMode) const {
    const QDate first(year, month, 1), last = first.addMonths(1).addDays(-1);
    QDate winterFrom, winterTo; // the winter days of the month
    for (QDate d = first; d <= last; d = d.addDays(1))
        if (hasWinterPeriod() ? inWinter(d) : winterMode) {
            if (!winterFrom.isValid())
                winterFrom = d;
            winterTo = d;
        }
    const double winter = hasWinterPeriod() ? percent(Zima) : (winterMode ? WinterModePercent : 0);
    const bool partial = winterFrom.isValid() && winter != 0 && (winterFrom != first || winterTo != last);

    QStringList parts;
    if (winterFrom.isValid() && winter != 0) {
        QString w = QStringLiteral("зимняя ") + percentText(winter);
        if (partial && winterFrom != first)
            w += QStringLiteral(" с ") + dayText(winterFrom);
        if (partial && winterTo != last)
            w += QStringLiteral(" по ") + dayText(winterTo);
        parts << w;
    }
    const std::pair<int, const char *> others[] = {
        {Gorod, "город"}, {Vozrast, "возраст/пробег"}, {Kondicioner, "кондиционер"}};
    double rest = 0;
    for (const auto &[index, label] : others)
        if (percent(index) != 0) {
            parts << QString::fromUtf8(label) + QLatin1Char(' ') + percentText(percent(index));
            rest += percent(index);
        }

    QString line = QStringLiteral("Норма ") + NumberText::general(norm) + QStringLiteral(" л/100 км");
    if (parts.isEmpty())
        return line;
    line += QStringLiteral("; надбавки: ") + parts.join(QStringLiteral(", ")) + QStringLiteral(" — ");
    if (!partial)
        return line + normText(withPercent(norm, rest + (winterFrom.isValid() ? winter : 0)));
    return line + normText(withPercent(norm, rest)) + QStringLiteral(", в зимние дни — ") +
           normText(withPercent(norm, rest + winter));
}
