#include "data/waybill/WaybillJournal.h"

#include "core/Names.h"
#include "core/NumberFormat.h"
#include "data/table/Table.h"

#include <algorithm>

WaybillJournal::WaybillJournal(Table &waybills, int year) : m_year(year) {
    QList<QPair<qint64, Entry>> found;
    for (int r = 0; r < waybills.recordCount(); ++r) {
        const QDate date = waybills.valueAt(r, Fields::DATE).toDate();
        if (date.year() != year)
            continue;
        Entry e;
        e.number = waybills.valueAt(r, Fields::NUMBL).toString();
        e.from = QDate(date.year(), date.month(), 1);
        e.to = e.from.addMonths(1).addDays(-1);
        e.startReading = waybills.valueAt(r, Fields::PROBB).toDouble();
        e.endReading = waybills.valueAt(r, Fields::PROBE).toDouble();
        // As the form prints the readings, to hundredths, so the column adds up.
        e.distance = NumberFormat::roundHalfAway(e.endReading - e.startReading, 2);
        e.fuel = waybills.valueAt(r, Fields::SUMLITR).toDouble();
        found.append({waybills.valueAt(r, Fields::ID).toLongLong(), e});
    }
    std::stable_sort(found.begin(), found.end(), [](const auto &a, const auto &b) {
        return a.second.from < b.second.from || (a.second.from == b.second.from && a.first < b.first);
    });
    for (const auto &f : std::as_const(found))
        m_entries.append(f.second);
}

QStringList WaybillJournal::fieldNames() {
    return {QStringLiteral("NUMBL"),  QStringLiteral("DATEFROM"), QStringLiteral("DATETO"),
            QStringLiteral("AUTO"),   QStringLiteral("GOSNOMER"), QStringLiteral("VODITEL"),
            QStringLiteral("PROBB"),  QStringLiteral("PROBE"),    QStringLiteral("PROB"),
            QStringLiteral("SUMLITR")};
}

QList<QVariant> WaybillJournal::values(const Entry &e, const QString &vehicle, const QString &plate,
                                       const QString &driver) {
    return {e.number, e.from, e.to, vehicle, plate, driver, e.startReading, e.endReading, e.distance, e.fuel};
}
