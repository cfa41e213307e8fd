// Preparing the printed waybill and exporting it, as the preview does.
#include "SampleWaybill.h"
#include "core/CNumericLocale.h"
#include "report/ReportExporter.h"

#include <QApplication>
#include <QLocale>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {
ReportEngine &engine() {
    static SampleWaybill sample;
    static ReportEngine e;
    static bool ready = false;
    if (!ready) {
        sample.bind(e, QStringLiteral(":/Orvet_Main.frf"));
        ready = true;
    }
    return e;
}

void BM_LoadTemplate(benchmark::State &state) {
    ReportEngine e;
    for (auto _ : state)
        e.loadFromFile(QStringLiteral(":/Orvet_Main.frf"));
}
BENCHMARK(BM_LoadTemplate)->Unit(benchmark::kMicrosecond);

void BM_Prepare31Days(benchmark::State &state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(engine().prepare());
}
BENCHMARK(BM_Prepare31Days)->Unit(benchmark::kMicrosecond);

void BM_Export(benchmark::State &state, ReportExporter::Format format, const char *suffix) {
    const PreparedReport report = engine().prepare();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("waybill.") + QLatin1String(suffix));
    for (auto _ : state)
        ReportExporter::exportFile(report, path, format);
}
BENCHMARK_CAPTURE(BM_Export, txt, ReportExporter::Format::Text, "txt")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Export, csv, ReportExporter::Format::Csv, "csv")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Export, htm, ReportExporter::Format::Html, "htm")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Export, rtf, ReportExporter::Format::Rtf, "rtf")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Export, pdf, ReportExporter::Format::Pdf, "pdf")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Export, frp, ReportExporter::Format::Prepared, "frp")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Export, xlsx, ReportExporter::Format::Xlsx, "xlsx")->Unit(benchmark::kMicrosecond);
} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);    // PDF export needs fonts
    CNumericLocale::setForProcess(); // figures printed with a point, as main() does
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
