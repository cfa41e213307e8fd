#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QVariant>

class Table;

// A stored month as one waybill per working day: each a day with a trip,
// valid for that day only, numbered from the month's number and the day
// ("12/05" for the 5th of waybill 12), so every print numbers it the same.
class DailyWaybills {
public:
    struct Day {
        QString number; // "12/05"
        QDate date;
        QString chislo, trip, out, in;
        double startReading = 0, endReading = 0, distance = 0, fuel = 0;
        double receiptLitres = 0, receiptRubles = 0; // bought that day
    };

    // The day rows of the waybill `id` (number `numbl`, month of `firstDay`)
    // that carry a trip or a distance, in their stored order. The day-row
    // table is left filtered to the waybill, as the monthly print leaves it.
    DailyWaybills(Table &days, Table &receipts, qint64 id, const QString &numbl, const QDate &firstDay);

    const QList<Day> &days() const { return m_days; }

    static QString dayNumber(const QString &numbl, const QString &chislo);
    // The fields of a day for the report, and the values in that order.
    static QStringList fieldNames();
    static QList<QVariant> values(const Day &day);

private:
    QList<Day> m_days;
};
