#pragma once

#include <QAccessibleWidget>
#include <QList>

class ReportPageView;

// The preview's pages for a screen reader: a document named after the
// report, with one child per page.
class ReportPageViewAccessible : public QAccessibleWidget {
public:
    explicit ReportPageViewAccessible(ReportPageView *view);
    ~ReportPageViewAccessible() override;

    static void install();

    QString text(QAccessible::Text t) const override;
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;

private:
    ReportPageView *view() const;

    // Made on demand and kept in Qt's registry, so each page keeps its id.
    mutable QList<QAccessible::Id> m_pages;
};
