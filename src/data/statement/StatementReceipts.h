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
        bool refund = false; // a refund, a cancellation or a reversal: negative amounts
    };
    struct Result {
        QList<Receipt> receipts;
        int leftOut = 0;    // rows of a product the user left out
        int otherCards = 0; // rows of a card the user left out
        int totals = 0;     // totals, subtotals and other rows without a date
    };
    // What the user left out in the dialog.
    struct Choice {
        QSet<QString> leftOutProducts;
        QSet<QString> leftOutCards; // as cardsOf() gives them
    };

    // More than a tank truck's load or a car's price: no receipt holds it.
    static constexpr double MaxLitres = 10'000;
    static constexpr double MaxRubles = 10'000'000;

    // Every row after the title row, but blank ones, the title row again,
    // lines that open a card's block ("Карта № 7826 …", whose number is
    // then the card of the rows under it), totals and subtotals ("Итого",
    // "Итоги", "Итог:", "Всего" in any cell, or no date at all) and rows
    // the user left out. A row whose operation is a refund, cancellation
    // or reversal gets negative amounts; a statement without a sum gives
    // litres × price, to the kopeck. Throws
    // OrvetError naming the file, the line and the text of a date or a
    // number that does not read, an amount no receipt holds (not finite,
    // over MaxLitres or MaxRubles) or a date outside plausibleYears();
    // nothing is returned then.
    static Result read(const StatementTable &table, const StatementLayout &layout, const Choice &choice = {});

    // The cards the statement names, each once, in the order of the file:
    // from the card column and from the lines that open a card's block.
    static QStringList cardsOf(const StatementTable &table, const StatementLayout &layout);
    // An operation type that takes the purchase back.
    static bool isRefund(const QString &operation);

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
    // point, any kind of space between thousands, a currency or unit after it.
    static std::optional<double> numberOf(const QVariant &cell);
};
