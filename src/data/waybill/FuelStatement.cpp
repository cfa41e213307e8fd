#include "data/waybill/FuelStatement.h"

#include "core/ControlsHold.h"
#include "core/Names.h"
#include "core/NumberFormat.h"
#include "core/NumberText.h"
#include "data/table/Table.h"
#include "data/waybill/ReceiptSums.h"
#include "data/waybill/TankTable.h"
#include "data/waybill/WaybillNumber.h"
#include "data/waybill/WaybillStore.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

namespace {
// Figures as the form prints them, so that a hundredth of binary noise is
// never a remark and the totals are the sums of the printed rows.
double printed(double v) {
    return NumberFormat::roundHalfAway(v, 2);
}
bool differ(double a, double b) {
    return std::fabs(printed(a) - printed(b)) >= 0.005;
}
QString num(double v) {
    return NumberText::general(printed(v));
}

QString monthText(const QDate &d) {
    return QLocale().standaloneMonthName(d.month(), QLocale::LongFormat) + QLatin1Char(' ') +
           QString::number(d.year());
}

QString sheet(const QString &number, const QDate &month) {
    return QStringLiteral("Лист № %1 (%2)").arg(number, monthText(month));
}
} // namespace

QStringList FuelStatement::fieldNames() {
    return {QStringLiteral("MONTH"),     QStringLiteral("NUMBL"), QStringLiteral("PROB"),
            QStringLiteral("NORMA"),     QStringLiteral("BAKS"),  QStringLiteral("KUPLENO"),
            QStringLiteral("BAKE"),      QStringLiteral("FAKT"),  QStringLiteral("EKONOMIYA"),
            QStringLiteral("PERERASHOD")};
}

QList<QVariant> FuelStatement::values(const Row &row) {
    return {row.month.isValid() ? QVariant(monthText(row.month)) : QVariant(QStringLiteral("Итого")),
            row.number,
            row.distance,
            row.normLitres,
            row.tankStart,
            row.bought,
            row.tankEnd,
            row.used,
            row.saving,
            row.overrun};
}

FuelStatement::FuelStatement(Table &waybills, Table &days, Table &receipts, const Table &tank,
                             const Input &input) {
    const QDate from(input.from.year(), input.from.month(), 1), to(input.to.year(), input.to.month(), 1);
    QList<Stored> stored;
    for (int r = 0; r < waybills.recordCount(); ++r) {
        const QDate date = waybills.dateOf(waybills.valueAt(r, Fields::DATE));
        if (date < from || date > to)
            continue;
        stored.append({waybills.valueAt(r, Fields::ID).toLongLong(), date,
                       waybills.valueAt(r, Fields::NUMBL).toString(),
                       waybills.floatOf(waybills.valueAt(r, Fields::PROBB)),
                       waybills.floatOf(waybills.valueAt(r, Fields::PROBE))});
    }
    std::stable_sort(stored.begin(), stored.end(), [](const Stored &a, const Stored &b) {
        return a.date < b.date || (a.date == b.date && a.id < b.id);
    });

    const ControlsHold<Table> hold(days);
    const QString filter = days.filter();
    const bool filtered = days.filtered();
    for (const Stored &w : std::as_const(stored)) {
        Row row;
        row.month = w.date;
        row.number = w.number;
        const WaybillRecalc::Norm norm = input.normOf(w.date.year(), w.date.month());
        checkDays(days, w, norm, row);
        row.distance = printed(row.distance);
        const TankLevels levels = TankTable::read(tank, w.id);
        row.tankStart = printed(levels.departure);
        row.tankEnd = printed(levels.arrival);
        row.bought =
            printed(ReceiptSums::CheskSummL(receipts, w.date.year(), w.date.month(), w.date.daysInMonth()));
        row.used = printed(levels.used(row.bought));
        row.normLitres = printed(row.normLitres);
        const double difference = printed(row.normLitres - row.used);
        (difference >= 0 ? row.saving : row.overrun) = std::fabs(difference);
        if (input.tankVolume > 0)
            for (const auto &[level, what] :
                 {std::pair{levels.departure, "при выезде"}, {levels.arrival, "при возвращении"}})
                if (printed(level) > input.tankVolume + 0.005)
                    m_remarks << QStringLiteral("%1: остаток топлива %2 %3 л больше объёма бака %4 л")
                                     .arg(sheet(w.number, w.date), QString::fromUtf8(what), num(level),
                                          num(input.tankVolume));
        m_rows.append(row);
    }
    days.setFilter(filter);
    days.setFiltered(filtered);

    for (const Row &row : std::as_const(m_rows)) {
        m_totals.distance += row.distance;
        m_totals.normLitres += row.normLitres;
        m_totals.bought += row.bought;
        m_totals.used += row.used;
        m_totals.saving += row.saving;
        m_totals.overrun += row.overrun;
    }
    if (!m_rows.isEmpty()) {
        m_totals.tankStart = m_rows.first().tankStart;
        m_totals.tankEnd = m_rows.last().tankEnd;
    }
    checkChain(stored);
    checkReceipts(receipts, stored, input);
}

// The distance and the fuel at the norm are the sums of the days, and each
// day's fuel is checked against that day's norm.
void FuelStatement::checkDays(Table &days, const Stored &w, const WaybillRecalc::Norm &norm, Row &row) {
    days.setFilter(WaybillStore::dayRowsFilter(w.id));
    days.setFiltered(true);
    for (days.first(); !days.eof(); days.next()) {
        const double fuel = days.asFloat(Fields::RASHOD), distance = days.asFloat(Fields::PROB);
        row.normLitres += fuel;
        row.distance += distance;
        const int day = days.asString(Fields::CHISLO).toInt();
        const double allowed = WaybillRecalc::fuelOn(distance, norm, day);
        if (fuel > allowed + 0.005 && day >= 1 && day <= w.date.daysInMonth())
            m_remarks
                << QStringLiteral("%1, %2: расход %3 л выше нормы %4 л за %5 км")
                       .arg(sheet(w.number, w.date),
                            QDate(w.date.year(), w.date.month(), day).toString(QStringLiteral("dd.MM.yyyy")),
                            num(fuel), num(allowed), num(distance));
    }
}

void FuelStatement::checkChain(const QList<Stored> &stored) {
    for (int i = 1; i < stored.size(); ++i) {
        const Stored &a = stored.at(i - 1), &b = stored.at(i);
        const Row &ra = m_rows.at(i - 1), &rb = m_rows.at(i);
        if (differ(a.end, b.start)) {
            const double d = printed(b.start - a.end);
            m_remarks << QStringLiteral(
                             "%1: пробег на начало %2 км, а лист № %3 закончился на %4 км — %5 %6 км")
                             .arg(sheet(b.number, b.date), num(b.start), a.number, num(a.end),
                                  d > 0 ? QStringLiteral("разрыв") : QStringLiteral("перекрытие"),
                                  num(std::fabs(d)));
        }
        if (differ(ra.tankEnd, rb.tankStart))
            m_remarks << QStringLiteral("%1: остаток топлива при выезде %2 л, а лист № %3 вернулся с %4 л")
                             .arg(sheet(b.number, b.date), num(rb.tankStart), a.number, num(ra.tankEnd));
        QString expected;
        try {
            expected = WaybillNumber::next(a.number);
        } catch (...) {
            expected.clear(); // a number too long to continue: nothing to compare
        }
        if (a.date.addMonths(1) != b.date || (!expected.isEmpty() && expected != b.number))
            m_remarks << QStringLiteral("%1: разрыв в нумерации — после листа № %2 (%3) ожидался № %4 за %5")
                             .arg(sheet(b.number, b.date), a.number, monthText(a.date), expected,
                                  monthText(a.date.addMonths(1)));
    }
}

void FuelStatement::checkReceipts(Table &receipts, const QList<Stored> &stored, const Input &input) {
    for (QDate m(input.from.year(), input.from.month(), 1); m <= input.to; m = m.addMonths(1)) {
        const bool covered =
            std::any_of(stored.cbegin(), stored.cend(), [&m](const Stored &w) { return w.date == m; });
        if (covered)
            continue;
        const double litres = ReceiptSums::sum(receipts, m, m.addMonths(1).addDays(-1), Fields::LITRS);
        if (litres > 0)
            m_remarks << QStringLiteral("Чеки за %1 на %2 л, а путевого листа за этот месяц нет")
                             .arg(monthText(m), num(litres));
    }
}
