#pragma once

#include <QLineEdit>

// Masked time box "HH:MM": the first hour digit may stay blank, the other
// three digits are required, the colon is part of the text. A box whose
// text the user changed refuses to lose the focus while a required digit
// is missing; Esc abandons such a change instead of closing the dialog.
class TimeEdit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)
public:
    static const QString &invalidInputText();

    explicit TimeEdit(QWidget *parent = nullptr);

    // Five characters: the colon in place and a blank for every position not
    // typed ("  :  " when empty, " 9:00" with one hour digit).
    QString text() const;
    // Takes a text of that form; digits land in their positions, anything
    // else leaves the position blank. Counts as no change by the user.
    void setText(const QString &text);

    // All three required digits are there.
    bool isComplete() const;
    // Hours 0-23 and minutes 0-59 (the mask alone takes 99:99).
    bool isTimeOfDay() const;
    // The user changed the text since it was set or last accepted.
    bool isChanged() const { return m_changed; }
    // False, with the beep and the error report of a refused exit, when the
    // changed text is incomplete or no time of day (naming the field).
    // Dialogs call it before accepting.
    bool validate();

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    bool escapeAbandons(const QKeyEvent *event) const;
    bool acceptable() const;
    void refuse();

    QString m_oldText; // what Esc goes back to
    bool m_changed = false;
};
