#pragma once

#include <QString>

// What a QSaveFile killed before its commit leaves beside the file it was
// to replace: the file's name, a dot and six letters Qt drew.
namespace SaveLeftovers {
// Removes them beside `path`. QSaveFile draws its letters from both cases;
// a name of one case only ("Orvet.ini.backup") is more likely the user's own
// copy and stays (one leftover in 32 stays with it, a few hundred harmless
// bytes). Links and folders are never the program's.
void remove(const QString &path);
} // namespace SaveLeftovers
