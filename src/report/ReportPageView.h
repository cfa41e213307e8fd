#pragma once

#include "report/PreparedReport.h"

#include <QWidget>

// Draws the pages of a prepared report one under another at a zoom, and
// marks one item (the last find) in yellow.
class ReportPageView : public QWidget {
    Q_OBJECT
public:
    explicit ReportPageView(QWidget *parent = nullptr);

    void setReport(const PreparedReport *report);
    const PreparedReport *report() const { return m_report; }
    // 1.0 shows the page at its real size on the screen.
    void setZoom(double zoom);
    double zoom() const { return m_zoom; }
    // The zoom at which a page is as wide (or as wide and high) as a view.
    double zoomForWidth(int width) const;
    double zoomForPage(const QSize &size) const;

    void setHighlight(int page, qsizetype item);
    QRect itemRect(int page, qsizetype item) const;
    QRect pageRect(int page) const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    double pixelsPerMm() const;

    const PreparedReport *m_report = nullptr;
    double m_zoom = 1.0;
    int m_highlightPage = -1;
    qsizetype m_highlightItem = -1;

    static constexpr int Gap = 12;
};
