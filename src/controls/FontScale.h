#pragma once

#include <QSize>

// The windows, panes and list columns were drawn in pixels at 96 dpi for an
// 8-point font whose average letter is 6 pixels wide and whose line is 13
// high. A wider system font would cut what a column exists to show, so the
// drawn sizes grow by the ratio of the application font's metrics to those.
// They never shrink: a smaller font only leaves more room.
class FontScale {
public:
    static double horizontal();
    static double vertical();
    static int x(int designed);
    static int y(int designed);
    static QSize size(const QSize &designed) { return {x(designed.width()), y(designed.height())}; }
};
