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
    int price = -1;     // per litre: the sum of a statement that gives none
    int card = -1;      // the card's number, to keep one car's rows
    int operation = -1; // the operation's type: a purchase, a refund

    // A sum, or a price to make it from.
    bool complete() const { return date >= 0 && litres >= 0 && (rubles >= 0 || price >= 0); }

    // The first row among the first few that names a date, litres and
    // rubles column (statements open with a title and the card's number).
    static StatementLayout guess(const StatementTable &table);
    // Which value a column title names: "date", "litres", "rubles",
    // "product", "price", "card", "operation" or empty.
    static QString roleOf(const QString &title);
    // Of two columns of one role, the one a clerk records: the sum paid
    // after the discount before the gross one. Higher is better; 0 is
    // never chosen (the discount itself).
    static int preferenceOf(const QString &title);
    // A product whose name says it is fuel: petrol, diesel, gas.
    static bool looksLikeFuel(const QString &product);
};
