#pragma once

#include "data/backup/CopyCheck.h"

#include <QString>
#include <QStringList>

class Database;
class Table;

// Writes one copy of the tables into a folder of copies: each open table
// file through SQLite's online backup on the program's own connection, all
// four inside one read transaction, so that they show one moment even
// while the program runs; a table that is closed (refused at start-up as
// damaged) as its bytes. The settings file and the template go with them.
//
// The copy is written under a hidden name, checked, written to the disk
// and only then renamed to its own name: a copy that is listed is whole.
class BackupWriter {
public:
    // Throws OrvetError with the reason; nothing is left behind then.
    // `check`: refuse a copy that CopyCheck finds wrong (every table open).
    static void write(Database &db, const QList<Table *> &tables, const QStringList &otherFiles,
                      const QString &folder, const QString &name, bool check = true);

    // Forces a file or a folder's entries to the disk; false when that fails.
    static bool sync(const QString &path);
};
