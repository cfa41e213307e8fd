#pragma once

#include "data/statement/StatementTable.h"

#include <QString>

// Where the receipts are in a statement: the row of column titles and the
// column of each value (-1: none). Guessed from the titles, then changed
// by the user.
struct StatementLayout {
    int headerRow = -1; // index into the table's rows; -1 when the file has no titles
    int date = -1;
    int litres = -1;
    int rubles = -1;
    int product = -1;

    bool complete() const { return date >= 0 && litres >= 0 && rubles >= 0; }

    // The first row among the first few that names a date, litres and
    // rubles column (statements open with a title and the card's number).
    static StatementLayout guess(const StatementTable &table);
    // Which value a column title names: "date", "litres", "rubles",
    // "product" or empty.
    static QString roleOf(const QString &title);
    // A product whose name says it is fuel: petrol, diesel, gas.
    static bool looksLikeFuel(const QString &product);
};
