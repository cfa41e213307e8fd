#pragma once

#include "data/table/FieldDef.h"

#include <QString>

class Database;

// What a table file may hold: its one table, keyed by ID, with the indexes
// the program makes and SQLite's own. Anything else came from elsewhere
// and may act behind the program's back: a trigger that empties the table
// on a deletion, a view or table read in its place, a key that is no key
// (new rows would store ID NULL).
class TableSchema {
public:
    // Throws OrvetError naming the file and the object that does not belong.
    static void check(Database &db, const QString &fileName, const QString &tableName, const FieldList &fields);
};
