#include "data/waybill/WaybillNumber.h"

#include "core/NumberText.h"

QString WaybillNumber::next(const QString &previous) {
    int digits = 0;
    while (digits < previous.size() && previous.at(digits) >= QLatin1Char('0') &&
           previous.at(digits) <= QLatin1Char('9'))
        ++digits;
    // Nothing to count on: start the year's numbering again.
    if (digits == 0)
        return QStringLiteral("01");
    const QString prefix = previous.left(digits);
    const QString rest = previous.mid(digits);

    int zeros = 0;
    while (zeros < digits && prefix.at(zeros) == QLatin1Char('0'))
        ++zeros;

    const int n = NumberText::integer(prefix);

    if (n >= 12)
        return QStringLiteral("01") + rest;
    return QString(zeros, QLatin1Char('0')) + QString::number(n + 1) + rest;
}
