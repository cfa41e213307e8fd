#pragma once

#include "core/PlainAccessibleText.h"

#include <QAccessibleInterface>
#include <QPointer>

class ReportPageView;

// One page of the preview for a screen reader: "Страница 2 из 3", with the
// page's text to read line by line.
class ReportPageAccessible : public QAccessibleInterface, public PlainAccessibleText {
public:
    ReportPageAccessible(ReportPageView *view, int page) : m_view(view), m_page(page) {}

    bool isValid() const override;
    QObject *object() const override { return nullptr; }
    QWindow *window() const override;
    QAccessibleInterface *focusChild() const override { return nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *parent() const override;
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    using PlainAccessibleText::text; // the text interface's own, by offsets
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::Section; }
    QAccessible::State state() const override;
    void *interface_cast(QAccessible::InterfaceType t) override;

    QString plainText() const override;

private:
    QPointer<ReportPageView> m_view;
    int m_page;
};
