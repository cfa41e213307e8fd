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

// The text's box inside its cell, at the working scale.
QRectF textBox(const QRectF &cell) {
    const double pad = ReportRenderer::TextPadding * ReportRenderer::UnitsPerMm;
    return cell.adjusted(pad, 0, -pad, 0);
}

int textFlags(const ReportItem &item, bool wrap) {
    return int(item.alignment) | (wrap ? int(Qt::TextWordWrap) : 0);
}

void drawText(QPainter &painter, const ReportItem &item, const QRectF &r) {
    if (item.text.isEmpty())
        return;
    const ReportRenderer::TextFit fit = ReportRenderer::fitText(item);
    ReportItem sized = item;
    sized.fontSize = fit.fontSize;
    painter.setFont(ReportRenderer::itemFont(sized));
    painter.setPen(Qt::black);
    painter.drawText(textBox(r), textFlags(item, fit.wrap), item.text);
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

ReportRenderer::TextFit ReportRenderer::fitText(const ReportItem &item) {
    const TextFit asWritten{item.fontSize, item.wrap};
    const QRectF box = textBox(scaled(item.rect));
    if (!item.shrink || item.text.isEmpty() || box.width() <= 0 || box.height() <= 0)
        return asWritten;
    // Searched in whole font pixels, the steps itemFont() can draw.
    const double pointsPerPixel = 72.0 / 25.4 / UnitsPerMm;
    auto fits = [&](int pixels, bool wrap) {
        QFont font = itemFont(item);
        font.setPixelSize(pixels);
        const QRectF needed = QFontMetricsF(font).boundingRect(box, textFlags(item, wrap), item.text);
        return needed.width() <= box.width() && needed.height() <= box.height();
    };
    const int own = itemFont(item).pixelSize();
    if (fits(own, item.wrap))
        return asWritten;
    const double width = QFontMetricsF(itemFont(item)).horizontalAdvance(item.text);
    if (!item.wrap && width > box.width()) {
        int oneLine = qMax(1, int(own * box.width() / width));
        // Advances do not scale exactly: a pixel or two less may be needed.
        for (int tries = 0; tries < 3 && oneLine > 1 && !fits(oneLine, false); ++tries)
            --oneLine;
        if (oneLine * pointsPerPixel >= qMin(item.fontSize, MinShrinkSize) - 0.01 && fits(oneLine, false))
            return {oneLine * pointsPerPixel, false};
    }
    int low = 1, high = own; // low fits, or nothing does; high does not
    while (high - low > 1) {
        const int mid = (low + high) / 2;
        (fits(mid, true) ? low : high) = mid;
    }
    return {low * pointsPerPixel, true};
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
