#include "controls/DateEdit.h"

#include "data/DateText.h"

#include <QKeyEvent>

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

void DateEdit::keyPressEvent(QKeyEvent *event) {
    if (isReadOnly()) {
        const bool popupKey =
            event->key() == Qt::Key_F4 || ((event->key() == Qt::Key_Down || event->key() == Qt::Key_Up) &&
                                           (event->modifiers() & Qt::AltModifier));
        if (popupKey) {
            event->accept();
            return;
        }
    }
    QDateEdit::keyPressEvent(event);
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
