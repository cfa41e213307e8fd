#pragma once

class Database;
class Table;

// Lets SQLite look over a table file at start-up, so that a damaged file
// is refused then, with its name, rather than failing later wherever a
// list or a command first reads the damaged part.
class TableFileCheck {
public:
    // Throws OrvetError naming the file when SQLite finds it damaged.
    static void verify(Database &db, const Table &table);
};
