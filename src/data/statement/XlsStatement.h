#pragma once

#include "data/statement/StatementTable.h"

#include <QString>

// A statement saved by an older Excel (BIFF, .xls): the rows of one of its
// sheets, read with Debian's FreeXL. The library is opened on the first
// such file rather than linked: most users never load one.
class XlsStatement {
public:
    // `sheet` counts from 0; -1 is the first sheet with titles the import
    // knows. Throws OrvetError naming the file when it is not a readable
    // workbook, or holds more cells than a statement has.
    static StatementTable read(const QString &path, const QString &fileName, int sheet = -1);

    // Cells and shared strings a workbook declares: FreeXL sets aside room
    // for all of them as it opens the file, so they are counted from the
    // file's own records first. Far above a statement, far below what
    // would exhaust memory or take seconds.
    static constexpr qint64 MaxDeclared = 2'000'000;
    // What the workbook stream of an OLE2 file declares, sheets and shared
    // strings together; -1 when the container or the stream is broken.
    static qint64 declaredCells(const QByteArray &file);
};
