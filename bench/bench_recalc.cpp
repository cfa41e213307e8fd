// How long the fitting of a month takes against the random draws it cannot
// avoid: the worst case runs all 151 steps with 401 draws each.
#include "app/AppForms.h"
#include "core/CNumericLocale.h"
#include "core/MemoryData.h"
#include "core/Names.h"
#include "data/TDM1.h"
#include "data/waybill/MonthGenerator.h"
#include "data/waybill/WaybillRecalc.h"
#include "forms/TOrvet_New_F.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <memory>

namespace {
constexpr int TripTypes = 50;
constexpr int Days = 31;

struct Setup {
    QTemporaryDir dir;
    std::unique_ptr<TDM1> dm;
    std::unique_ptr<AppForms> forms;
    TOrvet_New_F *editor = nullptr;

    explicit Setup(double litres) {
        dm = std::make_unique<TDM1>(dir.path(), dir.filePath(QStringLiteral("Orvet.ini")));
        forms = std::make_unique<AppForms>(*dm, nullptr);
        forms->make();
        editor = dm->Orvet_New_F();
        dm->FS1().setValue(StoredValues::Rashodna100km, 10.0);
        for (int i = 1; i <= TripTypes; ++i)
            dm->LPoezd().insertRecord(
                {QVariant(), QStringLiteral("Поездка %1").arg(i), "09:00", "18:00", double(i)});
        dm->Chesks().insertRecord({QVariant(), QDate(2024, 1, 10), litres, 1000.0});
        editor->Edit3->setText(QStringLiteral("2024"));
        editor->setMonth(1);
        EditorState &s = dm->editorState();
        s.daysInMonth = Days;
        s.tripTypeCount = TripTypes;
        s.startReading = 1000;
    }
    ~Setup() { forms.reset(); }

    // 31 working days, each longer than any trip type, and a target far
    // beyond them: every step lengthens, no draw fits, nothing ever matches.
    void worstMonth() {
        MemoryData &rows = *editor->MemoryData1;
        rows.clear();
        for (int d = 1; d <= Days; ++d)
            rows.insertRecord({1 + d % TripTypes, MonthGenerator::dayText(d), "Поездка", "09:00", "18:00",
                               0.0, 0.0, 1000.0, 100.0, 1});
        rows.first();
    }
};

void drawFloor(Random &random, const TripTypeList &trips) {
    for (int i = 0; i < WaybillRecalc::MaxSteps * WaybillRecalc::MaxDraws; ++i) {
        const TripType *t = trips.draw(random, TripTypes);
        benchmark::DoNotOptimize(t);
    }
}

// As the action runs it: the trip types read once, the recalculation, the
// totals shown in the editor.
void recalculate(Setup &s) {
    s.dm->execute(Actions::New_Orvet_Recalk_List);
}

void BM_DrawFloor(benchmark::State &state) {
    Setup s(1e6);
    const TripTypeList trips = TripTypeList::read(s.dm->LPoezd());
    for (auto _ : state)
        drawFloor(s.dm->random(), trips);
}
BENCHMARK(BM_DrawFloor)->Unit(benchmark::kMillisecond);

void BM_RecalcWorstCase(benchmark::State &state) {
    Setup s(1e6);
    for (auto _ : state) {
        state.PauseTiming();
        s.worstMonth();
        state.ResumeTiming();
        recalculate(s);
    }
}
BENCHMARK(BM_RecalcWorstCase)->Unit(benchmark::kMillisecond);

// A month as a new waybill makes it: generation, then the fitting to 40 l.
void BM_GenerateAndFit(benchmark::State &state) {
    Setup s(40);
    for (auto _ : state) {
        const TripTypeList trips = TripTypeList::read(s.dm->LPoezd());
        MonthGenerator::generate(*s.editor->MemoryData1, trips, TripTypes, s.dm->random(),
                                 {2024, 1, 1000, 10, 1.0});
        WaybillRecalc(*s.editor->MemoryData1, s.dm->editorState(), trips, s.dm->random())
            .recalculate(40, {10, 1.0});
    }
}
BENCHMARK(BM_GenerateAndFit)->Unit(benchmark::kMillisecond);

template <class F> double bestOf(int runs, F &&f) {
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        f();
        best = std::min(
            best, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    }
    return best;
}

// The ratio the recalculation must keep under 3, measured side by side.
void reportRatio() {
    Setup s(1e6);
    const TripTypeList trips = TripTypeList::read(s.dm->LPoezd());
    const double floor = bestOf(30, [&] { drawFloor(s.dm->random(), trips); });
    const double recalc = bestOf(30, [&] {
        s.worstMonth();
        recalculate(s);
    });
    const double setupOnly = bestOf(30, [&] { s.worstMonth(); });
    const double worst = recalc - setupOnly;
    std::printf("\nfloor (151 x 401 trip draws): %.3f ms\n", floor);
    std::printf("worst-case recalculation:     %.3f ms\n", worst);
    std::printf("ratio:                        %.2f (must stay under 3)\n", worst / floor);
}
} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    CNumericLocale::setForProcess(); // figures printed with a point, as main() does
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    reportRatio();
    return 0;
}
