#include "report/ReportPageAccessible.h"

#include "report/ReportLines.h"
#include "report/ReportPageView.h"

#include <QWidget>
#include <QWindow>

bool ReportPageAccessible::isValid() const {
    return m_view && m_view->report() && m_page < m_view->report()->pageCount();
}

QWindow *ReportPageAccessible::window() const {
    return m_view ? m_view->window()->windowHandle() : nullptr;
}

QAccessibleInterface *ReportPageAccessible::parent() const {
    return m_view ? QAccessible::queryAccessibleInterface(m_view) : nullptr;
}

QString ReportPageAccessible::text(QAccessible::Text t) const {
    if (t != QAccessible::Name || !isValid())
        return {};
    return QStringLiteral("Страница %1 из %2").arg(m_page + 1).arg(m_view->report()->pageCount());
}

QRect ReportPageAccessible::rect() const {
    if (!isValid())
        return {};
    const QRect page = m_view->pageRect(m_page);
    return QRect(m_view->mapToGlobal(page.topLeft()), page.size());
}

QAccessible::State ReportPageAccessible::state() const {
    QAccessible::State s;
    s.readOnly = true;
    s.multiLine = true;
    if (!m_view || !m_view->isVisible())
        s.invisible = true;
    return s;
}

void *ReportPageAccessible::interface_cast(QAccessible::InterfaceType t) {
    return t == QAccessible::TextInterface ? static_cast<QAccessibleTextInterface *>(this) : nullptr;
}

QString ReportPageAccessible::plainText() const {
    return isValid() ? ReportLines::reading(m_view->report()->pages().at(m_page)) : QString();
}
