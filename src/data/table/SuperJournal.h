#pragma once

#include <QString>

class Database;

// SQLite leaves a super-journal ("Orvet.db-mj…") behind when the program is
// killed after a commit across the table files has created it but before
// any rollback journal names it. Such a file is stale: no recovery can ever
// read it, and SQLite never deletes it by itself. A super-journal is stale
// when none of the rollback journals it lists exists and names it back.
class SuperJournal {
public:
    // Removes the stale super-journals of the connection's main file.
    // Holds a write lock on every attached file meanwhile, so that no other
    // process is inside a commit; gives up quietly when it cannot get one.
    // Returns how many it removed.
    static int removeStale(Database &db, const QString &mainFile);

    // Whether the rollback journal at `journalPath` exists and names the
    // super-journal at `superPath` in its trailing record.
    static bool journalNames(const QString &journalPath, const QString &superPath);
    // Whether some journal listed in the super-journal names it back; true
    // also when the super-journal cannot be read, so that it is kept.
    static bool isLive(const QString &superPath);
};
