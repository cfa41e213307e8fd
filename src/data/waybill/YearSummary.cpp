#include "data/waybill/YearSummary.h"

#include "core/Names.h"
#include "core/NumberFormat.h"
#include "data/table/Table.h"
#include "data/waybill/ReceiptSums.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

namespace {
QVariant normOf(double litres, double distance) {
    if (distance <= 0)
        return {};
    return std::round(litres / distance * 100.0 * 100.0) / 100.0;
}

// Every figure as the form prints it (hundredths), so that the year's totals
// are the sums of the figures printed above them, also for waybills stored
// with unrounded fuel.
double printed(double value) {
    return NumberFormat::roundHalfAway(value, 2);
}
} // namespace

YearSummary::YearSummary(Table &waybills, Table &receipts, int year) : m_year(year) {
    struct Waybill {
        QDate date;
        qint64 id;
        QString number;
        double start, end, litres;
    };
    QList<Waybill> found;
    for (int r = 0; r < waybills.recordCount(); ++r) {
        const QDate date = waybills.valueAt(r, Fields::DATE).toDate();
        if (date.year() != year)
            continue;
        found.append({date, waybills.valueAt(r, Fields::ID).toLongLong(),
                      waybills.valueAt(r, Fields::NUMBL).toString(),
                      printed(waybills.valueAt(r, Fields::PROBB).toDouble()),
                      printed(waybills.valueAt(r, Fields::PROBE).toDouble()),
                      printed(waybills.valueAt(r, Fields::SUMLITR).toDouble())});
    }
    std::stable_sort(found.begin(), found.end(), [](const Waybill &a, const Waybill &b) {
        return a.date < b.date || (a.date == b.date && a.id < b.id);
    });
    for (int month = 1; month <= 12; ++month) {
        const QDate first(year, month, 1);
        const QDate last = first.addMonths(1).addDays(-1);
        const double litres = printed(ReceiptSums::sum(receipts, first, last, Fields::LITRS));
        const double rubles = printed(ReceiptSums::sum(receipts, first, last, Fields::SUMRUB));
        m_totals.receiptLitres += litres;
        m_totals.receiptRubles += rubles;
        bool any = false;
        for (const Waybill &w : std::as_const(found)) {
            if (w.date.month() != month)
                continue;
            // A second waybill of the month does not count the receipts twice.
            Row row{month,
                    w.number,
                    w.start,
                    w.end,
                    printed(w.end - w.start),
                    w.litres,
                    normOf(w.litres, w.end - w.start),
                    any ? 0.0 : litres,
                    any ? 0.0 : rubles};
            any = true;
            m_totals.distance += printed(w.end - w.start);
            m_totals.litresUsed += w.litres;
            if (!m_totals.startReading.isValid())
                m_totals.startReading = w.start;
            m_totals.endReading = w.end;
            m_rows.append(row);
        }
        if (!any)
            m_rows.append(Row{month, {}, {}, {}, {}, {}, {}, litres, rubles});
    }
    m_totals.norm = normOf(m_totals.litresUsed, m_totals.distance);
}

QStringList YearSummary::fieldNames() {
    return {QStringLiteral("MONTH"),  QStringLiteral("NUMBL"), QStringLiteral("PROBB"),
            QStringLiteral("PROBE"),  QStringLiteral("PROB"),  QStringLiteral("LITR"),
            QStringLiteral("CHLITR"), QStringLiteral("CHRUB"), QStringLiteral("NORMA")};
}

QList<QVariant> YearSummary::values(const Row &row) {
    const QString month = QLocale().standaloneMonthName(row.month, QLocale::LongFormat);
    return {month.left(1).toUpper() + month.mid(1),
            row.number,
            row.startReading,
            row.endReading,
            row.distance,
            row.litresUsed,
            row.receiptLitres,
            row.receiptRubles,
            row.norm};
}
