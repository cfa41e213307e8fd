// A card statement over any bytes: read as CSV, its columns guessed and its
// receipts read (card blocks, refunds, a price for a missing sum); the same
// bytes as a sheet and a shared-string part of a workbook, and as an older
// workbook (.xls). A refused file says why; an accepted one holds only
// receipts that can be stored.
#include "CoreStart.h"
#include "core/OrvetError.h"
#include "data/statement/CsvStatement.h"
#include "data/statement/StatementLayout.h"
#include "data/statement/StatementReceipts.h"
#include "data/statement/XlsStatement.h"
#include "data/statement/XlsxStatement.h"

#include <QFile>
#include <QTemporaryFile>

#include <cmath>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
    return startCoreApplication(argc, argv);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        const StatementTable table = CsvStatement::read(bytes, QStringLiteral("fuzz.csv"));
        StatementLayout layout = StatementLayout::guess(table);
        if (!layout.complete())
            layout = StatementLayout{-1, 0, 1, size % 2 ? 2 : -1, 3, 4, 5, 6};
        StatementReceipts::cardsOf(table, layout);
        // What is let through is a receipt that can be stored.
        for (const auto &r :
             StatementReceipts::read(table, layout, {{QStringLiteral("Мойка")}, {QStringLiteral("7826")}}).receipts)
            if (!std::isfinite(r.litres) || !std::isfinite(r.rubles) || std::abs(r.litres) > StatementReceipts::MaxLitres ||
                std::abs(r.rubles) > StatementReceipts::MaxRubles || !StatementReceipts::plausible(r.date))
                abort();
    } catch (const OrvetError &e) {
        if (e.message().isEmpty())
            abort();
    }
    try {
        XlsxStatement::sheetRows(bytes, XlsxStatement::sharedStrings(bytes, QStringLiteral("fuzz.xlsx")),
                                 XlsxStatement::dateStyles(bytes), QStringLiteral("fuzz.xlsx"));
    } catch (const OrvetError &e) {
        if (e.message().isEmpty())
            abort();
    }
    // An older workbook: its declared size counted from its records, and
    // one within the bound opened by the library.
    if (bytes.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1")) {
        const qint64 declared = XlsStatement::declaredCells(bytes);
        if (declared >= 0 && declared <= XlsStatement::MaxDeclared) {
            static QTemporaryFile file;
            if (!file.isOpen() && !file.open())
                abort();
            file.resize(0);
            file.write(bytes);
            file.flush();
            try {
                XlsStatement::read(file.fileName(), QStringLiteral("fuzz.xls"));
            } catch (const OrvetError &e) {
                if (e.message().isEmpty())
                    abort();
            }
        }
    }
    return 0;
}
