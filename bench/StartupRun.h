#pragma once

#include <QString>
#include <string>

// One start-up of a program as a whole process: run headless in a folder
// with ORVET_QUIT_AFTER_SHOW set, so that it ends right after its first
// paint, with its settings file kept in configDir.
namespace StartupRun {

struct Result {
    double ms = 0;      // from fork to the end of the process
    long peakRssKb = 0; // its peak resident size
};

// Its standard output goes to `out` when given. Throws std::runtime_error
// when the process does not end with status 0.
Result launch(const std::string &exe, const QString &cwd, const QString &configDir,
              std::string *out = nullptr);

} // namespace StartupRun
