#pragma once

#include "data/statement/StatementLayout.h"
#include "data/statement/StatementTable.h"

#include <QDate>
#include <QList>
#include <QSet>
#include <QString>
#include <optional>

// The fuel receipts a statement holds, read with a layout, and the ones of
// them that are not stored yet.
class StatementReceipts {
public:
    struct Receipt {
        QDate date;
        double litres = 0;
        double rubles = 0;
        int line = 0; // of the statement; 0 for a stored one
    };
    struct Result {
        QList<Receipt> receipts;
        int leftOut = 0; // rows of a product the user left out
    };

    // More than a tank truck's load or a car's price: no receipt holds it.
    static constexpr double MaxLitres = 10'000;
    static constexpr double MaxRubles = 10'000'000;

    // Every row after the title row, but blank ones, totals ("Итого",
    // "Всего") and rows whose product is in `leftOutProducts`. Throws
    // OrvetError naming the file, the line and the text of a date or a
    // number that does not read, an amount no receipt holds (not finite,
    // over MaxLitres or MaxRubles) or a date outside plausibleYears();
    // nothing is returned then.
    static Result read(const StatementTable &table, const StatementLayout &layout,
                       const QSet<QString> &leftOutProducts);

    // The receipts not among `stored` (same date, litres and rubles). Each
    // stored receipt accounts for one statement row: the same purchase
    // twice in a statement goes in twice the first time, never the next.
    static QList<Receipt> notStored(const QList<Receipt> &fresh, const QList<Receipt> &stored, int *skipped);

    // A date cell: a spreadsheet's serial number, or text as statements
    // write it ("31.01.2025", "31.01.2025 14:05", "2025-01-31", "31.01.25").
    // A two-digit year is of this century unless that is more than a year
    // ahead of `today`, then of the last one ("99" is 1999).
    static QDate dateOf(const QVariant &cell, const QDate &today = QDate::currentDate());
    // The years a receipt may be of: 2000 to the year after `today`'s.
    static bool plausible(const QDate &date, const QDate &today = QDate::currentDate());
    // A number cell: a spreadsheet number, or text with a decimal comma or
    // point, spaces between thousands, a currency or unit after it.
    static std::optional<double> numberOf(const QVariant &cell);
};
