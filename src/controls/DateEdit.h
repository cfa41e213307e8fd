#pragma once

#include <QDateEdit>

// Date box with a pop-up calendar in the user's short date form (four-digit
// year). Read-only means neither typing nor the calendar: the main window
// shows its period this way. setDate() emits dateChanged like a user edit.
// F4 or Alt+Down opens the calendar; Tab leaves the box at once. A date is
// typed as people write it: 1.3.2026, 01.03.2026 or 01032026. Typed with
// dots it is day.month.year whatever the locale's order; one that names no
// day (31.04.2026) is kept as typed for checkTyped() to refuse, where the
// box itself would quietly show the nearest day.
class DateEdit : public QDateEdit {
    Q_OBJECT
public:
    explicit DateEdit(QWidget *parent = nullptr);
    explicit DateEdit(const QDate &date, QWidget *parent = nullptr);

    // The dotted date typed since the box last had the focus when it names
    // no day; empty otherwise.
    QString impossibleTyped() const { return m_impossible; }
    // Throws the error naming that date, the box focused, when there is one.
    void checkTyped();
    // Forgets what was typed: the date set from outside is the box's now.
    void forgetTyped();

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    void setUp();
    void typeDate(QKeyEvent *event);
    void noteTyped(QKeyEvent *event);
    QString ownSeparator() const;
    void showCalendar();

    bool m_movedOn = false;      // the last digit filled its part and moved to the next
    bool m_freshlyShown = false; // shown, and no focus since
    QString m_typed;             // digits and separators typed since the focus came
    QString m_impossible;
};
