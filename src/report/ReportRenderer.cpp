#include "report/ReportRenderer.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>

namespace {
QString fontFamily() {
    // One family everywhere keeps text widths the same on screen, paper and
    // PDF; DejaVu ships with the program's dependencies.
    static const QString family = QFontDatabase::families().contains(QStringLiteral("DejaVu Sans"))
                                      ? QStringLiteral("DejaVu Sans")
                                      : QFont().family();
    return family;
}

QPen pen(double widthMm) {
    QPen p(Qt::black);
    p.setWidthF(widthMm * ReportRenderer::UnitsPerMm);
    p.setCapStyle(Qt::SquareCap);
    p.setCosmetic(widthMm <= 0.0);
    return p;
}

QRectF scaled(const QRectF &r) {
    const double k = ReportRenderer::UnitsPerMm;
    return QRectF(r.x() * k, r.y() * k, r.width() * k, r.height() * k);
}

void drawFrames(QPainter &painter, const ReportItem &item, const QRectF &r) {
    if (item.frames == 0)
        return;
    painter.setPen(pen(item.lineWidth));
    if (item.frames & ReportItem::FrameLeft)
        painter.drawLine(r.topLeft(), r.bottomLeft());
    if (item.frames & ReportItem::FrameTop)
        painter.drawLine(r.topLeft(), r.topRight());
    if (item.frames & ReportItem::FrameRight)
        painter.drawLine(r.topRight(), r.bottomRight());
    if (item.frames & ReportItem::FrameBottom)
        painter.drawLine(r.bottomLeft(), r.bottomRight());
}

void drawText(QPainter &painter, const ReportItem &item, const QRectF &r) {
    if (item.text.isEmpty())
        return;
    QFont font = ReportRenderer::itemFont(item);
    const double pad = ReportRenderer::TextPadding * ReportRenderer::UnitsPerMm;
    const QRectF box = r.adjusted(pad, 0, -pad, 0);
    if (item.shrink && !item.wrap && box.width() > 0) {
        const double width = QFontMetricsF(font).horizontalAdvance(item.text);
        if (width > box.width())
            font.setPixelSize(qMax(1, int(font.pixelSize() * box.width() / width)));
    }
    painter.setFont(font);
    painter.setPen(Qt::black);
    int flags = int(item.alignment);
    if (item.wrap)
        flags |= Qt::TextWordWrap;
    painter.drawText(box, flags, item.text);
}
} // namespace

QFont ReportRenderer::itemFont(const ReportItem &item) {
    QFont font(fontFamily());
    // Pixel size in 1/100 mm: big enough that hinting and rounding do not
    // change text widths between devices.
    font.setPixelSize(qMax(1, qRound(item.fontSize * 25.4 / 72.0 * UnitsPerMm)));
    font.setBold(item.bold);
    font.setItalic(item.italic);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

void ReportRenderer::renderPage(QPainter &painter, const ReportPage &page, const QSizeF &pageSize,
                                const QRectF &target) {
    if (pageSize.isEmpty() || target.isEmpty())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.translate(target.topLeft());
    painter.scale(target.width() / (pageSize.width() * UnitsPerMm),
                  target.height() / (pageSize.height() * UnitsPerMm));
    painter.setBrush(Qt::NoBrush);
    for (const ReportItem &item : page.items) {
        switch (item.kind) {
        case ReportItem::Kind::Line:
            painter.setPen(pen(item.lineWidth));
            painter.drawLine(QLineF(item.line.p1() * UnitsPerMm, item.line.p2() * UnitsPerMm));
            break;
        case ReportItem::Kind::Rect:
            painter.setPen(pen(item.lineWidth));
            painter.drawRect(scaled(item.rect));
            break;
        case ReportItem::Kind::Text:
            drawFrames(painter, item, scaled(item.rect));
            drawText(painter, item, scaled(item.rect));
            break;
        }
    }
    painter.restore();
}
