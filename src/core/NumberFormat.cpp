#include "core/NumberFormat.h"

#include <QLocale>
#include <cmath>

NumberFormat::NumberFormat(const QString &pattern, int decimals) : m_decimals(qMax(0, decimals)) {
    setPattern(pattern);
}

void NumberFormat::setPattern(const QString &pattern) {
    m_pattern = pattern;
    m_grouping = pattern.contains(QLatin1Char(','));
    const int point = pattern.indexOf(QLatin1Char('.'));
    if (pattern.isEmpty()) { // no pattern: the box's decimals rule alone
        m_patternMin = 0;
        m_patternMax = 15;
        return;
    }
    m_patternMin = 0;
    m_patternMax = 0;
    if (point < 0)
        return;
    for (const QChar c : pattern.mid(point + 1)) {
        if (c == QLatin1Char('0')) {
            ++m_patternMin;
            ++m_patternMax;
        } else if (c == QLatin1Char('#')) {
            ++m_patternMax;
        }
    }
}

void NumberFormat::setDecimals(int decimals) {
    m_decimals = qMax(0, decimals);
}

int NumberFormat::maxDecimals() const {
    return qMin(m_patternMax, m_decimals);
}

double NumberFormat::round(double value) const {
    return roundHalfAway(value, maxDecimals());
}

QString NumberFormat::toText(double value) const {
    const double shown = round(value);
    if (shown == 0.0 || !std::isfinite(shown))
        return QString();
    QLocale locale;
    if (!m_grouping)
        locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    const int places = maxDecimals();
    QString text = locale.toString(shown, 'f', places);
    if (places == 0)
        return text;
    // Optional places ('#') drop their trailing zeros, required ones ('0') stay.
    const QString point = locale.decimalPoint();
    const int at = text.lastIndexOf(point);
    if (at < 0)
        return text;
    int keep = places;
    while (keep > qMin(m_patternMin, places) && text.at(at + point.size() + keep - 1) == QLatin1Char('0'))
        --keep;
    return keep == 0 ? text.left(at) : text.left(at + point.size() + keep);
}

double NumberFormat::roundHalfAway(double value, int decimals) {
    if (value == 0.0 || !std::isfinite(value))
        return value;
    const QString sci = QString::number(std::abs(value), 'e', 14); // d.dddddddddddddde+XX
    const int ePos = sci.indexOf(QLatin1Char('e'));
    const QString digits = sci.left(1) + sci.mid(2, ePos - 2);
    const int exponent = sci.mid(ePos + 1).toInt();
    const int keep = exponent + 1 + decimals; // significant digits left of the cut
    if (keep >= digits.size())
        return value;
    if (keep < 0)
        return 0.0;
    qint64 mantissa = keep == 0 ? 0 : digits.left(keep).toLongLong();
    if (digits.at(keep) >= QLatin1Char('5'))
        ++mantissa;
    // Parsing the decimal text gives the double nearest to the rounded number.
    const double rounded = QStringLiteral("%1e-%2").arg(mantissa).arg(decimals).toDouble();
    return value < 0 ? -rounded : rounded;
}

double NumberFormat::parse(const QString &text, bool *ok) {
    const Reading r = read(text);
    if (r.plain.isEmpty() && r.wellFormed) {
        if (ok)
            *ok = true;
        return 0.0;
    }
    bool converted = false;
    double value = r.wellFormed ? QLocale::c().toDouble(r.plain, &converted) : 0.0;
    converted = converted && std::isfinite(value); // "inf" and "nan" are no amounts
    if (ok)
        *ok = converted;
    return converted ? value : 0.0;
}

NumberFormat::Reading NumberFormat::read(const QString &text) {
    const QLocale locale;
    const QString group = locale.groupSeparator();
    const QString point = locale.decimalPoint();
    QString compact;
    compact.reserve(text.size());
    for (const QChar c : text)
        if (!c.isSpace() &&
            !(QString(c) == group && group != QLatin1String(".") && group != QLatin1String(",")))
            compact += c;
    Reading r;
    const qsizetype lastDot = compact.lastIndexOf(QLatin1Char('.'));
    const qsizetype lastComma = compact.lastIndexOf(QLatin1Char(','));
    QChar decimal; // none
    QChar grouping;
    if (lastDot >= 0 && lastComma >= 0) {
        decimal = compact.at(qMax(lastDot, lastComma));
        grouping = decimal == QLatin1Char('.') ? QLatin1Char(',') : QLatin1Char('.');
        if (compact.count(decimal) > 1 || compact.lastIndexOf(grouping) > compact.indexOf(decimal))
            return r;
    } else if (lastDot >= 0 || lastComma >= 0) {
        const QChar sign = lastDot >= 0 ? QLatin1Char('.') : QLatin1Char(',');
        if (compact.count(sign) > 1 || QString(sign) == group)
            grouping = sign;
        else
            decimal = sign;
    }
    // Digits, a leading minus, groups of three before the decimal sign.
    int run = 0;
    bool afterGroup = false;
    bool afterDecimal = false;
    for (qsizetype i = 0; i < compact.size(); ++i) {
        const QChar c = compact.at(i);
        if (c == QLatin1Char('-') && i == 0) {
            r.plain += c;
            continue;
        }
        if (c.isDigit() && c.unicode() < 128) {
            ++run;
            r.plain += c;
            if (afterDecimal)
                ++r.places;
            continue;
        }
        if (!grouping.isNull() && c == grouping && !afterDecimal) {
            if (run == 0 || (afterGroup && run != 3) || (!afterGroup && run > 3))
                return r;
            afterGroup = true;
            run = 0;
            continue;
        }
        if (!decimal.isNull() && c == decimal) {
            if (afterGroup && run != 3)
                return r;
            afterDecimal = true;
            r.decimalSign = true;
            r.plain += QLatin1Char('.');
            continue;
        }
        return r;
    }
    if (afterGroup && !afterDecimal && run > 3)
        return r;
    r.wellFormed = true;
    r.complete = !(afterGroup && !afterDecimal && run != 3);
    r.maybeGroup = !decimal.isNull() && grouping.isNull() && QString(decimal) != point && r.places == 3;
    if (r.plain == QLatin1String("-"))
        r.plain.clear();
    return r;
}
