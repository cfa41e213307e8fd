#pragma once

#include <QString>
#include <vector>

class MemoryData;
class ProductionCalendar;
class Random;
class TripTypeList;

// Fills the editor's rows for a new month before any fitting: a drawn trip
// type on every Monday to Friday with the readings running on from the
// start reading, an empty day off on Saturdays and Sundays.
class MonthGenerator {
public:
    struct Month {
        int year = 0;
        int month = 0;
        double startReading = 0;
        double norm = 0;         // litres per 100 km
        double winterFactor = 1; // 1.1 in winter mode
        // With a calendar, its working days get a trip instead of Monday to Friday.
        const ProductionCalendar *calendar = nullptr;
        std::vector<double> dayNorms = {}; // with surcharges: each day's norm (WaybillRecalc::Norm)
    };

    // Empties the rows, adds one per calendar day, sorts them by day and
    // makes the first current. One trip draw is made for every day, days
    // off included, so the random sequence does not depend on the calendar.
    // Returns the days in the month.
    static int generate(MemoryData &rows, const TripTypeList &trips, int tripTypeCount, Random &random,
                        const Month &month);

    // "01" .. "31".
    static QString dayText(int day);
};
