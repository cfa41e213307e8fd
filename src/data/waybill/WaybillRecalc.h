#pragma once

#include "data/waybill/TripTypeList.h"

#include <QDate>
#include <QString>

class MemoryData;
class Table;
class TDM1;
class TOrvet_New_F;

// The work on the editor's day rows: the month's sums, the odometer chains,
// the fitting of the month's distance to the fuel bought, and marking days.
// One object serves one command: it reads the trip types once, so the many
// draws of a fitting cost no query.
class WaybillRecalc {
public:
    enum class Direction { Lengthen, Shorten };
    enum class StepResult {
        Changed,    // a row was given a new trip or fuel
        NoEffect,   // no fitting trip type among the usable draws
        NoCandidate // no working day after the first row to choose
    };

    static constexpr int MaxSteps = 151;
    static constexpr int MaxDraws = 401;
    static constexpr int UsableDraws = 399;
    static constexpr int OffsetRange = 20;

    WaybillRecalc(TDM1 &dm, TOrvet_New_F &editor);
    WaybillRecalc(TDM1 &dm, TOrvet_New_F &editor, TripTypeList trips);

    const TripTypeList &tripTypes() const { return m_trips; }

    // Sums over all rows; an empty value counts 0.
    double OrvetSummKM() const;
    double OrvetSummL() const;
    // Receipts dated in the editor's month (day 1 to the days in month).
    double CheskSummL();
    double CheskSumRUB();
    QDate monthFirst() const;
    QDate monthLast() const;
    // Sums a receipt field over [from, to], putting the receipt filter text
    // and filtered flag back exactly as they were.
    static double receiptSum(Table &chesks, const QDate &from, const QDate &to, const QString &field);

    // Odometer chain over the whole month from the start reading, passing
    // over days off; and from the current row to the end.
    void OrvetCheskPPROB();
    void OrvetRecalkProb();

    // One replacement step of the fitting.
    StepResult OrvetReplace(int days, Direction direction);
    // Runs replacement steps until the month's distance matches the target
    // or MaxSteps have run; returns the number of steps.
    int fit(double target);

    // The New_Orvet_Recalk_List action: fit, totals, chain, readings.
    // Throws "Floating point division by zero" for a norm of 0 before it
    // changes anything.
    void recalculate();
    // The marking actions; each ends with a recalculation.
    void markDayOff();
    void markWorkingDay();

    // (litres / (norm * factor)) * 100, with the errors of a zero divisor.
    static double targetDistance(double litres, double norm, double winterFactor);
    // The fitting's stop rule: both halves rounded to the even neighbour.
    static bool totalsMatch(double total, double target);
    // distance * ((norm * factor) / 100), in this order.
    static double fuel(double distance, double norm, double winterFactor);

private:
    void readNorm();
    int chooseRow(int days);

    TDM1 &m_dm;
    TOrvet_New_F &m_editor;
    MemoryData &m_rows;
    TripTypeList m_trips;
    double m_norm = 0;
    double m_factor = 1.0;
};
