#pragma once

#include "data/statement/StatementTable.h"

#include <QString>
#include <functional>

// A card statement file, CSV, XLSX or XLS, told apart by its first bytes.
class StatementFile {
public:
    static constexpr qint64 MaxSize = 100ll * 1024 * 1024;

    // What the user chose in the dialog; by default, the separator is
    // found from the titles and the rows under them, and the sheet is the
    // first one with column titles the import knows.
    struct Options {
        int sheet = -1;
        QChar separator;
    };

    // Throws OrvetError naming the file: missing or unreadable, empty, over
    // MaxSize (refused by its size, before anything is read), in an unknown
    // encoding or not a workbook, or without a single row.
    static StatementTable read(const QString &path, const Options &options);
    static StatementTable read(const QString &path) { return read(path, Options{}); }
    // The first sheet of `count` whose titles the import knows, read by
    // `readSheet`; the first sheet when none has them.
    static StatementTable firstRecognised(int count, const std::function<StatementTable(int)> &readSheet);
};
