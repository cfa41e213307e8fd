#pragma once

#include <QString>

// A waybill's header as the editor holds it and storing writes it.
struct WaybillHeader {
    QString number;    // NUMBL, as typed
    QString yearText;  // YEAR, as the year box shows it
    int year = 0;      // the same as a number
    int month = 0;     // 1 to 12
    QString monthName; // MOUNTH, as the month list shows it
    double startReading = 0;
    double endReading = 0;
    double fuel = 0; // SUMLITR: the fuel box
};

// The month's totals the editor shows under the days.
struct WaybillTotals {
    double distance = 0;      // sum of the days' distances
    double fuel = 0;          // sum of the days' fuel
    double receiptLitres = 0; // litres of the receipts dated in the month
};
