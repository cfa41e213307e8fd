// Fills a folder with the benchmark data: orvet_benchgen FOLDER [small|large]
#include "BenchData.h"
#include "core/CNumericLocale.h"

#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <exception>

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);    // the data module's actions carry icons
    CNumericLocale::setForProcess(); // figures printed with a point, as main() does
    const QStringList args = QApplication::arguments();
    if (args.size() < 2 || args.size() > 3 ||
        (args.size() == 3 && args[2] != QLatin1String("small") && args[2] != QLatin1String("large"))) {
        std::fprintf(stderr, "usage: orvet_benchgen FOLDER [small|large]\n");
        return 2;
    }
    const BenchData::Scale &scale =
        args.size() == 3 && args[2] == QLatin1String("small") ? BenchData::Small : BenchData::Large;
    try {
        QElapsedTimer t;
        t.start();
        const BenchData::Counts n = BenchData::generate(args[1], scale);
        std::printf("%s: %lld waybills, %lld day rows, %lld receipts, %lld trip types in %.2f s\n",
                    qPrintable(args[1]), n.waybills, n.dayRows, n.receipts, n.tripTypes,
                    t.elapsed() / 1000.0);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "orvet_benchgen: %s\n", e.what());
        return 1;
    }
    return 0;
}
