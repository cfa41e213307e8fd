#include "controls/DecimalValidator.h"

#include <QLocale>

DecimalValidator::DecimalValidator(QObject *parent) : QValidator(parent) {}

void DecimalValidator::setDecimals(int decimals) {
    m_decimals = qMax(0, decimals);
    emit changed();
}

namespace {
bool isGroupChar(QChar c, const QString &group) {
    return c == QLatin1Char(' ') || c == QChar(0x00A0) || c == QChar(0x202F) || QString(c) == group;
}
} // namespace

QValidator::State DecimalValidator::validate(QString &input, int &pos) const {
    Q_UNUSED(pos)
    const QLocale locale;
    const QString point = locale.decimalPoint();
    const QString group = locale.groupSeparator();
    if (point != QLatin1String(".") && group != QLatin1String("."))
        input.replace(QLatin1Char('.'), point);

    int places = -1; // -1: no decimal separator yet
    for (int i = 0; i < input.size(); ++i) {
        const QChar c = input.at(i);
        if (c == QLatin1Char('-') && i == 0)
            continue;
        if (QString(c) == point) {
            if (places >= 0 || m_decimals == 0)
                return Invalid;
            places = 0;
            continue;
        }
        if (c.isDigit() && c.unicode() < 128) {
            if (places >= 0 && ++places > m_decimals)
                return Invalid;
            continue;
        }
        if (isGroupChar(c, group) && places < 0)
            continue;
        return Invalid;
    }
    return Acceptable;
}
