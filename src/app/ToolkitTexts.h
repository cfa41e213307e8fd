#pragma once

// The program speaks Russian, so the toolkit's own dialogs and buttons
// (files, printing, page set-up, the message boxes' stock buttons) do too,
// whatever the session's locale. Texts the program sets itself stay as set.
class ToolkitTexts {
public:
    // Loads Qt's Russian translation into the running application; false
    // when it is not installed.
    static bool install();
};
