#pragma once

#include <QString>
#include <string>

// One start-up of a program as a whole process: run headless in a folder,
// with its settings file kept in configDir. The programs measured are
// builds that end right after their first paint (orvet_startup_probe, the
// bare windows).
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
