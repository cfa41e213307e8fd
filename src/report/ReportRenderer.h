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

    static constexpr double UnitsPerMm = 100.0;
    static constexpr double TextPadding = 0.6; // mm, left and right inside a cell
};
