#include "controls/DateEdit.h"

#include "data/DateText.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionComboBox>

DateEdit::DateEdit(QWidget *parent) : QDateEdit(QDate::currentDate(), parent) {
    setUp();
}

DateEdit::DateEdit(const QDate &date, QWidget *parent) : QDateEdit(date, parent) {
    setUp();
}

void DateEdit::setUp() {
    setLocale(QLocale());
    setDisplayFormat(DateText::format());
    setCalendarPopup(true);
}

// Tab leaves the box as it leaves every other field; the digits, the
// separator and Ctrl with the arrows still move between day, month and year.
bool DateEdit::event(QEvent *event) {
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool plain = !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
        if (plain && (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)) {
            const bool forward = key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier);
            QWidget::focusNextPrevChild(forward);
            return true;
        }
    }
    return QDateEdit::event(event);
}

void DateEdit::keyPressEvent(QKeyEvent *event) {
    const bool popupKey =
        event->key() == Qt::Key_F4 || ((event->key() == Qt::Key_Down || event->key() == Qt::Key_Up) &&
                                       (event->modifiers() & Qt::AltModifier));
    if (popupKey) {
        event->accept();
        if (!isReadOnly() && calendarPopup())
            showCalendar();
        return;
    }
    QDateEdit::keyPressEvent(event);
}

// The calendar opens from the keyboard as the calculator of the numeric
// boxes does (F4, Alt+Down). Qt opens it only on a click on the arrow, so
// the click is made there.
void DateEdit::showCalendar() {
    QStyleOptionComboBox option;
    option.initFrom(this);
    option.editable = true;
    option.subControls = QStyle::SC_All;
    const QRect arrow = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, this);
    const QPointF at = arrow.center();
    QMouseEvent press(QEvent::MouseButtonPress, at, mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QDateEdit::mousePressEvent(&press);
}

void DateEdit::mousePressEvent(QMouseEvent *event) {
    if (isReadOnly()) {
        event->accept();
        return;
    }
    QDateEdit::mousePressEvent(event);
}

void DateEdit::wheelEvent(QWheelEvent *event) {
    if (isReadOnly()) {
        event->ignore();
        return;
    }
    QDateEdit::wheelEvent(event);
}
