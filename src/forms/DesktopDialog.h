#pragma once

#include <QDialog>

// The program's dialogs. Each showing is a fresh start: the window is
// centred on the desktop, not on the window that opened it, and the focus
// is on the first control of the tab order, not where it was last left.
class DesktopDialog : public QDialog {
    Q_OBJECT
public:
    using QDialog::QDialog;

    void setVisible(bool visible) override;

    // Every number and date box of the dialog reads as typed; otherwise the
    // first that does not is named in the error display, focused, and false
    // is returned: Ok then leaves the dialog open and stores nothing.
    bool typedInputsRead();

protected:
    bool event(QEvent *event) override;
    // Where the window goes at each showing, before it reaches the screen.
    virtual void placeBeforeShow();
    // The control that has the focus at opening; none: the first of the tab order.
    virtual QWidget *firstControl() const { return nullptr; }
    // Places the client area so that the window stands in the middle of the desktop.
    void centreOnDesktop();
};
