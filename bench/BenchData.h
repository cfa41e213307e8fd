#pragma once

#include <QDate>
#include <QString>

// Synthetic table files for the benchmarks: waybills of consecutive 31-day
// months (so that each has exactly 31 day rows) ending before the current
// period, receipts spread evenly over every day up to the end of the
// period, and a list of trip types the day rows refer to by name.
namespace BenchData {

struct Scale {
    const char *name;
    int waybills;
    int receipts;
    int tripTypes;
};

inline constexpr Scale Small{"small", 12, 120, 20};
inline constexpr Scale Large{"large", 10000, 100000, 1000};
inline constexpr int DaysPerWaybill = 31;
inline constexpr double Norm = 10; // litres per 100 km the day rows were computed with

// Where the data sit in time, relative to `today`: the main window's period
// (the previous calendar month), the month of the newest stored waybill and
// the period a new waybill is made for (the month after it; both have 31
// days, so the newest waybill is the new one's predecessor).
struct Layout {
    QDate period;      // first day of the month before today's
    QDate newestMonth; // first day of the newest waybill's month
    QDate newFrom, newTo;
    QDate firstMonth; // first day of the oldest waybill's month
};
Layout layout(const Scale &scale, const QDate &today = QDate::currentDate());

struct Counts {
    qint64 waybills = 0, dayRows = 0, receipts = 0, tripTypes = 0;
};

// Creates the four table files in the empty (or absent) `folder` by starting
// the data module there, then fills them in one transaction through the
// SQLite C API. Throws std::runtime_error on failure.
Counts generate(const QString &folder, const Scale &scale, const QDate &today = QDate::currentDate());

// Row counts of the four files, read back through the C API.
Counts count(const QString &folder);

} // namespace BenchData
