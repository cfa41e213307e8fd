#include "report/ReportPageViewAccessible.h"

#include "report/ReportPageAccessible.h"
#include "report/ReportPageView.h"

namespace {
QAccessibleInterface *create(const QString &className, QObject *object) {
    if (className == QLatin1String("ReportPageView") && object && object->isWidgetType())
        return new ReportPageViewAccessible(static_cast<ReportPageView *>(object));
    return nullptr;
}
} // namespace

ReportPageViewAccessible::ReportPageViewAccessible(ReportPageView *view)
    : QAccessibleWidget(view, QAccessible::Document) {}

ReportPageViewAccessible::~ReportPageViewAccessible() {
    for (QAccessible::Id id : std::as_const(m_pages))
        QAccessible::deleteAccessibleInterface(id);
}

void ReportPageViewAccessible::install() {
    static const bool installed = [] {
        QAccessible::installFactory(create);
        return true;
    }();
    Q_UNUSED(installed);
}

ReportPageView *ReportPageViewAccessible::view() const {
    return static_cast<ReportPageView *>(object());
}

QString ReportPageViewAccessible::text(QAccessible::Text t) const {
    if (t == QAccessible::Name && view()->report())
        return view()->report()->title();
    return QAccessibleWidget::text(t);
}

int ReportPageViewAccessible::childCount() const {
    return view()->report() ? view()->report()->pageCount() : 0;
}

QAccessibleInterface *ReportPageViewAccessible::child(int index) const {
    if (index < 0 || index >= childCount())
        return nullptr;
    while (m_pages.size() <= index) {
        auto *page = new ReportPageAccessible(view(), int(m_pages.size()));
        m_pages.append(QAccessible::registerAccessibleInterface(page));
    }
    return QAccessible::accessibleInterface(m_pages.at(index));
}

int ReportPageViewAccessible::indexOfChild(const QAccessibleInterface *child) const {
    for (int i = 0; i < m_pages.size(); ++i) {
        if (QAccessible::accessibleInterface(m_pages.at(i)) == child)
            return i < childCount() ? i : -1;
    }
    return -1;
}

QAccessibleInterface *ReportPageViewAccessible::childAt(int x, int y) const {
    const QPoint local = view()->mapFromGlobal(QPoint(x, y));
    for (int i = 0; i < childCount(); ++i) {
        if (view()->pageRect(i).contains(local))
            return child(i);
    }
    return nullptr;
}
