#pragma once

#include <QDateEdit>

// Date box with a pop-up calendar in the user's short date form (four-digit
// year). Read-only means neither typing nor the calendar: the main window
// shows its period this way. setDate() emits dateChanged like a user edit.
// F4 or Alt+Down opens the calendar; Tab leaves the box at once. A date is
// typed as people write it: 1.3.2026, 01.03.2026 or 01032026.
class DateEdit : public QDateEdit {
    Q_OBJECT
public:
    explicit DateEdit(QWidget *parent = nullptr);
    explicit DateEdit(const QDate &date, QWidget *parent = nullptr);

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    void setUp();
    void typeDate(QKeyEvent *event);
    QString ownSeparator() const;
    void showCalendar();

    bool m_movedOn = false;       // the last digit filled its part and moved to the next
    bool m_freshlyShown = false; // shown, and no focus since
};
