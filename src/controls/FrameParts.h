#pragma once

class QWidget;

// Names for the parts Qt adds around a window's controls, so a screen
// reader can say what they are: pane borders, tool bar overflow buttons,
// size grips, the lists and edit lines of combo boxes.
class FrameParts {
public:
    // Names what has no name yet; run when the window is complete.
    static void name(QWidget *window);
};
