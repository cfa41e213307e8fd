#pragma once

#include <QString>

// The fuel in the tank when the car leaves at the start of the month and
// when it returns at its end, litres. Both 0 (every waybill stored before
// the tank was kept) counts the tank as empty at both ends.
struct TankLevels {
    double departure = 0;
    double arrival = 0;
    // Fuel the month used by the tank: bought, plus what the tank gave
    // (departure - arrival). Added in this order so that an unchanged tank
    // gives exactly the litres bought.
    double used(double bought) const { return bought + (departure - arrival); }
};

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
    TankLevels tank; // kept in a table file of its own
};

// The month's totals the editor shows under the days.
struct WaybillTotals {
    double distance = 0;      // sum of the days' distances
    double fuel = 0;          // sum of the days' fuel
    double receiptLitres = 0; // litres of the receipts dated in the month
};
