#pragma once

#include "data/statement/StatementTable.h"

#include <QString>

// A card statement file, CSV or XLSX, told apart by its first bytes.
class StatementFile {
public:
    static constexpr qint64 MaxSize = 100ll * 1024 * 1024;

    // Throws OrvetError naming the file: missing or unreadable, empty, over
    // MaxSize (refused by its size, before anything is read), in an unknown
    // encoding or not a workbook, or without a single row.
    static StatementTable read(const QString &path);
};
