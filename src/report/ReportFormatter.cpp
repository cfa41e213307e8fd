#include "report/ReportFormatter.h"

#include "core/DateText.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QTime>
#include <algorithm>
#include <cmath>

namespace {
bool isNumericType(const QVariant &value) {
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
        return true;
    default:
        return false;
    }
}

bool isNumberPattern(const QString &pattern) {
    return pattern.contains(QLatin1Char('0')) || pattern.contains(QLatin1Char('#'));
}

QLocale plainLocale() {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale;
}

QString defaultText(const QVariant &value) {
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float: {
        const double v = value.toDouble();
        return plainLocale().toString(v == 0.0 ? 0.0 : v, 'g', 15);
    }
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("Да") : QStringLiteral("Нет");
    case QMetaType::QDate:
        return DateText::toText(value.toDate());
    case QMetaType::QTime:
        return QLocale().toString(value.toTime(), QLocale::ShortFormat);
    case QMetaType::QDateTime: {
        const QDateTime dt = value.toDateTime();
        return DateText::toText(dt.date()) + QLatin1Char(' ') +
               QLocale().toString(dt.time(), QLocale::ShortFormat);
    }
    default:
        if (isNumericType(value))
            return plainLocale().toString(value.toLongLong());
        return value.toString();
    }
}
} // namespace

bool ReportFormatter::toNumber(const QVariant &value, double &result) {
    bool ok = false;
    if (isNumericType(value)) {
        result = value.toDouble(&ok);
        return ok;
    }
    if (value.typeId() != QMetaType::QString)
        return false;
    const QString text = value.toString().trimmed();
    if (text.isEmpty())
        return false;
    result = text.toDouble(&ok);
    if (!ok)
        result = QLocale().toDouble(text, &ok);
    return ok;
}

QString ReportFormatter::format(const QVariant &value, const QString &format) {
    if (!value.isValid() || value.isNull())
        return {};
    if (format.isEmpty())
        return defaultText(value);
    switch (value.typeId()) {
    case QMetaType::QDate:
        return QLocale().toString(value.toDate(), format);
    case QMetaType::QTime:
        return QLocale().toString(value.toTime(), format);
    case QMetaType::QDateTime:
        return QLocale().toString(value.toDateTime(), format);
    default:
        break;
    }
    double number = 0.0;
    if (isNumberPattern(format) && toNumber(value, number))
        return formatNumber(number, format);
    return defaultText(value);
}

QString ReportFormatter::formatNumber(double value, const QString &format) {
    // "positive;negative;zero": a form leaves a day off's cells blank with
    // an empty third section.
    const QStringList sections = format.split(QLatin1Char(';'));
    if (sections.size() >= 3 && value == 0)
        return sections.at(2);
    if (sections.size() >= 2 && value < 0)
        return formatSection(-value, sections.at(1));
    return formatSection(value, sections.at(0));
}

QString ReportFormatter::formatSection(double value, const QString &pattern) {
    const QString digits = QStringLiteral("#0");
    qsizetype begin = -1, end = -1;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        if (digits.contains(pattern.at(i))) {
            if (begin < 0)
                begin = i;
            end = i;
        }
    }
    if (begin < 0)
        return pattern;
    QString core = pattern.mid(begin, end - begin + 1);
    const QString prefix = pattern.left(begin);
    const QString suffix = pattern.mid(end + 1);

    const qsizetype dot = core.indexOf(QLatin1Char('.'));
    const QString intPattern = dot < 0 ? core : core.left(dot);
    const QString fracPattern = dot < 0 ? QString() : core.mid(dot + 1);
    const int minInt = int(intPattern.count(QLatin1Char('0')));
    const bool grouping = intPattern.contains(QLatin1Char(','));
    const int minFrac = int(fracPattern.count(QLatin1Char('0')));
    const int maxFrac =
        qMin(15, int(fracPattern.count(QLatin1Char('0')) + fracPattern.count(QLatin1Char('#'))));

    if (!std::isfinite(value))
        return prefix + QString::number(value) + suffix;
    QString plain = QString::number(std::fabs(value), 'f', maxFrac);
    QString intDigits = plain.section(QLatin1Char('.'), 0, 0);
    QString fracDigits = plain.section(QLatin1Char('.'), 1, 1);
    while (fracDigits.size() > minFrac && fracDigits.endsWith(QLatin1Char('0')))
        fracDigits.chop(1);
    if (intDigits == QLatin1String("0") && minInt == 0)
        intDigits.clear();
    while (intDigits.size() < minInt)
        intDigits.prepend(QLatin1Char('0'));
    const QLocale locale;
    if (grouping) {
        const QString group = locale.groupSeparator();
        for (qsizetype i = intDigits.size() - 3; i > 0; i -= 3)
            intDigits.insert(i, group);
    }
    QString result = intDigits;
    if (!fracDigits.isEmpty())
        result += locale.decimalPoint() + fracDigits;
    const bool zero = std::none_of(plain.cbegin(), plain.cend(),
                                   [](QChar c) { return c >= QLatin1Char('1') && c <= QLatin1Char('9'); });
    if (value < 0 && !zero)
        result.prepend(locale.negativeSign());
    return prefix + result + suffix;
}
