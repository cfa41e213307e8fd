#include "data/waybill/WaybillRecalc.h"

#include "controls/CalcEdit.h"
#include "core/ControlsHold.h"
#include "core/MemoryData.h"
#include "core/Names.h"
#include "core/NumberText.h"
#include "core/OrvetError.h"
#include "data/TDM1.h"
#include "forms/TOrvet_New_F.h"

#include <QLabel>
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

// The filter's text is put back while filtering is off: an empty text
// cannot be parsed as a live filter.
void restoreFilter(Table &table, const QString &text, bool filtered) {
    table.setFiltered(false);
    table.setFilter(text);
    table.setFiltered(filtered);
}
} // namespace

WaybillRecalc::WaybillRecalc(TDM1 &dm, TOrvet_New_F &editor)
    : WaybillRecalc(dm, editor, TripTypeList::read(dm.LPoezd())) {}

WaybillRecalc::WaybillRecalc(TDM1 &dm, TOrvet_New_F &editor, TripTypeList trips)
    : m_dm(dm), m_editor(editor), m_rows(*editor.MemoryData1), m_trips(std::move(trips)) {}

void WaybillRecalc::readNorm() {
    m_norm = m_dm.FS1().norm();
    m_factor = m_dm.FS1().winterFactor();
}

double WaybillRecalc::fuel(double distance, double norm, double winterFactor) {
    return distance * ((norm * winterFactor) / 100);
}

double WaybillRecalc::OrvetSummKM() const {
    double sum = 0;
    for (int r = 0, n = m_rows.recordCount(); r < n; ++r)
        sum += m_rows.floatAt(r, M::Prob);
    return sum;
}

double WaybillRecalc::OrvetSummL() const {
    double sum = 0;
    for (int r = 0, n = m_rows.recordCount(); r < n; ++r)
        sum += m_rows.floatAt(r, M::Rashod);
    return sum;
}

QDate WaybillRecalc::monthFirst() const {
    return QDate(m_editor.year(), m_editor.month(), 1);
}

QDate WaybillRecalc::monthLast() const {
    const QDate first = monthFirst();
    const QDate last(first.year(), first.month(), m_dm.editorState().daysInMonth);
    return last.isValid() ? last : QDate(first.year(), first.month(), first.daysInMonth());
}

double WaybillRecalc::receiptSum(Table &chesks, const QDate &from, const QDate &to, const QString &field) {
    const ControlsHold<Table> hold(chesks);
    const QString oldText = chesks.filter();
    const bool oldFiltered = chesks.filtered();
    double sum = 0;
    try {
        chesks.setFilter(TDM1::periodFilter(from, to));
        chesks.setFiltered(true);
        for (chesks.first(); !chesks.eof(); chesks.next())
            sum += chesks.asFloat(field);
    } catch (...) {
        restoreFilter(chesks, oldText, oldFiltered);
        throw;
    }
    restoreFilter(chesks, oldText, oldFiltered);
    return sum;
}

double WaybillRecalc::CheskSummL() {
    return receiptSum(m_dm.Chesks(), monthFirst(), monthLast(), Fields::LITRS);
}

double WaybillRecalc::CheskSumRUB() {
    return receiptSum(m_dm.Chesks(), monthFirst(), monthLast(), Fields::SUMRUB);
}

void WaybillRecalc::OrvetCheskPPROB() {
    const ControlsHold<MemoryData> hold(m_rows);
    double a = m_dm.editorState().startReading;
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
    Random &random = m_dm.random();
    int row;
    do
        row = qMin(random.below(days) + 1, lastRow);
    while (m_rows.integerAt(row, M::ID) < 1);
    return row;
}

WaybillRecalc::StepResult WaybillRecalc::OrvetReplace(int days, Direction direction) {
    const ControlsHold<MemoryData> hold(m_rows);
    const int row = chooseRow(days);
    if (row < 0)
        return StepResult::NoCandidate;
    m_rows.setCurrentRow(row);
    if (m_trips.isEmpty())
        return StepResult::NoEffect;

    const double current = m_rows.asFloat(M::Prob);
    const int count = m_dm.editorState().tripTypeCount;
    Random &random = m_dm.random();
    const TripType *found = nullptr;
    int draws = 0;
    while (draws < MaxDraws) {
        ++draws;
        const TripType *t = m_trips.draw(random, count);
        if (direction == Direction::Lengthen ? t->prob >= current : t->prob <= current) {
            found = t;
            break;
        }
    }
    // Only the first 399 draws may be used, as it has always been.
    if (!found || draws > UsableDraws)
        return StepResult::NoEffect;

    readNorm();
    if (m_rows.asInteger(M::Change) == 1) {
        m_rows.setValue(M::Poezdka, found->name);
        const int y = random.below(OffsetRange);
        m_rows.setValue(M::Prob, std::fabs(found->prob + OffsetRange / 2.0 - y));
        m_rows.setValue(M::VROUT, found->tout);
        m_rows.setValue(M::VRIN, found->tin);
    }
    const double prob = m_rows.asFloat(M::Prob);
    m_rows.setValue(M::ProbIN, m_rows.asFloat(M::ProbOut) + prob);
    m_rows.setValue(M::Rashod, fuel(prob, m_norm, m_factor));
    OrvetRecalkProb();
    return StepResult::Changed;
}

bool WaybillRecalc::totalsMatch(double total, double target) {
    return 2 * roundToInt64(total / 2) == 2 * roundToInt64(target / 2);
}

int WaybillRecalc::fit(double target) {
    const int days = m_dm.editorState().daysInMonth;
    int steps = 0;
    for (;;) {
        const Direction d = OrvetSummKM() < target ? Direction::Lengthen : Direction::Shorten;
        const StepResult result = OrvetReplace(days, d);
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

double WaybillRecalc::targetDistance(double litres, double norm, double winterFactor) {
    const double divisor = norm * winterFactor;
    if (divisor == 0)
        throw OrvetError(litres == 0 ? QStringLiteral("Invalid floating point operation")
                                     : QStringLiteral("Floating point division by zero"));
    return (litres / divisor) * 100;
}

void WaybillRecalc::recalculate() {
    readNorm();
    const double litres = CheskSummL();
    const double target = targetDistance(litres, m_norm, m_factor);
    {
        const ControlsHold<MemoryData> hold(m_rows);
        fit(target);
        m_editor.CalcEdit3->setValue(OrvetSummKM());
        m_editor.CalcEdit4->setValue(OrvetSummL());
        m_editor.Label9->setText(NumberText::general(litres));
        OrvetCheskPPROB();
    }
    const double start = m_dm.editorState().startReading;
    m_editor.CalcEdit1->setValue(start);
    m_editor.CalcEdit2->setValue(m_editor.CalcEdit3->value() + start);
}

void WaybillRecalc::markDayOff() {
    if (m_rows.currentRow() < 0)
        return;
    m_rows.setValue(M::ID, -1);
    m_rows.setValue(M::Prob, QVariant());
    m_rows.setValue(M::ProbOut, QVariant());
    m_rows.setValue(M::ProbIN, QVariant());
    m_rows.setValue(M::Poezdka, QString());
    m_rows.setValue(M::VROUT, QString());
    m_rows.setValue(M::VRIN, QString());
    m_rows.setValue(M::Rashod, QVariant());
    m_rows.setValue(M::Change, 0);
    recalculate();
}

void WaybillRecalc::markWorkingDay() {
    if (m_rows.currentRow() < 0)
        return;
    const TripType *t = m_trips.draw(m_dm.random(), m_dm.editorState().tripTypeCount);
    if (!t)
        return; // no trip type to give the day
    readNorm();
    m_rows.setValue(M::ID, t->id);
    m_rows.setValue(M::Prob, t->prob);
    m_rows.setValue(M::ProbOut, QVariant());
    m_rows.setValue(M::ProbIN, QVariant());
    m_rows.setValue(M::Poezdka, t->name);
    m_rows.setValue(M::VROUT, t->tout);
    m_rows.setValue(M::VRIN, t->tin);
    // A working day never shows a distance without its fuel.
    m_rows.setValue(M::Rashod, fuel(t->prob, m_norm, m_factor));
    m_rows.setValue(M::Change, 1);
    recalculate();
}
