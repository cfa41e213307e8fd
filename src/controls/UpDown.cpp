#include "controls/UpDown.h"

#include "controls/AccessibleFactory.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QPainter>
#include <QToolButton>
#include <QVBoxLayout>

UpDown::UpDown(QWidget *parent)
    : QWidget(parent), m_up(new QToolButton(this)), m_down(new QToolButton(this)) {
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_up->setArrowType(Qt::UpArrow);
    m_down->setArrowType(Qt::DownArrow);
    m_up->setAccessibleName(QStringLiteral("Следующий месяц"));
    m_down->setAccessibleName(QStringLiteral("Предыдущий месяц"));
    for (QToolButton *b : {m_up, m_down}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        b->setAutoRaise(false);
        layout->addWidget(b);
    }
    // Reached by Tab only: a click on an arrow leaves the focus where it was.
    setFocusPolicy(Qt::TabFocus);
    connect(m_up, &QToolButton::clicked, this, &UpDown::stepUp);
    connect(m_down, &QToolButton::clicked, this, &UpDown::stepDown);
    AccessibleFactory::renew(this);
}

void UpDown::setRange(int min, int max) {
    m_min = min;
    m_max = max;
    m_position = qBound(min, m_position, max);
}

void UpDown::setValueText(const QString &text) {
    if (text == m_valueText)
        return;
    m_valueText = text;
    QAccessibleValueChangeEvent event(this, text);
    QAccessible::updateAccessibility(&event);
}

void UpDown::step(int direction) {
    const int p = qBound(m_min, m_position + direction, m_max);
    if (p == m_position)
        return;
    m_position = p;
    emit clicked(direction);
}

void UpDown::keyPressEvent(QKeyEvent *event) {
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_PageUp:
    case Qt::Key_Plus:
        stepUp();
        break;
    case Qt::Key_Down:
    case Qt::Key_PageDown:
    case Qt::Key_Minus:
        stepDown();
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

// The buttons fill the control, so the focus shows as a frame around them.
void UpDown::showFocus(bool focused) {
    layout()->setContentsMargins(focused ? QMargins(2, 2, 2, 2) : QMargins());
    update();
}

void UpDown::focusInEvent(QFocusEvent *event) {
    QWidget::focusInEvent(event);
    showFocus(true);
}

void UpDown::focusOutEvent(QFocusEvent *event) {
    QWidget::focusOutEvent(event);
    showFocus(false);
}

void UpDown::paintEvent(QPaintEvent *event) {
    QWidget::paintEvent(event);
    if (!hasFocus())
        return;
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Highlight));
}
