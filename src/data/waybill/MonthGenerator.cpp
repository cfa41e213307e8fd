#include "data/waybill/MonthGenerator.h"

#include "core/ControlsHold.h"
#include "core/MemoryData.h"
#include "core/OrvetError.h"
#include "data/waybill/ProductionCalendar.h"
#include "data/waybill/TripTypeList.h"
#include "data/waybill/WaybillRecalc.h"

#include <QDate>

QString MonthGenerator::dayText(int day) {
    return (day < 10 ? QStringLiteral("0") : QString()) + QString::number(day);
}

int MonthGenerator::generate(MemoryData &rows, const TripTypeList &trips, int tripTypeCount, Random &random,
                             const Month &month) {
    const QDate first(month.year, month.month, 1);
    if (!first.isValid())
        throw OrvetError(QStringLiteral("Invalid date"));
    const ControlsHold<MemoryData> hold(rows);
    rows.clear();
    const int days = first.daysInMonth();
    double reading = month.startReading;
    const WaybillRecalc::Norm norm{month.norm, month.winterFactor, month.dayNorms};
    for (int d = 1; d <= days; ++d) {
        const TripType *t = trips.draw(random, tripTypeCount);
        const QString chislo = dayText(d);
        const QDate date(month.year, month.month, d);
        const bool working = month.calendar ? month.calendar->isWorkingDay(date) : date.dayOfWeek() <= 5;
        if (working && t) {
            const double fuel = WaybillRecalc::fuelOn(t->prob, norm, d);
            rows.insertRecord(
                {t->id, chislo, t->name, t->tout, t->tin, reading, reading + t->prob, t->prob, fuel, 1});
            reading += t->prob;
        } else {
            rows.insertRecord({-1, chislo, QString(), QString(), QString()});
        }
    }
    rows.sortByChislo();
    return days;
}
