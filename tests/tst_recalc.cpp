// The recalculation of the editor's month: trip draws, sums, chains, the
// fitting and marking days.
#include "controls/CalcEdit.h"
#include "core/MemoryData.h"
#include "core/OrvetError.h"
#include "data/TDM1.h"
#include "data/waybill/WaybillRecalc.h"
#include "forms/TOrvet_New_F.h"
#include "ScriptedDialogHost.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <memory>

using M = MemoryData;
using Step = WaybillRecalc::StepResult;
using Dir = WaybillRecalc::Direction;

namespace {
struct Fixture {
    QTemporaryDir dir;
    std::unique_ptr<TDM1> dm;
    std::unique_ptr<TOrvet_New_F> editor;

    Fixture() {
        dm = std::make_unique<TDM1>(dir.path(), dir.filePath(QStringLiteral("Orvet.ini")));
        editor = std::make_unique<TOrvet_New_F>(dm.get());
        dm->setForms(editor.get(), nullptr, nullptr, nullptr, nullptr);
        setNorm(10, false);
        setMonth(2024, 4);
    }
    ~Fixture() { dm->setForms(nullptr, nullptr, nullptr, nullptr, nullptr); }

    MemoryData &rows() { return *editor->MemoryData1; }
    void addTrip(const QString &name, double prob, const QString &out = "09:00",
                 const QString &in = "18:00") {
        dm->LPoezd().insertRecord({QVariant(), name, out, in, prob});
        dm->editorState().tripTypeCount = dm->LPoezd().recordCount();
    }
    void addReceipt(const QDate &date, double litres, double rubles = 0) {
        dm->Chesks().insertRecord({QVariant(), date, litres, rubles});
    }
    void setNorm(double norm, bool winter) {
        dm->FS1().setValue(StoredValues::Rashodna100km, norm);
        dm->FS1().setValue(StoredValues::Winter, winter);
    }
    void setMonth(int year, int month) {
        editor->Edit3->setText(QString::number(year));
        editor->setMonth(month);
        dm->editorState().daysInMonth = QDate(year, month, 1).daysInMonth();
    }
    // Rows by (ID, Prob, Change); days off get no distance.
    void setRows(const QList<std::array<double, 3>> &rowSpecs) {
        rows().clear();
        int day = 1;
        for (const auto &s : rowSpecs) {
            const QString chislo = QString::number(day++).rightJustified(2, QLatin1Char('0'));
            if (s[0] < 0)
                rows().insertRecord({-1, chislo, QString(), QString(), QString()});
            else
                rows().insertRecord(
                    {int(s[0]), chislo, "T", "09:00", "18:00", 0.0, 0.0, s[1], 0.0, int(s[2])});
        }
        rows().first();
    }
    WaybillRecalc recalc() { return WaybillRecalc(*dm, *editor); }
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
    void chains();
    void replaceStep();
    void replaceStepUsesOnly399Draws();
    void dayChoiceFavoursLastDay();
    void fitRunsAtLeastOneStep();
    void fitStopsAfter151Steps();
    void fitWithoutWorkingDaysEnds();
    void recalculateFitsMonth();
    void markDayOff();
    void markWorkingDay();
    void markWorkingDayWithoutTripTypes();
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
    QVERIFY(TripTypeList().draw(*std::make_unique<Random>(), 0) == nullptr);
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
    QCOMPARE(WaybillRecalc::targetDistance(50, 10, 1.0), 500.0);
    QCOMPARE(WaybillRecalc::targetDistance(50, 10, 1.1), (50 / (10 * 1.1)) * 100);
    QCOMPARE(WaybillRecalc::fuel(20, 10, 1.1), 20 * ((10 * 1.1) / 100));
    try {
        WaybillRecalc::targetDistance(50, 0, 1.1);
        QFAIL("no error");
    } catch (const OrvetError &e) {
        QCOMPARE(e.message(), QStringLiteral("Floating point division by zero"));
    }
    try {
        WaybillRecalc::targetDistance(0, 0, 1.0);
        QFAIL("no error");
    } catch (const OrvetError &e) {
        QCOMPARE(e.message(), QStringLiteral("Invalid floating point operation"));
    }
}

void TestRecalc::zeroNormChangesNothing() {
    Fixture f;
    ScriptedDialogHost host;
    f.addTrip("A", 20);
    f.addReceipt(QDate(2024, 4, 10), 50);
    f.setRows({{1, 20, 1}, {1, 20, 1}, {-1, 0, 0}, {1, 20, 1}});
    f.editor->CalcEdit3->setValue(7);
    f.setNorm(0, false);
    f.dm->random().seed(3);
    f.rows().setCurrentRow(1);
    f.dm->execute(QStringLiteral("New_Orvet_Recalk_List"));
    QCOMPARE(host.errors, QStringList{QStringLiteral("Floating point division by zero.")});
    QCOMPARE(f.editor->CalcEdit3->value(), 7.0);
    QCOMPARE(f.rows().currentRow(), 1);
    for (int r : {0, 1, 3})
        QCOMPARE(f.rows().floatAt(r, M::Rashod), 0.0);

    // A marking has posted its change before the recalculation fails.
    host.errors.clear();
    f.dm->execute(QStringLiteral("New_Orvet_Mark_HDay"));
    QCOMPARE(f.rows().integerAt(1, M::ID), -1);
    QCOMPARE(host.errors.size(), 1);
}

void TestRecalc::receiptSumsKeepFilter() {
    Fixture f;
    f.addReceipt(QDate(2024, 3, 31), 100, 1000);
    f.addReceipt(QDate(2024, 4, 1), 20.25, 1000.5);
    f.addReceipt(QDate(2024, 4, 30), 25.25, 1200);
    f.addReceipt(QDate(2024, 5, 1), 100, 1000);
    Table &chesks = f.dm->Chesks();
    const QString other = TDM1::periodFilter(QDate(2024, 3, 1), QDate(2024, 3, 31));
    const QList<QPair<QString, bool>> states = {
        {QString(), false}, {QString(), true}, {other, true}, {other, false}};
    for (const auto &[text, on] : states) {
        chesks.setFiltered(false);
        chesks.setFilter(text);
        chesks.setFiltered(on);
        WaybillRecalc r = f.recalc();
        QCOMPARE(r.CheskSummL(), 45.5);
        QCOMPARE(chesks.filter(), text);
        QCOMPARE(chesks.filtered(), on);
        QCOMPARE(r.CheskSumRUB(), 2200.5);
        QCOMPARE(chesks.filter(), text);
        QCOMPARE(chesks.filtered(), on);
    }
    // The days in month bound the month's last day.
    f.dm->editorState().daysInMonth = 29;
    QCOMPARE(f.recalc().CheskSummL(), 20.25);
}

void TestRecalc::chains() {
    Fixture f;
    f.dm->editorState().startReading = 1000;
    f.setRows({{1, 10, 1}, {-1, 0, 0}, {0, 5, 0}, {2, 7.5, 1}});
    f.rows().setValueAt(1, M::ProbOut, 3.0); // a day off is left as it stands
    f.recalc().OrvetCheskPPROB();
    QCOMPARE(f.rows().currentRow(), 3);
    QCOMPARE(f.rows().floatAt(0, M::ProbIN), 1010.0);
    QCOMPARE(f.rows().floatAt(1, M::ProbOut), 3.0);
    QVERIFY(f.rows().valueAt(1, M::ProbIN).isNull());
    QCOMPARE(f.rows().floatAt(2, M::ProbOut), 1010.0);
    QCOMPARE(f.rows().floatAt(3, M::ProbIN), 1022.5);

    // From the current row on: its return reading feeds the days after it.
    f.rows().setValueAt(0, M::ProbIN, 2000.0);
    f.rows().setCurrentRow(0);
    f.recalc().OrvetRecalkProb();
    QCOMPARE(f.rows().floatAt(0, M::ProbOut), 1000.0);
    QCOMPARE(f.rows().floatAt(2, M::ProbOut), 2000.0);
    QCOMPARE(f.rows().floatAt(3, M::ProbIN), 2012.5);
    QCOMPARE(f.rows().currentRow(), 3);
}

void TestRecalc::replaceStep() {
    Fixture f;
    f.addTrip("Long", 30, "08:00", "19:00");
    f.dm->editorState().startReading = 100;
    f.dm->editorState().daysInMonth = 4;
    f.setRows({{1, 20, 1}, {1, 20, 1}, {-1, 0, 0}, {1, 20, 1}});
    f.recalc().OrvetCheskPPROB();
    for (int seed = 1; seed <= 30; ++seed) {
        f.dm->random().seed(seed);
        WaybillRecalc r = f.recalc();
        QCOMPARE(r.OrvetReplace(4, Dir::Lengthen) == Step::Changed, true);
        int changed = -1;
        for (int row : {1, 3})
            if (f.rows().stringAt(row, M::Poezdka) == QStringLiteral("Long"))
                changed = row;
        QVERIFY(changed > 0);
        const double prob = f.rows().floatAt(changed, M::Prob);
        QVERIFY(prob >= 21 && prob <= 40 && prob == std::floor(prob));
        QCOMPARE(f.rows().stringAt(changed, M::VROUT), QStringLiteral("08:00"));
        QCOMPARE(f.rows().integerAt(changed, M::ID), 1);
        QCOMPARE(f.rows().integerAt(changed, M::Change), 1);
        QCOMPARE(f.rows().floatAt(changed, M::Rashod), WaybillRecalc::fuel(prob, 10, 1));
        QCOMPARE(f.rows().floatAt(0, M::Prob), 20.0);
        QCOMPARE(f.rows().stringAt(0, M::Poezdka), QStringLiteral("T"));
        verifyChain(f.rows(), 100);
        f.setRows({{1, 20, 1}, {1, 20, 1}, {-1, 0, 0}, {1, 20, 1}});
        f.recalc().OrvetCheskPPROB();
    }
    // A shorter trip is wanted but none is shorter: nothing changes.
    f.dm->random().seed(5);
    QCOMPARE(f.recalc().OrvetReplace(4, Dir::Shorten) == Step::NoEffect, true);
    QCOMPARE(f.rows().floatAt(1, M::Rashod), 0.0);

    // A row that may not be changed keeps its trip but gets its fuel.
    f.setRows({{1, 20, 0}, {1, 20, 0}});
    f.dm->random().seed(6);
    QCOMPARE(f.recalc().OrvetReplace(2, Dir::Lengthen) == Step::Changed, true);
    QCOMPARE(f.rows().stringAt(1, M::Poezdka), QStringLiteral("T"));
    QCOMPARE(f.rows().floatAt(1, M::Prob), 20.0);
    QCOMPARE(f.rows().floatAt(1, M::Rashod), 2.0);
}

void TestRecalc::replaceStepUsesOnly399Draws() {
    // Two hundred trip types; only the first (drawn once in 400) is long
    // enough. Find seeds whose first fitting draw is the 399th and the
    // 400th, replaying the generator's order: one day draw, then trip draws.
    Fixture f;
    const int n = 200;
    QVector<TripType> types;
    for (int i = 1; i <= n; ++i)
        types.append({i, QString::number(i), "", "", i == 1 ? 100.0 : 1.0});
    f.dm->editorState().tripTypeCount = n;
    f.dm->editorState().daysInMonth = 3;
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
    for (const auto &[seed, expected] :
         {std::pair{seed399, Step::Changed}, std::pair{seed400, Step::NoEffect}}) {
        f.setRows({{1, 50, 1}, {1, 50, 1}, {1, 50, 1}});
        f.dm->random().seed(seed);
        WaybillRecalc r(*f.dm, *f.editor, TripTypeList(types));
        QCOMPARE(r.OrvetReplace(3, Dir::Lengthen) == expected, true);
    }
}

void TestRecalc::dayChoiceFavoursLastDay() {
    // Nothing fits, so each step leaves its chosen day current.
    Fixture f;
    f.addTrip("Long", 100);
    f.setRows({{1, 20, 1}, {1, 20, 1}, {1, 20, 1}, {1, 20, 1}, {1, 20, 1}});
    f.dm->random().seed(11);
    WaybillRecalc r = f.recalc();
    QVector<int> chosen(5);
    const int steps = 4000;
    for (int i = 0; i < steps; ++i) {
        QCOMPARE(r.OrvetReplace(5, Dir::Shorten) == Step::NoEffect, true);
        ++chosen[f.rows().currentRow()];
    }
    QCOMPARE(chosen[0], 0);
    for (int row = 1; row <= 3; ++row)
        QVERIFY(std::fabs(chosen[row] / double(steps) - 0.2) < 0.03);
    QVERIFY(std::fabs(chosen[4] / double(steps) - 0.4) < 0.03);
}

void TestRecalc::fitRunsAtLeastOneStep() {
    // Rows that may not change: a step only recomputes the chosen row's fuel.
    Fixture f;
    f.addTrip("A", 100);
    f.addTrip("B", 1);
    f.setRows({{1, 100, 0}, {1, 200, 0}, {2, 200, 0}});
    for (int r = 0; r < 3; ++r)
        f.rows().setValueAt(r, M::Rashod, 999.0);
    f.dm->editorState().daysInMonth = 3;
    f.dm->random().seed(1);
    WaybillRecalc r = f.recalc();
    QCOMPARE(r.fit(500), 1);
    int recomputed = 0;
    for (int row = 1; row < 3; ++row)
        recomputed += f.rows().floatAt(row, M::Rashod) == 20.0;
    QCOMPARE(recomputed, 1);
    QCOMPARE(f.rows().floatAt(0, M::Rashod), 999.0);
}

void TestRecalc::fitStopsAfter151Steps() {
    Fixture f;
    f.addTrip("A", 10);
    f.setRows({{1, 10, 0}, {1, 10, 0}, {1, 10, 0}});
    f.dm->editorState().daysInMonth = 3;
    QCOMPARE(f.recalc().fit(500), 151);
    f.setRows({{1, 10, 1}, {1, 10, 1}, {1, 10, 1}});
    f.dm->random().seed(8);
    QCOMPARE(f.recalc().fit(5000), 151);
    // Lengthened until no trip type is long enough any more.
    QCOMPARE(f.rows().floatAt(0, M::Prob), 10.0);
    QVERIFY(f.rows().floatAt(1, M::Prob) > 10 && f.rows().floatAt(2, M::Prob) > 10);
}

void TestRecalc::fitWithoutWorkingDaysEnds() {
    Fixture f;
    f.addTrip("A", 10);
    f.dm->editorState().daysInMonth = 4;
    f.setRows({{1, 10, 1}, {-1, 0, 0}, {-1, 0, 0}, {-1, 0, 0}});
    QCOMPARE(f.recalc().fit(500), 1);
    QCOMPARE(f.recalc().OrvetSummKM(), 10.0);
    f.setRows({{-1, 0, 0}, {-1, 0, 0}});
    QCOMPARE(f.recalc().fit(500), 1);
    f.rows().clear();
    QCOMPARE(f.recalc().fit(500), 1);
}

void TestRecalc::recalculateFitsMonth() {
    Fixture f;
    f.addTrip("A", 15);
    f.addTrip("B", 20);
    f.addTrip("C", 30);
    f.addReceipt(QDate(2024, 4, 3), 30);
    f.addReceipt(QDate(2024, 4, 20), 15.5);
    f.dm->editorState().startReading = 12345.6;
    for (int seed = 1; seed <= 20; ++seed) {
        QList<std::array<double, 3>> rowSpecs;
        for (int d = 1; d <= 30; ++d)
            rowSpecs.append({d % 7 == 6 || d % 7 == 0 ? -1.0 : 1.0, 20, 1});
        f.setRows(rowSpecs);
        f.rows().setValueAt(0, M::Rashod, 2.0);
        f.dm->random().seed(seed);
        f.recalc().recalculate();
        QCOMPARE(f.rows().currentRow(), 29);
        QCOMPARE(f.rows().floatAt(0, M::Prob), 20.0); // day 1 is never fitted
        QCOMPARE(f.rows().stringAt(0, M::Poezdka), QStringLiteral("T"));
        verifyChain(f.rows(), 12345.6);
        const double km = f.recalc().OrvetSummKM();
        QVERIFY(WaybillRecalc::totalsMatch(km, 455)); // 45.5 l at 10 l per 100 km
        QCOMPARE(f.editor->CalcEdit3->value(), km);
        QCOMPARE(f.editor->CalcEdit4->value(), std::round(f.recalc().OrvetSummL() * 100) / 100);
        QCOMPARE(f.editor->Label9->text(), QStringLiteral("45,5"));
        QCOMPARE(f.editor->CalcEdit1->value(), 12345.6);
        QCOMPARE(f.editor->CalcEdit2->value(), 12345.6 + km);
    }
    // A start reading typed into the box does not survive a recalculation.
    f.editor->CalcEdit1->setValue(1);
    f.recalc().recalculate();
    QCOMPARE(f.editor->CalcEdit1->value(), 12345.6);
}

void TestRecalc::markDayOff() {
    Fixture f;
    ScriptedDialogHost host;
    f.addTrip("A", 20);
    f.addReceipt(QDate(2024, 4, 3), 1); // target 10 km, never reached
    f.dm->editorState().startReading = 0;
    f.dm->editorState().daysInMonth = 4;
    f.setRows({{1, 20, 0}, {1, 20, 0}, {1, 20, 0}, {1, 20, 0}});
    f.rows().setCurrentRow(1);
    f.dm->execute(QStringLiteral("New_Orvet_Mark_HDay"));
    QVERIFY(host.errors.isEmpty());
    QCOMPARE(f.rows().currentRow(), 3);
    QCOMPARE(f.rows().integerAt(1, M::ID), -1);
    QCOMPARE(f.rows().integerAt(1, M::Change), 0);
    QVERIFY(!f.rows().valueAt(1, M::Change).isNull());
    for (int field : {M::Prob, M::ProbOut, M::ProbIN, M::Rashod})
        QVERIFY(f.rows().valueAt(1, field).isNull());
    QCOMPARE(f.rows().stringAt(1, M::Poezdka), QString());
    QCOMPARE(f.rows().stringAt(1, M::Chislo), QStringLiteral("02"));
    QCOMPARE(f.editor->CalcEdit3->value(), 60.0);
    QCOMPARE(f.rows().floatAt(2, M::ProbOut), 20.0);
    QCOMPARE(f.editor->CalcEdit2->value(), 60.0);
}

void TestRecalc::markWorkingDay() {
    Fixture f;
    ScriptedDialogHost host;
    f.addTrip("A", 20, "07:00", "16:00");
    f.addReceipt(QDate(2024, 4, 3), 8); // 80 km: the first days already give it
    f.setNorm(10, true);
    f.dm->editorState().startReading = 500;
    f.dm->editorState().daysInMonth = 5;
    f.setRows({{1, 20, 0}, {1, 20, 0}, {-1, 0, 0}, {1, 20, 0}, {1, 20, 0}});
    f.rows().setCurrentRow(2);
    f.dm->random().seed(4);
    f.dm->execute(QStringLiteral("New_Orvet_Mark_RDay"));
    QVERIFY(host.errors.isEmpty());
    QCOMPARE(f.rows().currentRow(), 4);
    QCOMPARE(f.rows().integerAt(2, M::ID), 1);
    QCOMPARE(f.rows().integerAt(2, M::Change), 1);
    QCOMPARE(f.rows().stringAt(2, M::Poezdka), QStringLiteral("A"));
    QCOMPARE(f.rows().stringAt(2, M::VROUT), QStringLiteral("07:00"));
    // Its fuel is there even when no fitting step chose the day.
    const double prob = f.rows().floatAt(2, M::Prob);
    QCOMPARE(f.rows().floatAt(2, M::Rashod), WaybillRecalc::fuel(prob, 10, 1.1));
    verifyChain(f.rows(), 500);
}

void TestRecalc::markWorkingDayWithoutTripTypes() {
    Fixture f;
    ScriptedDialogHost host;
    f.addReceipt(QDate(2024, 4, 3), 8);
    f.dm->editorState().tripTypeCount = 3; // counted before the trip types went
    f.setRows({{1, 20, 0}, {-1, 0, 0}});
    f.rows().setCurrentRow(1);
    f.dm->execute(QStringLiteral("New_Orvet_Mark_RDay"));
    QVERIFY(host.errors.isEmpty());
    QCOMPARE(f.rows().integerAt(1, M::ID), -1);
    QVERIFY(f.rows().valueAt(1, M::Prob).isNull());
}

QTEST_MAIN(TestRecalc)
#include "tst_recalc.moc"
