#pragma once

#include "data/waybill/WaybillRecalc.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QVariant>
#include <functional>

class Table;

// The statement of fuel consumption for a period: one row per waybill
// whose month lies in it (distance, fuel at the norm, fuel in the tank,
// bought, actually used = start + bought - remainder, saving or overrun),
// the period's totals, and what an auditor would question in the chain of
// waybills: odometer or tank remainders that do not run on, a gap in the
// numbering, receipts of a month without a waybill, a day above the norm,
// a remainder larger than the tank.
class FuelStatement {
public:
    struct Row {
        QDate month; // first day
        QString number;
        double distance = 0, normLitres = 0; // the days' sums as printed
        double tankStart = 0, bought = 0, tankEnd = 0, used = 0;
        double saving = 0, overrun = 0; // normLitres - used, on one side or the other
    };
    struct Input {
        QDate from, to;
        double tankVolume = 0; // 0: no check
        // The norm of a month, for the days' check.
        std::function<WaybillRecalc::Norm(int year, int month)> normOf;
    };

    // Reads the waybills of the months from `from` to `to` (whole months),
    // their day rows (the day-row filter is put back as it was), the
    // receipts and the tank.
    FuelStatement(Table &waybills, Table &days, Table &receipts, const Table &tank, const Input &input);

    const QList<Row> &rows() const { return m_rows; }
    const Row &totals() const { return m_totals; }
    const QStringList &remarks() const { return m_remarks; }

    static QStringList fieldNames();
    static QList<QVariant> values(const Row &row);

private:
    struct Stored {
        qint64 id;
        QDate date;
        QString number;
        double start, end;
    };
    void checkChain(const QList<Stored> &stored);
    void checkDays(Table &days, const Stored &w, const WaybillRecalc::Norm &norm, Row &row);
    void checkReceipts(Table &receipts, const QList<Stored> &stored, const Input &input);

    QList<Row> m_rows;
    Row m_totals;
    QStringList m_remarks;
};
