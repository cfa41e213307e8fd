#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QVariant>

class Table;

// The journal of waybills of a year: every stored waybill dated in it, in
// date order (two of one month in the order they were stored), with its
// period of validity, readings, distance and fuel as stored.
class WaybillJournal {
public:
    struct Entry {
        QString number;
        QDate from, to; // the first and last day of its month
        double startReading = 0, endReading = 0, distance = 0, fuel = 0;
    };

    // Reads every waybill of `year`; the table's filter is not used.
    WaybillJournal(Table &waybills, int year);

    int year() const { return m_year; }
    const QList<Entry> &entries() const { return m_entries; }

    // The fields of an entry for the report, and the values in that order:
    // the vehicle, plate and driver are the ones set now, as the program
    // keeps one car.
    static QStringList fieldNames();
    static QList<QVariant> values(const Entry &entry, const QString &vehicle, const QString &plate,
                                  const QString &driver);

private:
    int m_year;
    QList<Entry> m_entries;
};
