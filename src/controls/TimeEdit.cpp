#include "controls/TimeEdit.h"

#include "core/DialogHost.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>

namespace {
// Qt's mask letters: '0' an optional digit, '9' a required one.
const QString kMask = QStringLiteral("09:99;_");
const QChar kBlank = QLatin1Char('_');
} // namespace

const QString &TimeEdit::invalidInputText() {
    static const QString text = QStringLiteral("Invalid input value.  Use escape key to abandon changes");
    return text;
}

TimeEdit::TimeEdit(QWidget *parent) : QLineEdit(parent) {
    setInputMask(kMask);
    setText(QString());
    connect(this, &QLineEdit::textEdited, this, [this] { m_changed = true; });
}

QString TimeEdit::text() const {
    QString shown = displayText();
    shown.replace(kBlank, QLatin1Char(' '));
    return shown;
}

void TimeEdit::setText(const QString &text) {
    QString masked = QStringLiteral("__:__");
    for (int pos : {0, 1, 3, 4}) {
        const QChar c = pos < text.size() ? text.at(pos) : QChar();
        if (c.isDigit() && c.unicode() < 128)
            masked[pos] = c;
    }
    QLineEdit::setText(masked);
    // With the first minute digit blank the mask would pull the second one
    // into its place; that digit is put where it belongs instead.
    if (masked.at(3) == kBlank && masked.at(4) != kBlank) {
        QLineEdit::setText(masked.left(3));
        setCursorPosition(4);
        insert(masked.mid(4, 1));
    }
    m_oldText = this->text();
    m_changed = false;
}

bool TimeEdit::isComplete() const {
    return hasAcceptableInput();
}

// The mask takes any digits: "83:00" or "99:00" must not reach a waybill.
bool TimeEdit::isTimeOfDay() const {
    const QString t = text();
    const int hour = t.left(2).trimmed().toInt();
    const int minute = t.mid(3, 2).toInt();
    return hour <= 23 && minute <= 59;
}

bool TimeEdit::acceptable() const {
    return isComplete() && isTimeOfDay();
}

bool TimeEdit::validate() {
    if (!m_changed || acceptable())
        return true;
    refuse();
    return false;
}

void TimeEdit::refuse() {
    setFocus(Qt::OtherFocusReason);
    QApplication::beep();
    if (!isComplete()) {
        DialogHost::instance().showError(invalidInputText());
        return;
    }
    DialogHost::instance().showError(
        QStringLiteral("Поле «%1»: времени «%2» нет в сутках. Часы — от 0 до 23, минуты — от 0 до 59")
            .arg(accessibleName(), text().trimmed()));
}

bool TimeEdit::escapeAbandons(const QKeyEvent *event) const {
    return m_changed && !isReadOnly() && event->key() == Qt::Key_Escape &&
           event->modifiers() == Qt::NoModifier;
}

bool TimeEdit::event(QEvent *event) {
    // Claim Esc before any shortcut of the window can take it.
    if (event->type() == QEvent::ShortcutOverride && escapeAbandons(static_cast<QKeyEvent *>(event))) {
        event->accept();
        return true;
    }
    return QLineEdit::event(event);
}

void TimeEdit::keyPressEvent(QKeyEvent *event) {
    if (escapeAbandons(event)) {
        setText(m_oldText);
        event->accept();
        return;
    }
    // A blank typed in the optional hour position leaves it empty.
    if (event->text() == QLatin1String(" ")) {
        QKeyEvent blank(event->type(), Qt::Key_unknown, event->modifiers(), QString(kBlank),
                        event->isAutoRepeat(), ushort(event->count()));
        QLineEdit::keyPressEvent(&blank);
        event->setAccepted(blank.isAccepted());
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TimeEdit::focusInEvent(QFocusEvent *event) {
    // Coming back after a refusal keeps the text Esc returns to.
    if (!m_changed)
        m_oldText = text();
    QLineEdit::focusInEvent(event);
}

void TimeEdit::focusOutEvent(QFocusEvent *event) {
    QLineEdit::focusOutEvent(event);
    // Switching windows or opening a popup is not leaving the box.
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason)
        return;
    if (!m_changed)
        return;
    if (acceptable()) {
        m_changed = false;
        return;
    }
    // Pull the focus back once the focus change in progress has finished.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (isVisible() && isEnabled() && m_changed && !acceptable())
                refuse();
        },
        Qt::QueuedConnection);
}
