#include "core/NumberText.h"

#include "core/OrvetError.h"

#include <QLocale>
#include <cmath>

QString NumberText::general(double value) {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    if (value == 0 || std::isnan(value))
        return QStringLiteral("0");
    QString s = locale.toString(value, 'g', 15);
    return s;
}

// The settings file moves between sessions with other locales, so a decimal
// comma and a decimal point are both read whatever the locale writes.
double NumberText::parse(const QString &text, bool *ok) {
    QString t = text.trimmed();
    QLocale locale;
    locale.setNumberOptions(QLocale::RejectGroupSeparator);
    bool good = false;
    double v = locale.toDouble(t, &good);
    if (!good && t.count(QLatin1Char(',')) == 1 && !t.contains(QLatin1Char('.')))
        t.replace(QLatin1Char(','), QLatin1Char('.'));
    if (!good) {
        QLocale c = QLocale::c();
        c.setNumberOptions(QLocale::RejectGroupSeparator);
        v = c.toDouble(t, &good);
    }
    good = good && std::isfinite(v); // "inf" and "nan" read as numbers, but are none
    if (ok)
        *ok = good;
    return good ? v : 0.0;
}

int NumberText::integer(const QString &text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok)
        throw OrvetError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return value;
}
