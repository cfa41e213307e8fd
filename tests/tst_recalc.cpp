// The recalculation's rules on plain values, without a window or the data
// module: trip draws, sums, chains, the fitting, marking days, and the
// receipt sums it reads.
#include "core/DateText.h"
#include "core/MemoryData.h"
#include "core/OrvetError.h"
#include "data/waybill/EditorState.h"
#include "data/waybill/Random.h"
#include "data/waybill/ReceiptSums.h"
#include "data/waybill/WaybillRecalc.h"
#include "FileFaults.h"
#include "TableSet.h"

#include <QLocale>
#include <QTest>
#include <cmath>

using M = MemoryData;
using Step = WaybillRecalc::StepResult;
using Dir = WaybillRecalc::Direction;

namespace {
// A month being composed: its rows, the editor state, the trip types and
// the generator, at a norm of 10 l per 100 km.
struct Month {
    MemoryData rows;
    EditorState state;
    Random random;
    QVector<TripType> types;
    WaybillRecalc::Norm norm{10, 1.0};

    Month() { state.daysInMonth = 30; }
    void addTrip(const QString &name, double prob, const QString &out = "09:00", const QString &in = "18:00") {
        types.append({int(types.size()) + 1, name, out, in, prob});
        state.tripTypeCount = int(types.size());
    }
    // Rows by (ID, Prob, Change); days off get no distance.
    void setRows(const QList<std::array<double, 3>> &rowSpecs) {
        rows.clear();
        int day = 1;
        for (const auto &s : rowSpecs) {
            const QString chislo = QString::number(day++).rightJustified(2, QLatin1Char('0'));
            if (s[0] < 0)
                rows.insertRecord({-1, chislo, QString(), QString(), QString()});
            else
                rows.insertRecord({int(s[0]), chislo, "T", "09:00", "18:00", 0.0, 0.0, s[1], 0.0, int(s[2])});
        }
        rows.first();
    }
    WaybillRecalc recalc() { return WaybillRecalc(rows, state, TripTypeList(types), random); }
};

// Readings run on from the start over the working days, each day's return
// being its departure plus its distance.
void verifyChain(MemoryData &rows, double start) {
    double a = start;
    for (int r = 0; r < rows.recordCount(); ++r) {
        if (rows.integerAt(r, M::ID) < 0)
            continue;
        QCOMPARE(rows.floatAt(r, M::ProbOut), a);
        a += rows.floatAt(r, M::Prob);
        QCOMPARE(rows.floatAt(r, M::ProbIN), a);
    }
}
} // namespace

class TestRecalc : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }

    void drawRounding();
    void drawDistribution();
    void stopRule_data();
    void stopRule();
    void targetAndErrors();
    void zeroNormChangesNothing();
    void receiptSumsKeepFilter();
    void unreadableReceiptsStopTheSums_data();
    void unreadableReceiptsStopTheSums();
    void receiptsChangedElsewhereAreReadAgain();
    void chains();
    void replaceStep();
    void replaceStepUsesOnly399Draws();
    void dayChoiceFavoursLastDay();
    void fitRunsAtLeastOneStep();
    void fitStopsAfter151Steps();
    void fitWithoutWorkingDaysEnds();
    void recalculateFitsMonth();
    void markDays();
};

void TestRecalc::drawRounding() {
    // k = r * n rounded half to even, then clamped to the last trip type.
    QCOMPARE(TripTypeList::drawIndex(0.0, 4, 4), 0);
    QCOMPARE(TripTypeList::drawIndex(0.125, 4, 4), 0); // 0.5 -> 0
    QCOMPARE(TripTypeList::drawIndex(0.13, 4, 4), 1);
    QCOMPARE(TripTypeList::drawIndex(0.375, 4, 4), 2); // 1.5 -> 2
    QCOMPARE(TripTypeList::drawIndex(0.625, 4, 4), 2); // 2.5 -> 2
    QCOMPARE(TripTypeList::drawIndex(0.8, 4, 4), 3);
    QCOMPARE(TripTypeList::drawIndex(0.99, 4, 4), 3); // 4 -> past the last
    QCOMPARE(TripTypeList::drawIndex(0.99, 1, 1), 0);
    QCOMPARE(TripTypeList::drawIndex(0.5, 4, 0), -1);
    Random random;
    QVERIFY(TripTypeList().draw(random, 0) == nullptr);
}

void TestRecalc::drawDistribution() {
    for (const int n : {2, 5}) {
        QVector<TripType> types;
        for (int i = 1; i <= n; ++i)
            types.append({i, QString::number(i), "", "", double(i)});
        const TripTypeList list(types);
        Random random;
        random.seed(20240401 + n);
        const int draws = 200000;
        QVector<int> hits(n);
        for (int i = 0; i < draws; ++i)
            ++hits[list.draw(random, n)->id - 1];
        const double tolerance = 0.006;
        QVERIFY(std::fabs(hits[0] / double(draws) - 1.0 / (2 * n)) < tolerance);
        QVERIFY(std::fabs(hits[n - 1] / double(draws) - 3.0 / (2 * n)) < tolerance);
        for (int i = 1; i < n - 1; ++i)
            QVERIFY(std::fabs(hits[i] / double(draws) - 1.0 / n) < tolerance);
    }
}

void TestRecalc::stopRule_data() {
    QTest::addColumn<double>("total");
    QTest::addColumn<bool>("stops");
    QTest::newRow("499") << 499.0 << true;
    QTest::newRow("500") << 500.0 << true;
    QTest::newRow("501") << 501.0 << true;
    QTest::newRow("498.9") << 498.9 << false;
    QTest::newRow("501.1") << 501.1 << false;
    QTest::newRow("498") << 498.0 << false;
    QTest::newRow("502") << 502.0 << false;
}

void TestRecalc::stopRule() {
    QFETCH(double, total);
    QFETCH(bool, stops);
    QCOMPARE(WaybillRecalc::totalsMatch(total, 500), stops);
}

void TestRecalc::targetAndErrors() {
    // 50 l at 10 l per 100 km: 500 km; in winter 50 / 11 * 100.
    QCOMPARE(WaybillRecalc::targetDistance(50, {10, 1.0}), 500.0);
    QCOMPARE(WaybillRecalc::targetDistance(50, {10, 1.1}), (50 / (10 * 1.1)) * 100);
    QCOMPARE(WaybillRecalc::fuel(20, 10, 1.1), 20 * ((10 * 1.1) / 100));
    // Numbers as large as the calculator gives: no day of infinite fuel.
    QVERIFY_THROWS_EXCEPTION(OrvetError, WaybillRecalc::fuel(1e300, 1e300, 1.1));
    for (const auto &[litres, text] : {std::pair{50.0, "Floating point division by zero"},
                                       std::pair{0.0, "Invalid floating point operation"}}) {
        try {
            WaybillRecalc::targetDistance(litres, {0, 1.1});
            QFAIL("no error");
        } catch (const OrvetError &e) {
            QCOMPARE(e.message(), QString::fromLatin1(text));
        }
    }
}

void TestRecalc::zeroNormChangesNothing() {
    Month m;
    m.addTrip("A", 20);
    m.setRows({{1, 20, 1}, {1, 20, 1}, {-1, 0, 0}, {1, 20, 1}});
    m.rows.setCurrentRow(1);
    QVERIFY_THROWS_EXCEPTION(OrvetError, m.recalc().recalculate(50, {0, 1.0}));
    QCOMPARE(m.rows.currentRow(), 1);
    for (int r : {0, 1, 3})
        QCOMPARE(m.rows.floatAt(r, M::Rashod), 0.0);
}

void TestRecalc::receiptSumsKeepFilter() {
    TableSet t;
    for (const auto &[date, litres, rubles] :
         {std::tuple{QDate(2024, 3, 31), 100.0, 1000.0}, std::tuple{QDate(2024, 4, 1), 20.25, 1000.5},
          std::tuple{QDate(2024, 4, 30), 25.25, 1200.0}, std::tuple{QDate(2024, 5, 1), 100.0, 1000.0}})
        t.receipts.insertRecord({QVariant(), date, litres, rubles});
    const QString other = DateText::periodFilter(QDate(2024, 3, 1), QDate(2024, 3, 31));
    const QList<QPair<QString, bool>> states = {{QString(), false}, {QString(), true}, {other, true}, {other, false}};
    for (const auto &[text, on] : states) {
        t.receipts.setFiltered(false);
        t.receipts.setFilter(text);
        t.receipts.setFiltered(on);
        QCOMPARE(ReceiptSums::CheskSummL(t.receipts, 2024, 4, 30), 45.5);
        QCOMPARE(ReceiptSums::CheskSumRUB(t.receipts, 2024, 4, 30), 2200.5);
        QCOMPARE(t.receipts.filter(), text);
        QCOMPARE(t.receipts.filtered(), on);
    }
    // The days in month bound the month's last day.
    QCOMPARE(ReceiptSums::CheskSummL(t.receipts, 2024, 4, 29), 20.25);
}

// A receipt another program wrote wrong counts as no 0: the sums fail with
// the engine's conversion error naming the table, whatever month it is
// in, and the receipt filter stays as it was.
void TestRecalc::unreadableReceiptsStopTheSums_data() {
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("stored"); // as SQL writes it
    QTest::addColumn<QString>("error");
    QTest::newRow("date as text") << "DATE" << "'15.04.2024'" << "Chesks: '15.04.2024' is not a valid date";
    QTest::newRow("no such day") << "DATE" << "'2023-02-30'" << "Chesks: '2023-02-30' is not a valid date";
    QTest::newRow("no such month") << "DATE" << "'2024-13-05'" << "Chesks: '2024-13-05' is not a valid date";
    QTest::newRow("date a number") << "DATE" << "20240415" << "Chesks: '20240415' is not a valid date";
    QTest::newRow("litres as text") << "LITRS" << "'abc'" << "Chesks: 'abc' is not a valid floating point value";
    QTest::newRow("decimal comma") << "LITRS" << "'5,5'" << "Chesks: '5,5' is not a valid floating point value";
    QTest::newRow("infinite") << "LITRS" << "9e999" << "Chesks: 'inf' is not a valid floating point value";
}

void TestRecalc::unreadableReceiptsStopTheSums() {
    QFETCH(QString, column);
    QFETCH(QString, stored);
    QFETCH(QString, error);
    TableSet t;
    t.receipts.insertRecord({QVariant(), QDate(2024, 4, 2), 20.0, 1000.0});
    t.receipts.insertRecord({QVariant(), QDate(2024, 4, 15), 10.0, 500.0});
    QCOMPARE(ReceiptSums::CheskSummL(t.receipts, 2024, 4, 30), 30.0); // whole, before the change
    t.db.exec(QStringLiteral("UPDATE \"%1\".\"Chesks\" SET \"%2\" = %3 WHERE \"ID\" = 2")
                  .arg(t.db.schemaFor(TableFiles::Chesks), column, stored));
    t.receipts.invalidate();
    const QString march = DateText::periodFilter(QDate(2024, 3, 1), QDate(2024, 3, 31));
    t.receipts.setFilter(march);
    t.receipts.setFiltered(true);
    try {
        ReceiptSums::CheskSummL(t.receipts, 2024, 4, 30);
        QFAIL("summed");
    } catch (const OrvetError &e) {
        QCOMPARE(e.message(), error);
    }
    QCOMPARE(t.receipts.filter(), march);
    QVERIFY(t.receipts.filtered());
}

// Another program's write to the file, which the table does not hear of.
void TestRecalc::receiptsChangedElsewhereAreReadAgain() {
    TableSet t;
    t.receipts.insertRecord({QVariant(), QDate(2024, 4, 2), 20.0, 1000.0});
    t.receipts.insertRecord({QVariant(), QDate(2024, 4, 15), 10.0, 500.0});
    QCOMPARE(ReceiptSums::CheskSummL(t.receipts, 2024, 4, 30), 30.0);
    QVERIFY(OtherConnection(t.dir.file(TableFiles::Chesks))
                .exec(QStringLiteral("UPDATE Chesks SET DATE = '15.04.2024' WHERE ID = 2")));
    QVERIFY_THROWS_EXCEPTION(OrvetError, ReceiptSums::CheskSummL(t.receipts, 2024, 4, 30));
}

void TestRecalc::chains() {
    Month m;
    m.state.startReading = 1000;
    m.setRows({{1, 10, 1}, {-1, 0, 0}, {0, 5, 0}, {2, 7.5, 1}});
    m.rows.setValueAt(1, M::ProbOut, 3.0); // a day off is left as it stands
    m.recalc().OrvetCheskPPROB();
    QCOMPARE(m.rows.currentRow(), 3);
    QCOMPARE(m.rows.floatAt(0, M::ProbIN), 1010.0);
    QCOMPARE(m.rows.floatAt(1, M::ProbOut), 3.0);
    QVERIFY(m.rows.valueAt(1, M::ProbIN).isNull());
    QCOMPARE(m.rows.floatAt(2, M::ProbOut), 1010.0);
    QCOMPARE(m.rows.floatAt(3, M::ProbIN), 1022.5);

    // From the current row on: its return reading feeds the days after it.
    m.rows.setValueAt(0, M::ProbIN, 2000.0);
    m.rows.setCurrentRow(0);
    m.recalc().OrvetRecalkProb();
    QCOMPARE(m.rows.floatAt(0, M::ProbOut), 1000.0);
    QCOMPARE(m.rows.floatAt(2, M::ProbOut), 2000.0);
    QCOMPARE(m.rows.floatAt(3, M::ProbIN), 2012.5);
    QCOMPARE(m.rows.currentRow(), 3);
}

void TestRecalc::replaceStep() {
    Month m;
    m.addTrip("Long", 30, "08:00", "19:00");
    m.state.startReading = 100;
    m.state.daysInMonth = 4;
    for (int seed = 1; seed <= 30; ++seed) {
        m.setRows({{1, 20, 1}, {1, 20, 1}, {-1, 0, 0}, {1, 20, 1}});
        m.recalc().OrvetCheskPPROB();
        m.random.seed(seed);
        QVERIFY(m.recalc().OrvetReplace(4, Dir::Lengthen, m.norm) == Step::Changed);
        int changed = -1;
        for (int row : {1, 3})
            if (m.rows.stringAt(row, M::Poezdka) == QStringLiteral("Long"))
                changed = row;
        QVERIFY(changed > 0);
        const double prob = m.rows.floatAt(changed, M::Prob);
        QVERIFY(prob >= 21 && prob <= 40 && prob == std::floor(prob));
        QCOMPARE(m.rows.stringAt(changed, M::VROUT), QStringLiteral("08:00"));
        QCOMPARE(m.rows.integerAt(changed, M::ID), 1);
        QCOMPARE(m.rows.integerAt(changed, M::Change), 1);
        QCOMPARE(m.rows.floatAt(changed, M::Rashod), prob / 10);
        QCOMPARE(m.rows.floatAt(0, M::Prob), 20.0);
        QCOMPARE(m.rows.stringAt(0, M::Poezdka), QStringLiteral("T"));
        verifyChain(m.rows, 100);
    }
    // A shorter trip is wanted but none is shorter: nothing changes.
    m.setRows({{1, 20, 1}, {1, 20, 1}, {-1, 0, 0}, {1, 20, 1}});
    m.random.seed(5);
    QVERIFY(m.recalc().OrvetReplace(4, Dir::Shorten, m.norm) == Step::NoEffect);
    QCOMPARE(m.rows.floatAt(1, M::Rashod), 0.0);

    // A row that may not be changed keeps its trip but gets its fuel.
    m.setRows({{1, 20, 0}, {1, 20, 0}});
    m.random.seed(6);
    QVERIFY(m.recalc().OrvetReplace(2, Dir::Lengthen, m.norm) == Step::Changed);
    QCOMPARE(m.rows.stringAt(1, M::Poezdka), QStringLiteral("T"));
    QCOMPARE(m.rows.floatAt(1, M::Prob), 20.0);
    QCOMPARE(m.rows.floatAt(1, M::Rashod), 2.0);
}

void TestRecalc::replaceStepUsesOnly399Draws() {
    // Two hundred trip types; only the first (drawn once in 400) is long
    // enough. Find seeds whose first fitting draw is the 399th and the
    // 400th, replaying the generator's order: one day draw, then trip draws.
    Month m;
    const int n = 200;
    for (int i = 1; i <= n; ++i)
        m.addTrip(QString::number(i), i == 1 ? 100.0 : 1.0);
    m.state.daysInMonth = 3;
    auto firstFit = [&](int seed) {
        Random r;
        r.seed(seed);
        r.below(3);
        for (int k = 1; k <= WaybillRecalc::MaxDraws; ++k)
            if (TripTypeList::drawIndex(r.uniform(), n, n) == 0)
                return k;
        return 0;
    };
    int seed399 = 0, seed400 = 0;
    for (int s = 1; s < 200000 && (!seed399 || !seed400); ++s) {
        const int k = firstFit(s);
        if (k == 399 && !seed399)
            seed399 = s;
        if (k == 400 && !seed400)
            seed400 = s;
    }
    QVERIFY(seed399 && seed400);
    for (const auto &[seed, expected] : {std::pair{seed399, Step::Changed}, std::pair{seed400, Step::NoEffect}}) {
        m.setRows({{1, 50, 1}, {1, 50, 1}, {1, 50, 1}});
        m.random.seed(seed);
        QVERIFY(m.recalc().OrvetReplace(3, Dir::Lengthen, m.norm) == expected);
    }
}

void TestRecalc::dayChoiceFavoursLastDay() {
    // Nothing fits, so each step leaves its chosen day current.
    Month m;
    m.addTrip("Long", 100);
    m.setRows({{1, 20, 1}, {1, 20, 1}, {1, 20, 1}, {1, 20, 1}, {1, 20, 1}});
    m.random.seed(11);
    WaybillRecalc r = m.recalc();
    QVector<int> chosen(5);
    const int steps = 4000;
    for (int i = 0; i < steps; ++i) {
        QVERIFY(r.OrvetReplace(5, Dir::Shorten, m.norm) == Step::NoEffect);
        ++chosen[m.rows.currentRow()];
    }
    QCOMPARE(chosen[0], 0);
    for (int row = 1; row <= 3; ++row)
        QVERIFY(std::fabs(chosen[row] / double(steps) - 0.2) < 0.03);
    QVERIFY(std::fabs(chosen[4] / double(steps) - 0.4) < 0.03);
}

void TestRecalc::fitRunsAtLeastOneStep() {
    // Rows that may not change: a step only recomputes the chosen row's fuel.
    Month m;
    m.addTrip("A", 100);
    m.addTrip("B", 1);
    m.setRows({{1, 100, 0}, {1, 200, 0}, {2, 200, 0}});
    for (int r = 0; r < 3; ++r)
        m.rows.setValueAt(r, M::Rashod, 999.0);
    m.state.daysInMonth = 3;
    m.random.seed(1);
    QCOMPARE(m.recalc().fit(500, m.norm), 1);
    int recomputed = 0;
    for (int row = 1; row < 3; ++row)
        recomputed += m.rows.floatAt(row, M::Rashod) == 20.0;
    QCOMPARE(recomputed, 1);
    QCOMPARE(m.rows.floatAt(0, M::Rashod), 999.0);
}

void TestRecalc::fitStopsAfter151Steps() {
    Month m;
    m.addTrip("A", 10);
    m.setRows({{1, 10, 0}, {1, 10, 0}, {1, 10, 0}});
    m.state.daysInMonth = 3;
    QCOMPARE(m.recalc().fit(500, m.norm), 151);
    m.setRows({{1, 10, 1}, {1, 10, 1}, {1, 10, 1}});
    m.random.seed(8);
    QCOMPARE(m.recalc().fit(5000, m.norm), 151);
    // Lengthened until no trip type is long enough any more.
    QCOMPARE(m.rows.floatAt(0, M::Prob), 10.0);
    QVERIFY(m.rows.floatAt(1, M::Prob) > 10 && m.rows.floatAt(2, M::Prob) > 10);
}

void TestRecalc::fitWithoutWorkingDaysEnds() {
    Month m;
    m.addTrip("A", 10);
    m.state.daysInMonth = 4;
    m.setRows({{1, 10, 1}, {-1, 0, 0}, {-1, 0, 0}, {-1, 0, 0}});
    QCOMPARE(m.recalc().fit(500, m.norm), 1);
    QCOMPARE(m.recalc().OrvetSummKM(), 10.0);
    m.setRows({{-1, 0, 0}, {-1, 0, 0}});
    QCOMPARE(m.recalc().fit(500, m.norm), 1);
    m.rows.clear();
    QCOMPARE(m.recalc().fit(500, m.norm), 1);
}

void TestRecalc::recalculateFitsMonth() {
    // 45.5 l at 10 l per 100 km: about 455 km over April's working days.
    Month m;
    m.addTrip("A", 15);
    m.addTrip("B", 20);
    m.addTrip("C", 30);
    m.state.startReading = 12345.6;
    for (int seed = 1; seed <= 20; ++seed) {
        QList<std::array<double, 3>> rowSpecs;
        for (int d = 1; d <= 30; ++d)
            rowSpecs.append({d % 7 == 6 || d % 7 == 0 ? -1.0 : 1.0, 20, 1});
        m.setRows(rowSpecs);
        m.rows.setValueAt(0, M::Rashod, 2.0);
        m.random.seed(seed);
        const WaybillTotals totals = m.recalc().recalculate(45.5, m.norm);
        QCOMPARE(m.rows.currentRow(), 29);
        QCOMPARE(m.rows.floatAt(0, M::Prob), 20.0); // day 1 is never fitted
        QCOMPARE(m.rows.stringAt(0, M::Poezdka), QStringLiteral("T"));
        verifyChain(m.rows, 12345.6);
        QVERIFY(WaybillRecalc::totalsMatch(totals.distance, 455));
        QCOMPARE(totals.distance, m.recalc().OrvetSummKM());
        QCOMPARE(totals.fuel, m.recalc().OrvetSummL());
        QCOMPARE(totals.receiptLitres, 45.5);
    }
}

void TestRecalc::markDays() {
    Month m;
    m.addTrip("A", 20, "07:00", "16:00");
    m.setRows({{1, 20, 1}, {1, 20, 1}, {-1, 0, 0}});
    m.rows.setCurrentRow(1);
    QVERIFY(m.recalc().markDayOff());
    QCOMPARE(m.rows.integerAt(1, M::ID), -1);
    QCOMPARE(m.rows.integerAt(1, M::Change), 0);
    QVERIFY(!m.rows.valueAt(1, M::Change).isNull());
    for (int field : {M::Prob, M::ProbOut, M::ProbIN, M::Rashod})
        QVERIFY(m.rows.valueAt(1, field).isNull());
    QCOMPARE(m.rows.stringAt(1, M::Poezdka), QString());

    // A working day gets a drawn trip with its fuel at once, in winter too.
    m.rows.setCurrentRow(2);
    QVERIFY(m.recalc().markWorkingDay({10, 1.1}));
    QCOMPARE(m.rows.integerAt(2, M::ID), 1);
    QCOMPARE(m.rows.integerAt(2, M::Change), 1);
    QCOMPARE(m.rows.stringAt(2, M::VROUT), QStringLiteral("07:00"));
    QCOMPARE(m.rows.floatAt(2, M::Rashod), WaybillRecalc::fuel(20, 10, 1.1));
    QVERIFY(m.rows.valueAt(2, M::ProbOut).isNull()); // the recalculation fills the readings

    // Trip types counted before they went: nothing to give the day.
    m.types.clear();
    m.rows.setCurrentRow(1);
    QVERIFY(!m.recalc().markWorkingDay(m.norm));
    QCOMPARE(m.rows.integerAt(1, M::ID), -1);
}

QTEST_GUILESS_MAIN(TestRecalc)
#include "tst_recalc.moc"
