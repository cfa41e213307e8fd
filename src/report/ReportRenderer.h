#pragma once

#include "report/PreparedReport.h"

#include <QRectF>

class QFont;
class QPainter;

// Draws a prepared page. The preview, the printer and the PDF export all go
// through renderPage(), so what is previewed is what is printed.
class ReportRenderer {
public:
    // Paints page (pageSize in mm) scaled into target, given in the
    // painter's current coordinates. Paints no background.
    static void renderPage(QPainter &painter, const ReportPage &page, const QSizeF &pageSize,
                           const QRectF &target);
    // The font of a text item at the renderer's working scale (1/100 mm).
    static QFont itemFont(const ReportItem &item);

    // How a text item is set: its size in points and whether it wraps. A
    // shrink item keeps one line down to MinShrinkSize; a text that would
    // need less wraps at the largest size at which all of it fits the box,
    // so a long value stays whole and legible instead of tiny or cut.
    struct TextFit {
        double fontSize;
        bool wrap;
    };
    static TextFit fitText(const ReportItem &item);

    static constexpr double UnitsPerMm = 100.0;
    static constexpr double TextPadding = 0.6;   // mm, left and right inside a cell
    static constexpr double MinShrinkSize = 6.0; // pt
};
