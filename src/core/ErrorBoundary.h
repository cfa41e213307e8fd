#pragma once

#include <functional>

// The one place where the program's errors are caught: whatever a command
// (or a start-up step, or a window's own handler) throws is shown in the
// general error display, and the program carries on.
class ErrorBoundary {
public:
    // Runs code, showing whatever it throws. Returns false when it failed.
    static bool guarded(const std::function<void()> &code);
};
