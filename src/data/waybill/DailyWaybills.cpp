#include "data/waybill/DailyWaybills.h"

#include "core/Names.h"
#include "data/table/Table.h"
#include "data/waybill/ReceiptSums.h"
#include "data/waybill/WaybillStore.h"

DailyWaybills::DailyWaybills(Table &days, Table &receipts, qint64 id, const QString &numbl,
                             const QDate &firstDay) {
    days.setFilter(WaybillStore::dayRowsFilter(id));
    days.setFiltered(true);
    const QDate first(firstDay.year(), firstDay.month(), 1);
    for (int r = 0; r < days.recordCount(); ++r) {
        Day day;
        day.chislo = days.valueAt(r, Fields::CHISLO).toString().trimmed();
        day.trip = days.valueAt(r, Fields::CEL).toString();
        day.distance = days.valueAt(r, Fields::PROB).toDouble();
        // A day off is stored with no trip and nothing driven.
        if (day.trip.trimmed().isEmpty() && day.distance == 0)
            continue;
        bool ok = false;
        const int dayOfMonth = day.chislo.toInt(&ok);
        day.date = ok ? first.addDays(dayOfMonth - 1) : QDate();
        if (!day.date.isValid() || day.date.month() != first.month())
            continue; // a row edited by hand into no day of the month
        day.number = dayNumber(numbl, day.chislo);
        day.out = days.valueAt(r, Fields::VROUT).toString();
        day.in = days.valueAt(r, Fields::VRIN).toString();
        day.startReading = days.valueAt(r, Fields::SPROBS).toDouble();
        day.endReading = days.valueAt(r, Fields::SPROBE).toDouble();
        day.fuel = days.valueAt(r, Fields::RASHOD).toDouble();
        day.receiptLitres = ReceiptSums::sum(receipts, day.date, day.date, Fields::LITRS);
        day.receiptRubles = ReceiptSums::sum(receipts, day.date, day.date, Fields::SUMRUB);
        m_days.append(day);
    }
}

QString DailyWaybills::dayNumber(const QString &numbl, const QString &chislo) {
    const QString d = chislo.size() < 2 ? QStringLiteral("0") + chislo : chislo;
    return numbl.trimmed() + QLatin1Char('/') + d;
}

QStringList DailyWaybills::fieldNames() {
    return {QStringLiteral("NUMBER"), QStringLiteral("DATE"),   QStringLiteral("CHISLO"),
            QStringLiteral("CEL"),    QStringLiteral("VROUT"),  QStringLiteral("VRIN"),
            QStringLiteral("SPROBS"), QStringLiteral("SPROBE"), QStringLiteral("PROB"),
            QStringLiteral("RASHOD"), QStringLiteral("LITRS"),  QStringLiteral("SUMRUB")};
}

QList<QVariant> DailyWaybills::values(const Day &day) {
    return {day.number,       day.date,       day.chislo,   day.trip, day.out,           day.in,
            day.startReading, day.endReading, day.distance, day.fuel, day.receiptLitres, day.receiptRubles};
}
