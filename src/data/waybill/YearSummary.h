#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QVariant>

class Table;

// A year of waybills, month by month: what each waybill says (number,
// readings, distance, fuel used, and the norm that fuel works out to) beside
// the receipts of its month. A month without a waybill still shows its
// receipts; two waybills of one month are two rows.
class YearSummary {
public:
    struct Row {
        int month = 0;
        QVariant number;                     // text; null for a month without a waybill
        QVariant startReading, endReading;   // km; null without a waybill
        QVariant distance, litresUsed, norm; // km, l, l per 100 km; null without a waybill
        double receiptLitres = 0, receiptRubles = 0;
    };
    struct Totals {
        QVariant startReading, endReading; // of the first and last waybill of the year
        double distance = 0, litresUsed = 0, receiptLitres = 0, receiptRubles = 0;
        QVariant norm; // the year's fuel over its distance; null without distance
    };

    // Reads every waybill of `year` (the table's filter is not used: the
    // waybill list is never filtered) and the receipts of each month.
    YearSummary(Table &waybills, Table &receipts, int year);

    int year() const { return m_year; }
    const QList<Row> &rows() const { return m_rows; }
    const Totals &totals() const { return m_totals; }

    // The fields of a row for the report, and the values in that order.
    static QStringList fieldNames();
    static QList<QVariant> values(const Row &row);

private:
    int m_year;
    QList<Row> m_rows;
    Totals m_totals;
};
