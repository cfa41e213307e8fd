#pragma once

#include "data/waybill/TripTypeList.h"
#include "data/waybill/WaybillValues.h"

#include <vector>

class MemoryData;
class Random;
struct EditorState;

// The work on the day rows of the waybill being composed: the month's sums,
// the odometer chains, the fitting of the month's distance to the fuel
// bought, and marking days. It takes and gives plain values: the rows, the
// editor state, the trip types (read once, so that the many draws of a
// fitting cost no query), the generator, and the norm.
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

    // The fuel norm in litres per 100 km and the winter factor (1.1 or 1.0).
    struct Norm {
        double litresPer100 = 0;
        double winterFactor = 1.0;
        // With surcharges set: the norm of each day of the month (index 0
        // is day 1), surcharges included, in litres per 100 km. Empty: every
        // day has litresPer100 x winterFactor, computed as it always was.
        std::vector<double> dayNorms = {};
    };

    WaybillRecalc(MemoryData &rows, const EditorState &state, TripTypeList trips, Random &random);

    const TripTypeList &tripTypes() const { return m_trips; }

    // Sums over all rows; an empty value counts 0.
    static double OrvetSummKM(const MemoryData &rows);
    static double OrvetSummL(const MemoryData &rows);
    double OrvetSummKM() const { return OrvetSummKM(m_rows); }
    double OrvetSummL() const { return OrvetSummL(m_rows); }

    // Odometer chain over the whole month from the start reading, passing
    // over days off; and from the current row to the end.
    void OrvetCheskPPROB();
    void OrvetRecalkProb();

    // One replacement step of the fitting.
    StepResult OrvetReplace(int days, Direction direction, const Norm &norm);
    // Runs replacement steps until the month's distance matches the target
    // or MaxSteps have run; returns the number of steps.
    int fit(double target, const Norm &norm);

    // The recalculation: the target from the month's litres, the fitting,
    // the chain; the totals it leaves. Throws "Floating point division by
    // zero" for a norm of 0 before it changes anything.
    WaybillTotals recalculate(double receiptLitres, const Norm &norm);
    // The marking of the current row; the caller recalculates afterwards.
    // False when nothing was marked (no current row, no trip type to give).
    bool markDayOff();
    bool markWorkingDay(const Norm &norm);

    // (litres / (norm * factor)) * 100, with the errors of a zero divisor.
    static double targetDistance(double litres, const Norm &norm);
    // The fitting's stop rule: both halves rounded to the even neighbour.
    static bool totalsMatch(double total, double target);
    // distance * ((norm * factor) / 100), in this order, rounded to the
    // hundredths the form prints.
    static double fuel(double distance, double norm, double winterFactor);
    static constexpr int FuelDecimals = 2;
    static double toPrinted(double litres);
    static double fuel(double distance, const Norm &norm) {
        return fuel(distance, norm.litresPer100, norm.winterFactor);
    }
    // The fuel of a day of the month by that day's norm.
    static double fuelOn(double distance, const Norm &norm, int day);
    // The norm the month's target distance is computed with: with day
    // norms, their mean over the working days of the rows (over all days
    // when there is none) as litresPer100 and a factor of 1.
    static Norm monthNorm(const Norm &norm, const MemoryData &rows);

private:
    int chooseRow(int days);

    MemoryData &m_rows;
    const EditorState &m_state;
    TripTypeList m_trips;
    Random &m_random;
};
