#include "Program.h"

#include "controls/CalcEdit.h"
#include "core/Names.h"
#include "data/commands/FuelStatementCommand.h"
#include "data/commands/PrintCommand.h"
#include "data/commands/WaybillCommands.h"
#include "data/waybill/FuelStatement.h"
#include "data/waybill/TankTable.h"
#include "data/waybill/YearSummary.h"
#include "forms/TOrvet_New_F.h"
#include "settings/NormSurcharges.h"

#include <QPushButton>
#include <QTest>

namespace {
// The remainder a clerk reads off the gauge, typed in before recalculating.
std::function<void(TOrvet_New_F &)> remainder(double litres, double *shownStart = nullptr) {
    return [=](TOrvet_New_F &ed) {
        if (shownStart)
            *shownStart = ed.TankOut->value();
        ed.TankIn->setValue(litres);
        ed.BitBtn5->click(); // "Пересчитать"
    };
}

double distanceOf(Table &waybills, int row) {
    return waybills.valueAt(row, Fields::PROBE).toDouble() - waybills.valueAt(row, Fields::PROBB).toDouble();
}

NormSurcharges surcharges(const QStringList &texts) {
    NormSurcharges s;
    for (int i = 0; i < texts.size(); ++i)
        s.setText(i, texts.at(i));
    return s;
}
} // namespace

class tst_Fuel : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { pinRussianLocale(); }

    // Norm 10 l/100 km, 50, 35 and 42 litres bought. January leaves 10 l in
    // the tank, so it used 40 l: 400 km. February starts with those 10,
    // leaves 5: 10 + 35 - 5 = 40 l, 400 km. March starts with 5 and keeps
    // them: 42 l, 420 km.
    void tankChainOfThreeMonths() {
        Program p;
        p.setNorm(10);
        p.dm.random().pin(1);
        p.addTrip(QStringLiteral("Почта"), 15);
        p.addTrip(QStringLiteral("Администрация"), 20);
        p.addTrip(QStringLiteral("Банк"), 25);
        p.addReceipt(QDate(2025, 1, 10), 50);
        p.addReceipt(QDate(2025, 2, 10), 35);
        p.addReceipt(QDate(2025, 3, 10), 42);
        double febStart = -1, marStart = -1;
        QCOMPARE(p.storeNew(2025, 1, remainder(10)), QString());
        QCOMPARE(p.storeNew(2025, 2, remainder(5, &febStart)), QString());
        QCOMPARE(p.storeNew(2025, 3,
                            [&marStart](TOrvet_New_F &ed) {
                                marStart = ed.TankOut->value();
                                QCOMPARE(ed.TankIn->value(), 5.0); // left at the start until typed
                            }),
                 QString());
        QCOMPARE(febStart, 10.0);
        QCOMPARE(marStart, 5.0);

        Table &w = p.dm.Orvet();
        // Within the fitting's reach of the target (without the tank:
        // 500, 350 and 420 km).
        const double expected[] = {400, 400, 420};
        for (int r = 0; r < 3; ++r)
            QVERIFY2(qAbs(distanceOf(w, r) - expected[r]) <= 10,
                     qPrintable(QString::number(distanceOf(w, r))));
        const TankLevels feb = TankTable::read(p.dm.OrvetBak(), w.valueAt(1, Fields::ID).toLongLong());
        QCOMPARE(feb.departure, 10.0);
        QCOMPARE(feb.arrival, 5.0);

        // The printed form carries them.
        w.setCurrentRow(1);
        QVariant v;
        p.dm.printCommand().FR1GetValue(QStringLiteral("BakVyezd"), v);
        QCOMPARE(v.toString(), QStringLiteral("10"));

        // The statement: actual use from the tank, the norm from the days.
        FuelStatementCommand &command = p.dm.fuelStatementCommand();
        const PreparedReport report = command.prepare(QDate(2025, 1, 1), QDate(2025, 12, 31));
        const FuelStatement &s = *command.statement();
        QCOMPARE(s.rows().size(), 3);
        QCOMPARE(s.rows().at(0).used, 40.0);
        QCOMPARE(s.rows().at(1).used, 40.0);
        QCOMPARE(s.rows().at(2).used, 42.0);
        QCOMPARE(s.totals().used, 122.0);
        QCOMPARE(s.totals().bought, 127.0);
        QCOMPARE(s.totals().tankEnd, 5.0);
        for (const FuelStatement::Row &row : s.rows()) // the days' fuel is the fitted distance's
            QVERIFY(qAbs(row.normLitres - row.used) <= 1 + 1e-9);
        QCOMPARE(s.remarks(), QStringList());
        QVERIFY(report.pageCount() >= 1);

        // Replacing keeps the tank with the new waybill; deleting takes it along.
        QCOMPARE(p.replaceLast(), QString());
        w.last();
        QCOMPARE(TankTable::read(p.dm.OrvetBak(), w.value(Fields::ID).toLongLong()).arrival, 5.0);
        QCOMPARE(p.dm.OrvetBak().recordCount(), 3);
        QCOMPARE(p.deleteLast(), QString());
        QCOMPARE(p.dm.OrvetBak().recordCount(), 2);
    }

    // A year with 5 l left in the tank at every return and winter (10 %)
    // from 1 November to 31 March, 40 l bought each month: January used
    // 0 + 40 - 5 = 35 l, every other month 5 + 40 - 5 = 40 l. At 10 l/100 km,
    // 11 in winter: January 318 km, February, March, November and December
    // 364, April to October 400.
    void yearWithWinterFromNovember() {
        Program p;
        p.setNorm(10);
        p.dm.random().pin(3);
        p.dm.surcharges().setText(NormSurcharges::Zima, QStringLiteral("10"));
        p.dm.surcharges().setText(NormSurcharges::ZimaS, QStringLiteral("01.11"));
        p.dm.surcharges().setText(NormSurcharges::ZimaPo, QStringLiteral("31.03"));
        p.addTrip(QStringLiteral("Почта"), 15);
        p.addTrip(QStringLiteral("Администрация"), 20);
        p.addTrip(QStringLiteral("Банк"), 25);
        for (int month = 1; month <= 12; ++month) {
            p.addReceipt(QDate(2025, month, 12), 40);
            QCOMPARE(p.storeNew(2025, month, remainder(5)), QString());
        }
        Table &w = p.dm.Orvet();
        QCOMPARE(w.recordCount(), 12);
        const double km[] = {318, 364, 364, 400, 400, 400, 400, 400, 400, 400, 364, 364};
        for (int r = 0; r < 12; ++r)
            QVERIFY2(qAbs(distanceOf(w, r) - km[r]) <= 10,
                     qPrintable(QStringLiteral("month %1: %2 km").arg(r + 1).arg(distanceOf(w, r))));
        // Printed: December's basis names the winter surcharge.
        w.setCurrentRow(11);
        QVariant basis;
        p.dm.printCommand().FR1GetValue(QStringLiteral("NormaOsnovanie"), basis);
        QVERIFY2(basis.toString().contains(QStringLiteral("зимняя 10 %")), qPrintable(basis.toString()));
        // Summarised: the statement of the year and the year's summary.
        FuelStatementCommand &command = p.dm.fuelStatementCommand();
        QVERIFY(command.prepare(QDate(2025, 1, 1), QDate(2025, 12, 31)).pageCount() >= 1);
        const FuelStatement &s = *command.statement();
        QCOMPARE(s.rows().size(), 12);
        QCOMPARE(s.totals().bought, 480.0);
        QCOMPARE(s.totals().used, 475.0);
        QCOMPARE(s.totals().tankEnd, 5.0);
        QCOMPARE(s.remarks(), QStringList());
        const YearSummary year(w, p.dm.Chesks(), 2025);
        QCOMPARE(year.rows().size(), 12);
        QCOMPARE(year.totals().receiptLitres, 480.0);
    }

    // Worked by hand: Hs x (100 + D) / 100.
    void normWithSurcharges_data() {
        QTest::addColumn<QStringList>("texts"); // Zima, ZimaS, ZimaPo, Gorod, Vozrast, Kondicioner
        QTest::addColumn<bool>("winterMode");
        QTest::addColumn<double>("norm");
        QTest::addColumn<int>("month");
        QTest::addColumn<QString>("basis");
        QTest::addColumn<QList<double>>("fuelOf100kmOnDays1And15");
        QTest::newRow("January, winter and city")
            << QStringList{"10", "01.11", "31.03", "5"} << false << 8.5 << 1
            << "Норма 8,5 л/100 км; надбавки: зимняя 10 %, город 5 % — 9,78 л/100 км"
            << QList<double>{9.78, 9.78};
        QTest::newRow("November split at the 15th")
            << QStringList{"10", "15.11", "31.03"} << false << 10.0 << 11
            << "Норма 10 л/100 км; надбавки: зимняя 10 % с 15.11 — 10 л/100 км, в зимние дни — 11 л/100 км"
            << QList<double>{10, 11};
        QTest::newRow("July inside a winter period's year")
            << QStringList{"10", "01.11", "31.03"} << true << 10.0 << 7 << "Норма 10 л/100 км"
            << QList<double>{10, 10};
        QTest::newRow("winter mode without a period, air conditioning")
            << QStringList{"15", "", "", "", "", "2"} << true << 8.5 << 12
            << "Норма 8,5 л/100 км; надбавки: зимняя 10 %, кондиционер 2 % — 9,52 л/100 км"
            << QList<double>{9.52, 9.52};
        QTest::newRow("nothing set: the winter mode as it always was")
            << QStringList{} << true << 8.7 << 12
            << "Норма 8,7 л/100 км; надбавки: зимняя 10 % — 9,57 л/100 км" << QList<double>{9.57, 9.57};
    }

    void normWithSurcharges() {
        QFETCH(QStringList, texts);
        QFETCH(bool, winterMode);
        QFETCH(double, norm);
        QFETCH(int, month);
        QFETCH(QString, basis);
        QFETCH(QList<double>, fuelOf100kmOnDays1And15);
        const NormSurcharges s = surcharges(texts);
        QCOMPARE(s.refusal(), QString());
        QCOMPARE(s.basis(norm, 2025, month, winterMode), basis);
        WaybillRecalc::Norm n{norm, winterMode ? 1.1 : 1.0};
        n.dayNorms = s.dayNorms(norm, 2025, month, winterMode);
        QCOMPARE(n.dayNorms.empty(), texts.isEmpty());
        QCOMPARE(WaybillRecalc::fuelOn(100, n, 1), fuelOf100kmOnDays1And15.at(0));
        QCOMPARE(WaybillRecalc::fuelOn(100, n, 15), fuelOf100kmOnDays1And15.at(1));
    }

    void surchargesRefused() {
        QVERIFY(!surcharges({"10", "01.11"}).refusal().isEmpty());          // the period's end missing
        QVERIFY(!surcharges({"10", "31.02", "31.03"}).refusal().isEmpty()); // no such day
        QVERIFY(!surcharges({"", "", "", "пять"}).refusal().isEmpty());
        QVERIFY(surcharges({"10", "1.12", "29.02"}).refusal().isEmpty());
    }

    // A new November waybill with winter from the 15th: 20 km days use 2 l
    // before it and 2,2 l from it; no warning about the winter mode.
    void novemberSplitInTheEditor() {
        Program p;
        p.setNorm(10);
        p.dm.surcharges().setText(NormSurcharges::Zima, QStringLiteral("10"));
        p.dm.surcharges().setText(NormSurcharges::ZimaS, QStringLiteral("15.11"));
        p.dm.surcharges().setText(NormSurcharges::ZimaPo, QStringLiteral("31.03"));
        p.addTrip(QStringLiteral("Налоговая"), 20);
        p.addReceipt(QDate(2025, 11, 5), 42);
        QCOMPARE(p.storeNew(2025, 11), QString());
        QCOMPARE(p.host.messages, QStringList());
        Table &days = p.dm.OrvetSost();
        days.setFiltered(false);
        int before = 0, after = 0;
        for (int r = 0; r < days.recordCount(); ++r) {
            const int day = days.valueAt(r, Fields::CHISLO).toInt();
            const double prob = days.valueAt(r, Fields::PROB).toDouble(),
                         fuel = days.valueAt(r, Fields::RASHOD).toDouble();
            if (prob == 20) {
                QCOMPARE(fuel, day < 15 ? 2.0 : 2.2);
                ++(day < 15 ? before : after);
            }
        }
        QVERIFY(before + after > 0);
    }

    // Each kind of broken chain, planted: January 1000-1300 km; February
    // starts at 1350 and returns with 45 l in a 40 l tank, one day at 30 l
    // for 250 km; no March waybill but its receipts; April numbered 04 and
    // starting at 1550, with February's 45 l not carried over.
    void statementListsEveryBrokenChain() {
        Program p;
        p.setNorm(10);
        p.dm.surcharges().setText(NormSurcharges::ObemBaka, QStringLiteral("40"));
        struct W {
            int month;
            const char *number;
            double start, end, tankOut, tankIn;
            int day;
            double prob, fuel;
        };
        const W planted[] = {{1, "01", 1000, 1300, 0, 10, 10, 300, 30},
                             {2, "02", 1350, 1600, 10, 45, 3, 250, 30},
                             {4, "04", 1550, 1700, 40, 0, 7, 150, 15}};
        for (const W &w : planted) {
            const qint64 id =
                p.dm.Orvet().insertRecord({QVariant(), QDate(2025, w.month, 1), QString::fromLatin1(w.number),
                                           QStringLiteral("2025"), QString(), w.start, w.end, 0, w.fuel});
            p.dm.OrvetSost().insertRecord({QVariant(), id,
                                           QStringLiteral("%1").arg(w.day, 2, 10, QLatin1Char('0')),
                                           QStringLiteral("Банк"), QStringLiteral("09:00"),
                                           QStringLiteral("18:00"), w.start, w.end, w.prob, w.fuel});
            TankTable::write(p.dm.OrvetBak(), id, {w.tankOut, w.tankIn});
        }
        for (const auto &[month, litres] : {std::pair{1, 40.0}, {2, 60.0}, {3, 20.0}, {4, 10.0}})
            p.addReceipt(QDate(2025, month, 10), litres);

        FuelStatementCommand &command = p.dm.fuelStatementCommand();
        const PreparedReport report = command.prepare(QDate(2025, 1, 1), QDate(2025, 6, 30));
        const QString remarks = command.statement()->remarks().join(QLatin1Char('\n'));
        for (const char *expected :
             {"Лист № 02 (февраль 2025): пробег на начало 1350 км, а лист № 01 закончился на 1300 км — "
              "разрыв 50 км",
              "Лист № 04 (апрель 2025): пробег на начало 1550 км, а лист № 02 закончился на 1600 км — "
              "перекрытие 50 км",
              "Лист № 04 (апрель 2025): разрыв в нумерации — после листа № 02 (февраль 2025) ожидался № 03 "
              "за март 2025",
              "Лист № 04 (апрель 2025): остаток топлива при выезде 40 л, а лист № 02 вернулся с 45 л",
              "Чеки за март 2025 на 20 л, а путевого листа за этот месяц нет",
              "Лист № 02 (февраль 2025), 03.02.2025: расход 30 л выше нормы 25 л за 250 км",
              "Лист № 02 (февраль 2025): остаток топлива при возвращении 45 л больше объёма бака 40 л"})
            QVERIFY2(remarks.contains(QString::fromUtf8(expected)), qPrintable(remarks));
        QCOMPARE(command.statement()->remarks().size(), 7);
        // January: 0 + 40 - 10 = 30 at a norm of 30; February 10 + 60 - 45 =
        // 25 against 30, 5 saved; April 40 + 10 - 0 = 50 against 15, 35 over.
        const FuelStatement::Row &total = command.statement()->totals();
        QCOMPARE(total.used, 105.0);
        QCOMPARE(total.saving, 5.0);
        QCOMPARE(total.overrun, 35.0);

        QStringList printed;
        for (const ReportPage &page : report.pages())
            for (const ReportItem &item : page.items)
                printed << item.text;
        QVERIFY(printed.contains(QStringLiteral("ВЕДОМОСТЬ РАСХОДА ТОПЛИВА")));
        QVERIFY(printed.contains(QStringLiteral("Замечаний: 7")));
        QVERIFY(printed.contains(QStringLiteral("Итого за период")));
    }
};

QTEST_MAIN(tst_Fuel)
#include "tst_fuel.moc"
