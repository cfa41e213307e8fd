// A card statement over any bytes: read as CSV, its columns guessed and its
// receipts read; and the same bytes as a sheet and a shared-string part of
// a workbook. A refused file says why; an accepted one holds only
// receipts that can be stored.
#include "CoreStart.h"
#include "core/OrvetError.h"
#include "data/statement/CsvStatement.h"
#include "data/statement/StatementLayout.h"
#include "data/statement/StatementReceipts.h"
#include "data/statement/XlsxStatement.h"

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
            layout = StatementLayout{-1, 0, 1, 2, 3};
        // What is let through is a receipt that can be stored.
        for (const auto &r : StatementReceipts::read(table, layout, {QStringLiteral("Мойка")}).receipts)
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
    return 0;
}
