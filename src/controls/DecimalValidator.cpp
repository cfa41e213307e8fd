#include "controls/DecimalValidator.h"

#include "core/NumberFormat.h"

DecimalValidator::DecimalValidator(QObject *parent) : QValidator(parent) {}

void DecimalValidator::setDecimals(int decimals) {
    m_decimals = qMax(0, decimals);
    emit changed();
}

QValidator::State DecimalValidator::validate(QString &input, int &pos) const {
    Q_UNUSED(pos)
    if (!m_signed && (input.contains(QLatin1Char('-')) || input.contains(QChar(u'−'))))
        return Invalid;
    const NumberFormat::Reading r = NumberFormat::read(input);
    if (!r.wellFormed)
        return Invalid;
    if (m_decimals == 0 && r.decimalSign && !r.maybeGroup)
        return Invalid; // a box of whole numbers takes no decimal sign
    if (r.places > m_decimals)
        // 1.234 may yet become 1.234,56: the point may be a group's.
        return r.maybeGroup ? Intermediate : Invalid;
    return r.complete ? Acceptable : Intermediate;
}
