#include "data/waybill/ReceiptSums.h"

#include "core/ControlsHold.h"
#include "core/DateText.h"
#include "core/Names.h"
#include "data/table/Table.h"

namespace {
// The filter's text is put back while filtering is off: an empty text
// cannot be parsed as a live filter.
void restoreFilter(Table &table, const QString &text, bool filtered) {
    table.setFiltered(false);
    table.setFilter(text);
    table.setFiltered(filtered);
}
} // namespace

double ReceiptSums::sum(Table &chesks, const QDate &from, const QDate &to, const QString &field) {
    // A receipt whose date is not one belongs to no period: no sum can be
    // trusted while it is there.
    chesks.requireDates(Fields::DATE);
    const ControlsHold<Table> hold(chesks);
    const QString oldText = chesks.filter();
    const bool oldFiltered = chesks.filtered();
    double total = 0;
    try {
        chesks.setFilter(DateText::periodFilter(from, to));
        chesks.setFiltered(true);
        for (chesks.first(); !chesks.eof(); chesks.next())
            total += chesks.asFloat(field);
    } catch (...) {
        restoreFilter(chesks, oldText, oldFiltered);
        throw;
    }
    restoreFilter(chesks, oldText, oldFiltered);
    return total;
}

QDate ReceiptSums::lastDay(int year, int month, int daysInMonth) {
    const QDate last(year, month, daysInMonth);
    return last.isValid() ? last : QDate(year, month, 1).addMonths(1).addDays(-1);
}

double ReceiptSums::CheskSummL(Table &chesks, int year, int month, int daysInMonth) {
    return sum(chesks, QDate(year, month, 1), lastDay(year, month, daysInMonth), Fields::LITRS);
}

double ReceiptSums::CheskSumRUB(Table &chesks, int year, int month, int daysInMonth) {
    return sum(chesks, QDate(year, month, 1), lastDay(year, month, daysInMonth), Fields::SUMRUB);
}
