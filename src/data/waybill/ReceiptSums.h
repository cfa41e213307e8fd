#pragma once

#include <QDate>
#include <QString>

class Table;

// The receipts of a month or a period, summed: the new waybill's check of
// the period, the fitting's litres, the stored rubles and the reopened
// waybill's litres all read them here.
class ReceiptSums {
public:
    // Sums a receipt field over [from, to], putting the receipt filter text
    // and filtered flag back exactly as they were.
    static double sum(Table &chesks, const QDate &from, const QDate &to, const QString &field);
    // The waybill's month: day 1 to its days in month (cut to the month).
    static double CheskSummL(Table &chesks, int year, int month, int daysInMonth);
    static double CheskSumRUB(Table &chesks, int year, int month, int daysInMonth);

private:
    static QDate lastDay(int year, int month, int daysInMonth);
};
