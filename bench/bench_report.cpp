// Preparing the printed waybill and exporting it, as the preview does.
#include "report/ListDataSource.h"
#include "report/ReportEngine.h"
#include "report/ReportExporter.h"

#include <QApplication>
#include <QDate>
#include <QLocale>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {
ListDataSource g_frd1(QStringLiteral("FRD1"),
                      {"ID", "DATE", "NUMBL", "YEAR", "MOUNTH", "PROBB", "PROBE", "SUMRUB", "SUMLITR"});
ListDataSource g_frd2(QStringLiteral("FRD2"), {"ID", "IDJOIN", "CHISLO", "CEL", "VROUT", "VRIN", "SPROBS",
                                               "SPROBE", "PROB", "RASHOD"});

// A 31-day month: trips on working days, weekends empty.
void fillSample() {
    const QStringList trips = {"Администрация района", "Налоговая инспекция", "Банк, отделение № 8603",
                               "Поставщик ООО «Стройкомплект»"};
    const double km[] = {42.5, 18, 27.3, 35};
    double odometer = 45210, litres = 0;
    int working = 0;
    for (int day = 1; day <= 31; ++day) {
        const bool off = QDate(2024, 12, day).dayOfWeek() >= 6;
        const double distance = off ? 0 : km[working % 4];
        const double fuel = qRound(distance * 9.57) / 100.0;
        g_frd2.appendRow({day, 1, QStringLiteral("%1").arg(day, 2, 10, QLatin1Char('0')),
                          off ? QString() : trips[working % 4], off ? QString() : QStringLiteral("09:00"),
                          off ? QString() : QStringLiteral("18:00"), odometer, odometer + distance, distance,
                          fuel});
        working += off ? 0 : 1;
        odometer += distance;
        litres += fuel;
    }
    g_frd1.appendRow({1, QDate(2024, 12, 1), "12", "2024", "Декабрь", 45210.0, odometer, 5634.5, litres});
}

void answer(const QString &name, QVariant &value) {
    static const QHash<QString, QString> values = {
        {"Org", "ООО «Ромашка»"},          {"OrgAdress", "г. Тверь, ул. Советская, д. 1"},
        {"MarkAuto", "ВАЗ-21074"},         {"GosNumberAuto", "А123ВС 69"},
        {"Voditel", "Петров П.П."},        {"Buhgalter", "Сидорова А.В."},
        {"Utverjdau", "Иванов И.И."},      {"LitrNa100", "9,57"},
        {"DateAKT", "31 декабря 2024 г."}, {"Proveril", "Главный бухгалтер"},
        {"OGRN", "1026900512345"},         {"OrgTelefon", "+7 (4822) 12-34-56"},
        {"TipAuto", "легковой автомобиль"}, {"ModelAuto", "2107"},
        {"VodUdost", "69 12 345678"},      {"VodKategoriya", "B"},
        {"Medrabotnik", "Смирнова Е.В."},   {"Mehanik", "Кузнецов А.Н."},
        {"VidPerevozki", "перевозка для собственных нужд"},
        {"DateFrom", "01.12.2024"},         {"DateTo", "31.12.2024"}};
    if (values.contains(name))
        value = values.value(name);
}

ReportEngine &engine() {
    static ReportEngine e;
    static bool ready = false;
    if (!ready) {
        e.loadFromFile(QStringLiteral(":/Orvet_Main.frf"));
        e.setTitle(QStringLiteral("Путевой лист № 12"));
        e.registerDataSource(&g_frd1);
        e.registerDataSource(&g_frd2);
        e.setVariableHandler(&answer);
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
    QApplication app(argc, argv); // PDF export needs fonts
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    fillSample();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
