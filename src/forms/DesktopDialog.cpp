#include "forms/DesktopDialog.h"

#include "controls/FrameParts.h"

#include <QScreen>

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

void DesktopDialog::placeBeforeShow() { centreOnDesktop(); }

// The geometry, not the frame position: that is the one form that lands on
// the same pixel with and without a window manager.
void DesktopDialog::centreOnDesktop() {
    const QScreen *s = screen();
    if (!s)
        return;
    const QRect area = s->availableGeometry();
    setGeometry(QRect(area.center() - QPoint(width() / 2, height() / 2), size()));
}
