#pragma once

#include "data/statement/StatementTable.h"

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

// A statement saved as a spreadsheet (Office Open XML): the rows of one of
// its sheets. The package is read with minizip, its XML with Qt's stream
// reader. Text cells (shared or inline) come as text, numbers as numbers,
// and a number in a date format (its style's) as a date.
class XlsxStatement {
public:
    // Throws OrvetError naming the file when it is not a readable workbook.
    // `sheet` counts from 0; -1 is the first sheet with titles the import
    // knows (a workbook may open with a summary).
    static StatementTable read(const QString &path, const QString &fileName, int sheet = -1);

    // The parts, for the tests: what each of them holds once unpacked.
    static QStringList sharedStrings(const QByteArray &xml, const QString &fileName = QString());
    struct Sheet {
        QString name, path;
    };
    static QList<Sheet> sheetsOf(const QByteArray &workbook, const QByteArray &relations);
    static QString firstSheetPath(const QByteArray &workbook, const QByteArray &relations);
    // The cell styles (their indexes) whose number format shows a date.
    static QSet<int> dateStyles(const QByteArray &styles);
    static QList<StatementRow> sheetRows(const QByteArray &xml, const QStringList &shared,
                                         const QSet<int> &dateStyles = {},
                                         const QString &fileName = QString());
    // "C12" -> 2 (column C, counted from 0); -1 when it is no reference.
    static int columnOf(const QString &reference);
};
