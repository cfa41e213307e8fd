#include "report/ReportPrinter.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPrintEngine>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStringList>

namespace {
QString g_chosen; // for the rest of the run

// Qt's CUPS engine sends these options with the job, names and values in
// turn (its private key PPK_CupsOptions). It says nothing about the
// orientation of a portrait job, so the queue's default orientation
// applies: a queue set to landscape turned the form sideways.
constexpr auto CupsOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);
const QString Orientation = QStringLiteral("orientation-requested");
const QString Portrait = QStringLiteral("3"); // IPP's code for portrait
} // namespace

void ReportPrinter::prepare(QPrinter &printer) {
    if (!g_chosen.isEmpty() && QPrinterInfo::availablePrinterNames().contains(g_chosen))
        printer.setPrinterName(g_chosen);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
}

void ReportPrinter::accept(QPrinter &printer) {
    if (printer.outputFormat() == QPrinter::NativeFormat && !printer.printerName().isEmpty())
        g_chosen = printer.printerName();
    printer.setPageOrientation(QPageLayout::Portrait);
    QStringList options = printer.printEngine()->property(CupsOptions).toStringList();
    const qsizetype at = options.indexOf(Orientation);
    if (at >= 0 && at % 2 == 0 && at + 1 < options.size())
        options[at + 1] = Portrait;
    else
        options << Orientation << Portrait;
    printer.printEngine()->setProperty(CupsOptions, options);
}
