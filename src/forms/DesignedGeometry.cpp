#include "forms/DesignedGeometry.h"

#include <QAbstractButton>
#include <QLabel>
#include <QWidget>
#include <QtMath>

void DesignedGeometry::apply() {
    m_sx = 1.0;
    m_sy = 1.0;
    for (const Item &item : std::as_const(m_items)) {
        if (item.text) {
            m_sx = qMax(m_sx, double(item.control->sizeHint().width()) / item.rect.width());
        } else if (!qobject_cast<QAbstractButton *>(item.control) && !qobject_cast<QLabel *>(item.control)) {
            // Buttons read well at their drawn height; edit boxes need room for a line of text.
            m_sy = qMax(m_sy, double(item.control->minimumSizeHint().height()) / item.rect.height());
        }
    }
    for (const Item &item : std::as_const(m_items))
        item.control->setGeometry(scaled(item.rect));
    m_form->setFixedSize(scaled(QRect(QPoint(0, 0), m_client)).size());
}

// Edges are scaled, not sizes, so that controls drawn side by side stay so.
QRect DesignedGeometry::scaled(const QRect &r) const {
    const int left = qRound(r.left() * m_sx);
    const int top = qRound(r.top() * m_sy);
    const int right = qRound((r.left() + r.width()) * m_sx);
    const int bottom = qRound((r.top() + r.height()) * m_sy);
    return QRect(left, top, right - left, bottom - top);
}

void DesignedGeometry::placeLabelled(const QString &text, const QRect &labelRect, QWidget *field,
                                     const QRect &fieldRect) {
    auto *label = new QLabel(text, m_form);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->setBuddy(field);
    field->setAccessibleName(text);
    placeText(label, labelRect);
    place(field, fieldRect);
}
