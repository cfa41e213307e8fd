#include "settings/NumberText.h"

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

double NumberText::parse(const QString &text, bool *ok) {
    const QString t = text.trimmed();
    QLocale locale;
    bool good = false;
    double v = locale.toDouble(t, &good);
    if (!good)
        v = QLocale::c().toDouble(t, &good);
    if (ok)
        *ok = good;
    return good ? v : 0.0;
}
