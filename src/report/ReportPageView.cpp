#include "report/ReportPageView.h"

#include "report/ReportPageViewAccessible.h"
#include "report/ReportRenderer.h"

#include <QAccessible>

#include <QPaintEvent>
#include <QPainter>

ReportPageView::ReportPageView(QWidget *parent) : QWidget(parent) {
    ReportPageViewAccessible::install();
    setBackgroundRole(QPalette::Dark);
    setAutoFillBackground(true);
}

void ReportPageView::setReport(const PreparedReport *report) {
    m_report = report;
    m_highlightPage = -1;
    m_highlightItem = -1;
    resize(sizeHint());
    update();
    // Other pages: a screen reader reads the tree again.
    QAccessibleEvent event(this, QAccessible::ObjectReorder);
    QAccessible::updateAccessibility(&event);
}

double ReportPageView::pixelsPerMm() const {
    return m_zoom * logicalDpiX() / 25.4;
}

void ReportPageView::setZoom(double zoom) {
    m_zoom = qBound(0.1, zoom, 8.0);
    resize(sizeHint());
    update();
}

double ReportPageView::zoomForWidth(int width) const {
    if (!m_report)
        return m_zoom;
    const double pageWidthPx = m_report->pageSize().width() * logicalDpiX() / 25.4;
    return qMax(0.1, (width - 2 * Gap) / pageWidthPx);
}

double ReportPageView::zoomForPage(const QSize &size) const {
    if (!m_report)
        return m_zoom;
    const double pageHeightPx = m_report->pageSize().height() * logicalDpiX() / 25.4;
    return qMin(zoomForWidth(size.width()), qMax(0.1, (size.height() - 2 * Gap) / pageHeightPx));
}

QRect ReportPageView::pageRect(int page) const {
    if (!m_report)
        return {};
    const QSizeF size = m_report->pageSize() * pixelsPerMm();
    const int w = qRound(size.width());
    const int h = qRound(size.height());
    const int x = qMax(Gap, (width() - w) / 2);
    return QRect(x, Gap + page * (h + Gap), w, h);
}

QRect ReportPageView::itemRect(int page, qsizetype item) const {
    if (!m_report || page < 0 || page >= m_report->pageCount() || item < 0 ||
        item >= m_report->pages().at(page).items.size())
        return {};
    const ReportItem &it = m_report->pages().at(page).items.at(item);
    const double k = pixelsPerMm();
    const QRectF r(it.rect.x() * k, it.rect.y() * k, it.rect.width() * k, it.rect.height() * k);
    return r.toAlignedRect().translated(pageRect(page).topLeft());
}

QSize ReportPageView::sizeHint() const {
    if (!m_report || m_report->isEmpty())
        return {400, 300};
    const QSizeF size = m_report->pageSize() * pixelsPerMm();
    const int pages = m_report->pageCount();
    return {qRound(size.width()) + 2 * Gap, pages * (qRound(size.height()) + Gap) + Gap};
}

void ReportPageView::setHighlight(int page, qsizetype item) {
    m_highlightPage = page;
    m_highlightItem = item;
    update();
}

void ReportPageView::paintEvent(QPaintEvent *event) {
    if (!m_report)
        return;
    QPainter painter(this);
    for (int p = 0; p < m_report->pageCount(); ++p) {
        const QRect rect = pageRect(p);
        if (!rect.adjusted(-2, -2, 4, 4).intersects(event->rect()))
            continue;
        painter.fillRect(rect.translated(3, 3), QColor(0, 0, 0, 90));
        painter.fillRect(rect, Qt::white);
        if (p == m_highlightPage)
            painter.fillRect(itemRect(p, m_highlightItem), QColor(255, 230, 0, 160));
        ReportRenderer::renderPage(painter, m_report->pages().at(p), m_report->pageSize(), rect);
    }
}
