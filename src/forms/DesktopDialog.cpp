#include "forms/DesktopDialog.h"

#include "controls/CalcEdit.h"
#include "controls/DateEdit.h"
#include "controls/FrameParts.h"
#include "core/ErrorBoundary.h"

#include <QEvent>
#include <QScreen>
#include <QTimer>

void DesktopDialog::setVisible(bool visible) {
    if (visible && !isVisible()) {
        placeBeforeShow();
        FrameParts::name(this);
        // With no focus widget the window gives the focus to its first
        // control when it becomes active, as at its first showing.
        if (QWidget *first = firstControl())
            first->setFocus(Qt::TabFocusReason);
        else if (QWidget *last = focusWidget())
            last->clearFocus();
    }
    QDialog::setVisible(visible);
}

// The focus mark from the start, as after a Tab: the user must see which
// control a typed space or letter goes to (a check box flips). The window
// gives its control the focus after this event, and a focus given so clears
// the mark, so it is set once that is done.
bool DesktopDialog::event(QEvent *event) {
    if (event->type() == QEvent::WindowActivate)
        QTimer::singleShot(0, this, [this] {
            setAttribute(Qt::WA_KeyboardFocusChange);
            if (QWidget *focused = focusWidget())
                focused->update();
        });
    return QDialog::event(event);
}

void DesktopDialog::placeBeforeShow() {
    centreOnDesktop();
}

// The geometry, not the frame position: that is the one form that lands on
// the same pixel with and without a window manager.
void DesktopDialog::centreOnDesktop() {
    const QScreen *s = screen();
    if (!s)
        return;
    const QRect area = s->availableGeometry();
    setGeometry(QRect(area.center() - QPoint(width() / 2, height() / 2), size()));
}

bool DesktopDialog::typedInputsRead() {
    return ErrorBoundary::guarded([this] {
        // In the order the user meets them.
        for (QWidget *w = nextInFocusChain(); w && w != this; w = w->nextInFocusChain()) {
            if (!w->isVisible() || !w->isEnabled())
                continue;
            if (auto *number = qobject_cast<CalcEdit *>(w))
                number->checkTyped();
            else if (auto *date = qobject_cast<DateEdit *>(w))
                date->checkTyped();
        }
    });
}
