// The report template parser over any bytes, and for every template it
// accepts, the report filled from a small waybill and exported as text,
// comma-separated values and HTML.
#include "CoreStart.h"
#include "core/OrvetError.h"
#include "report/ListDataSource.h"
#include "report/ReportEngine.h"
#include "report/ReportExporter.h"
#include "report/ReportTemplateParser.h"

#include <QDate>
#include <cstdint>
#include <cstdlib>

namespace {
ListDataSource &headers() {
    static ListDataSource s(QStringLiteral("FRD1"),
                            {QStringLiteral("ID"), QStringLiteral("DATE"), QStringLiteral("NUMBL"),
                             QStringLiteral("YEAR"), QStringLiteral("MOUNTH"), QStringLiteral("PROBB"),
                             QStringLiteral("PROBE"), QStringLiteral("SUMRUB"), QStringLiteral("SUMLITR")},
                            {{1, QDate(2024, 2, 1), QStringLiteral("07/А"), QStringLiteral("2024"),
                              QStringLiteral("Февраль"), 12000.5, 12480.0, 3120.75, 45.6}});
    return s;
}
ListDataSource &days() {
    static ListDataSource s = [] {
        ListDataSource d(QStringLiteral("FRD2"),
                         {QStringLiteral("ID"), QStringLiteral("IDJOIN"), QStringLiteral("CHISLO"),
                          QStringLiteral("CEL"), QStringLiteral("VROUT"), QStringLiteral("VRIN"),
                          QStringLiteral("SPROBS"), QStringLiteral("SPROBE"), QStringLiteral("PROB"),
                          QStringLiteral("RASHOD")});
        for (int i = 1; i <= 29; ++i)
            d.appendRow({i, 1, QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0')),
                         i % 7 < 5 ? QStringLiteral("Офис") : QString(), QStringLiteral("09:00"),
                         QStringLiteral("18:00"), 12000.0 + i * 16, 12016.0 + i * 16, i % 7 < 5 ? 16.0 : 0.0,
                         i % 7 < 5 ? 1.52 : 0.0});
        return d;
    }();
    return s;
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
    return startCoreApplication(argc, argv);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    ReportEngine engine;
    try {
        engine.loadFromData(bytes, QStringLiteral("fuzz.frf"));
    } catch (const OrvetError &e) {
        if (e.message().isEmpty() || engine.hasTemplate())
            abort(); // a refused template says why and leaves nothing loaded
        return 0;
    }
    engine.registerDataSource(&headers());
    engine.registerDataSource(&days());
    engine.setVariableHandler([](const QString &name, QVariant &value) {
        if (name == QLatin1String("Org"))
            value = QStringLiteral("ООО «Ромашка»");
        else if (name == QLatin1String("LitrNa100"))
            value = QStringLiteral("9,9");
    });
    headers().first();
    days().first();
    try {
        const PreparedReport report = engine.prepare();
        ReportExporter::toText(report);
        ReportExporter::toCsv(report);
        ReportExporter::toHtml(report);
    } catch (const OrvetError &e) {
        if (e.message().isEmpty())
            abort();
    }
    return 0;
}
