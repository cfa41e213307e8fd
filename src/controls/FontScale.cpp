#include "controls/FontScale.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QtMath>

namespace {
constexpr double DesignedAverageWidth = 6.0;
constexpr double DesignedLineHeight = 13.0;
} // namespace

// The average over the 52 Latin letters, as dialog units are measured.
double FontScale::horizontal() {
    const QFontMetricsF m(QApplication::font());
    const double average = m.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) / 52;
    return qMax(1.0, average / DesignedAverageWidth);
}

double FontScale::vertical() {
    return qMax(1.0, QFontMetricsF(QApplication::font()).height() / DesignedLineHeight);
}

int FontScale::x(int designed) { return qCeil(designed * horizontal()); }

int FontScale::y(int designed) { return qCeil(designed * vertical()); }
