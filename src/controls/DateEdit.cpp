#include "controls/DateEdit.h"

#include "core/DateText.h"
#include "core/OrvetError.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <utility>

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
    if (event->type() == QEvent::Show) {
        m_freshlyShown = true;
        forgetTyped();
    }
    if (event->type() == QEvent::FocusIn) {
        m_movedOn = false;
        m_typed.clear();
        // A dialog opened again gives its first control the focus as a
        // window's, and the box would stay in the part typed last (the
        // year): it starts from the day, as at the first opening.
        if (std::exchange(m_freshlyShown, false) &&
            static_cast<QFocusEvent *>(event)->reason() == Qt::ActiveWindowFocusReason) {
            QFocusEvent fresh(QEvent::FocusIn, Qt::TabFocusReason);
            return QDateEdit::event(&fresh);
        }
    }
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
    typeDate(event);
    if (!isReadOnly())
        noteTyped(event);
}

// The box fills its parts in the locale's order (month first in en_US), so
// a date typed with dots is read again from what was typed, once its year
// is whole.
void DateEdit::noteTyped(QKeyEvent *event) {
    const QString text = event->text();
    const bool plain = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (event->key() == Qt::Key_Backspace) {
        m_typed.chop(1);
        m_impossible.clear();
        return;
    }
    if (!plain || text.size() != 1 || !(text.front().isDigit() || QStringLiteral(".,/- ").contains(text))) {
        // Arrows, Delete, Home: the user now edits the parts in place.
        if (event->key() != Qt::Key_Shift)
            m_typed.clear();
        return;
    }
    m_typed += text;
    static const QRegularExpression dotted(QStringLiteral("^(\\d{1,2})\\.(\\d{1,2})\\.(\\d{4})$"));
    const QRegularExpressionMatch m = dotted.match(m_typed);
    if (!m.hasMatch())
        return;
    const QDate typed(m.captured(3).toInt(), m.captured(2).toInt(), m.captured(1).toInt());
    if (!typed.isValid() || typed < minimumDate() || typed > maximumDate()) {
        m_impossible = m_typed;
        return;
    }
    m_impossible.clear();
    if (typed != date())
        setDate(typed);
}

void DateEdit::checkTyped() {
    if (m_impossible.isEmpty())
        return;
    setFocus(Qt::OtherFocusReason);
    throw OrvetError(
        QStringLiteral("Даты «%1» нет в календаре. Введите существующую дату").arg(m_impossible));
}

void DateEdit::forgetTyped() {
    m_typed.clear();
    m_impossible.clear();
}

// A day or month whose digits leave no choice (two digits, or a first digit
// no second can follow) moves on to the next part by itself. The separator
// typed after it is the user's way of saying the same: it must not move on
// once more, or 01.11.2026 would put 11 into the year. Other separators
// people type between the parts stand for the box's own.
void DateEdit::typeDate(QKeyEvent *event) {
    const QString typed = event->text();
    const bool separator = typed.size() == 1 && QStringLiteral(".,/- ").contains(typed) &&
                           !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (separator) {
        if (std::exchange(m_movedOn, false)) {
            event->accept();
            return;
        }
        const QString own = ownSeparator();
        if (!own.isEmpty() && own != typed) {
            QKeyEvent same(event->type(), own.front().unicode(), event->modifiers(), own);
            QDateEdit::keyPressEvent(&same);
            event->setAccepted(same.isAccepted());
            return;
        }
    }
    const bool digit = typed.size() == 1 && typed.front().isDigit();
    const int before = currentSectionIndex();
    QDateEdit::keyPressEvent(event);
    m_movedOn = digit && currentSectionIndex() != before;
}

// The character the display format puts between its parts.
QString DateEdit::ownSeparator() const {
    for (const QChar c : displayFormat())
        if (!c.isLetter())
            return QString(c);
    return QString();
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
