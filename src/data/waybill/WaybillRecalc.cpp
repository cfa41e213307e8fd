#include "data/waybill/WaybillRecalc.h"

#include "core/ControlsHold.h"
#include "core/MemoryData.h"
#include "core/NumberFormat.h"
#include "core/OrvetError.h"
#include "data/waybill/EditorState.h"
#include "data/waybill/Random.h"

#include <algorithm>
#include <cmath>

namespace {
using M = MemoryData;

// Round half to even as a 64-bit integer; what cannot be one is the
// arithmetic error the program has always reported for it.
qint64 roundToInt64(double x) {
    const double r = TripTypeList::roundHalfEven(x);
    if (!std::isfinite(r) || std::fabs(r) >= 9.2e18)
        throw OrvetError(QStringLiteral("Invalid floating point operation"));
    return qint64(r);
}

} // namespace

WaybillRecalc::WaybillRecalc(MemoryData &rows, const EditorState &state, TripTypeList trips, Random &random)
    : m_rows(rows), m_state(state), m_trips(std::move(trips)), m_random(random) {}

double WaybillRecalc::fuel(double distance, double norm, double winterFactor) {
    const double litres = distance * ((norm * winterFactor) / 100);
    // Boxes take numbers as long as the calculator gives (1e300): their
    // product can run out of range, and an infinite day must not be stored.
    if (!std::isfinite(litres))
        throw OrvetError(QStringLiteral("Invalid floating point operation"));
    return toPrinted(litres);
}

double WaybillRecalc::fuelOn(double distance, const Norm &norm, int day) {
    if (norm.dayNorms.empty() || day < 1 || day > int(norm.dayNorms.size()))
        return fuel(distance, norm);
    return fuel(distance, norm.dayNorms[size_t(day - 1)], 1.0);
}

WaybillRecalc::Norm WaybillRecalc::monthNorm(const Norm &norm, const MemoryData &rows) {
    if (norm.dayNorms.empty())
        return norm;
    double sum = 0, all = 0;
    int count = 0;
    for (size_t d = 0; d < norm.dayNorms.size(); ++d)
        all += norm.dayNorms[d];
    for (int r = 0, n = rows.recordCount(); r < n; ++r) {
        const int day = rows.stringAt(r, M::Chislo).toInt();
        if (rows.integerAt(r, M::ID) >= 0 && day >= 1 && day <= int(norm.dayNorms.size())) {
            sum += norm.dayNorms[size_t(day - 1)];
            ++count;
        }
    }
    Norm month;
    month.litresPer100 = count > 0 ? sum / count : all / double(norm.dayNorms.size());
    // Every day alike (a month wholly inside or outside winter): that norm
    // itself, not a mean that may differ from it in the last bit.
    if (std::all_of(norm.dayNorms.cbegin(), norm.dayNorms.cend(),
                    [&norm](double v) { return v == norm.dayNorms.front(); }))
        month.litresPer100 = norm.dayNorms.front();
    month.winterFactor = 1.0;
    return month;
}

double WaybillRecalc::toPrinted(double litres) {
    // Rounded as the boxes and the form show it (12.345 to 12.35), so that
    // the stored value is the printed one and the month's total is the sum
    // of what is printed.
    return NumberFormat::roundHalfAway(litres, FuelDecimals);
}

double WaybillRecalc::OrvetSummKM(const MemoryData &rows) {
    double sum = 0;
    for (int r = 0, n = rows.recordCount(); r < n; ++r)
        sum += rows.floatAt(r, M::Prob);
    return sum;
}

double WaybillRecalc::OrvetSummL(const MemoryData &rows) {
    double sum = 0;
    for (int r = 0, n = rows.recordCount(); r < n; ++r)
        sum += rows.floatAt(r, M::Rashod);
    // Adding hundredths in binary leaves a tail (0.1 + 0.2); a non-finite sum
    // is left for the caller to refuse.
    return std::isfinite(sum) ? toPrinted(sum) : sum;
}

void WaybillRecalc::OrvetCheskPPROB() {
    const ControlsHold<MemoryData> hold(m_rows);
    double a = m_state.startReading;
    for (m_rows.first(); !m_rows.eof(); m_rows.next()) {
        if (m_rows.asInteger(M::ID) < 0)
            continue;
        m_rows.setValue(M::ProbOut, a);
        a += m_rows.asFloat(M::Prob);
        m_rows.setValue(M::ProbIN, a);
    }
}

void WaybillRecalc::OrvetRecalkProb() {
    const ControlsHold<MemoryData> hold(m_rows);
    double a = m_rows.asFloat(M::ProbIN);
    for (m_rows.next(); !m_rows.eof(); m_rows.next()) {
        if (m_rows.asInteger(M::ID) == -1)
            continue;
        m_rows.setValue(M::ProbOut, a);
        a += m_rows.asFloat(M::Prob);
        m_rows.setValue(M::ProbIN, a);
    }
}

// Day x + 1 for x drawn from 0 to days - 1, so the first row is never
// chosen and the last row is reached by the two highest draws. Returns -1
// when no working day can be reached: drawing on would never end.
int WaybillRecalc::chooseRow(int days) {
    const int lastRow = m_rows.recordCount() - 1;
    const int reach = qMin(days, lastRow);
    bool any = false;
    for (int r = 1; r <= reach && !any; ++r)
        any = m_rows.integerAt(r, M::ID) >= 1;
    if (!any)
        return -1;
    int row;
    do
        row = qMin(m_random.below(days) + 1, lastRow);
    while (m_rows.integerAt(row, M::ID) < 1);
    return row;
}

WaybillRecalc::StepResult WaybillRecalc::OrvetReplace(int days, Direction direction, const Norm &norm) {
    const ControlsHold<MemoryData> hold(m_rows);
    const int row = chooseRow(days);
    if (row < 0)
        return StepResult::NoCandidate;
    m_rows.setCurrentRow(row);
    if (m_trips.isEmpty())
        return StepResult::NoEffect;

    const double current = m_rows.asFloat(M::Prob);
    const int count = m_state.tripTypeCount;
    const TripType *found = nullptr;
    int draws = 0;
    while (draws < MaxDraws) {
        ++draws;
        const TripType *t = m_trips.draw(m_random, count);
        if (direction == Direction::Lengthen ? t->prob >= current : t->prob <= current) {
            found = t;
            break;
        }
    }
    // Only the first 399 draws may be used, as it has always been.
    if (!found || draws > UsableDraws)
        return StepResult::NoEffect;

    if (m_rows.asInteger(M::Change) == 1) {
        m_rows.setValue(M::Poezdka, found->name);
        const int y = m_random.below(OffsetRange);
        m_rows.setValue(M::Prob, std::fabs(found->prob + OffsetRange / 2.0 - y));
        m_rows.setValue(M::VROUT, found->tout);
        m_rows.setValue(M::VRIN, found->tin);
    }
    const double prob = m_rows.asFloat(M::Prob);
    m_rows.setValue(M::ProbIN, m_rows.asFloat(M::ProbOut) + prob);
    m_rows.setValue(M::Rashod, fuelOn(prob, norm, m_rows.asString(M::Chislo).toInt()));
    OrvetRecalkProb();
    return StepResult::Changed;
}

bool WaybillRecalc::totalsMatch(double total, double target) {
    return 2 * roundToInt64(total / 2) == 2 * roundToInt64(target / 2);
}

int WaybillRecalc::fit(double target, const Norm &norm) {
    const int days = m_state.daysInMonth;
    int steps = 0;
    for (;;) {
        const Direction d = OrvetSummKM() < target ? Direction::Lengthen : Direction::Shorten;
        const StepResult result = OrvetReplace(days, d, norm);
        ++steps;
        if (result == StepResult::NoCandidate)
            break; // no working day left to change: more steps would change nothing
        if (totalsMatch(OrvetSummKM(), target))
            break;
        if (steps > MaxSteps - 1)
            break;
    }
    return steps;
}

double WaybillRecalc::targetDistance(double litres, const Norm &norm) {
    const double divisor = norm.litresPer100 * norm.winterFactor;
    if (divisor == 0)
        throw OrvetError(litres == 0 ? QStringLiteral("Invalid floating point operation")
                                     : QStringLiteral("Floating point division by zero"));
    return (litres / divisor) * 100;
}

WaybillTotals WaybillRecalc::recalculate(double receiptLitres, const Norm &norm) {
    const double target = targetDistance(receiptLitres, monthNorm(norm, m_rows));
    const ControlsHold<MemoryData> hold(m_rows);
    fit(target, norm);
    WaybillTotals totals;
    totals.distance = OrvetSummKM();
    totals.fuel = OrvetSummL();
    totals.receiptLitres = receiptLitres;
    if (!std::isfinite(totals.distance) || !std::isfinite(totals.fuel))
        throw OrvetError(QStringLiteral("Invalid floating point operation"));
    OrvetCheskPPROB();
    return totals;
}

bool WaybillRecalc::markDayOff() {
    if (m_rows.currentRow() < 0)
        return false;
    m_rows.setValue(M::ID, -1);
    m_rows.setValue(M::Prob, QVariant());
    m_rows.setValue(M::ProbOut, QVariant());
    m_rows.setValue(M::ProbIN, QVariant());
    m_rows.setValue(M::Poezdka, QString());
    m_rows.setValue(M::VROUT, QString());
    m_rows.setValue(M::VRIN, QString());
    m_rows.setValue(M::Rashod, QVariant());
    m_rows.setValue(M::Change, 0);
    return true;
}

bool WaybillRecalc::markWorkingDay(const Norm &norm) {
    if (m_rows.currentRow() < 0)
        return false;
    const TripType *t = m_trips.draw(m_random, m_state.tripTypeCount);
    if (!t)
        return false; // no trip type to give the day
    m_rows.setValue(M::ID, t->id);
    m_rows.setValue(M::Prob, t->prob);
    m_rows.setValue(M::ProbOut, QVariant());
    m_rows.setValue(M::ProbIN, QVariant());
    m_rows.setValue(M::Poezdka, t->name);
    m_rows.setValue(M::VROUT, t->tout);
    m_rows.setValue(M::VRIN, t->tin);
    // A working day never shows a distance without its fuel.
    m_rows.setValue(M::Rashod, fuelOn(t->prob, norm, m_rows.asString(M::Chislo).toInt()));
    m_rows.setValue(M::Change, 1);
    return true;
}
