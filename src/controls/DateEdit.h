#pragma once

#include <QDateEdit>

// Date box with a pop-up calendar in the user's short date form (four-digit
// year). Read-only means neither typing nor the calendar: the main window
// shows its period this way. setDate() emits dateChanged like a user edit.
// F4 or Alt+Down opens the calendar; Tab leaves the box at once.
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
    void showCalendar();
};
