#pragma once

#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

// One line of a card statement as read from its file: where it starts in
// the file (a CSV line number, a spreadsheet row number) and its cells. A
// CSV cell is text; a spreadsheet cell is text, a number, or a date (a
// number in a date format; one without that format stays a serial number).
struct StatementRow {
    int line = 0;
    QList<QVariant> cells;

    QString text(qsizetype column) const;
    bool isBlank() const;
};

// The rows of a statement in file order, blank rows left out.
struct StatementTable {
    // More cells than any statement has: a file past it is refused before
    // it fills the memory (a line of nothing but separators, a sheet cell
    // in a far column on every row).
    static constexpr qsizetype MaxCells = 10'000'000;
    // Characters in one cell: an address or a product name is a few
    // dozen; a cell past this is no statement's and is refused.
    static constexpr qsizetype MaxCellLength = 10'000;

    QString fileName; // as the user knows it, for messages
    QList<StatementRow> rows;
    // Where the rows came from: a workbook's sheets and the one read, or
    // the separator of a text file (null for a workbook).
    QStringList sheets;
    int sheet = -1;
    QChar separator;

    qsizetype columnCount() const;
    // Throws OrvetError naming the file and the line.
    [[noreturn]] static void tooManyCells(const QString &fileName, int line);
    [[noreturn]] static void tooLongCell(const QString &fileName, int line);
};
