#include "Program.h"

#include "ExternalReader.h"
#include "core/OrvetError.h"
#include "data/commands/DailyPrintCommand.h"
#include "data/commands/JournalCommand.h"
#include "data/commands/WaybillCommands.h"
#include "data/waybill/ProductionCalendar.h"
#include "data/waybill/WaybillStore.h"
#include "report/ReportExporter.h"
#include "settings/CalendarSettings.h"

#include <QFile>
#include <QTest>

namespace {
// The day rows of the selected waybill: day of month to trip.
QMap<int, QString> tripsByDay(Program &p) {
    Table &days = p.dm.OrvetSost();
    days.setFilter(WaybillStore::dayRowsFilter(p.dm.Orvet().value(Fields::ID).toLongLong()));
    days.setFiltered(true);
    QMap<int, QString> trips;
    for (int r = 0; r < days.recordCount(); ++r)
        trips.insert(days.valueAt(r, Fields::CHISLO).toInt(), days.valueAt(r, Fields::CEL).toString());
    return trips;
}

// A figure as the forms print it with "0.##".
QString printed(double v) {
    QString s = QString::number(v, 'f', 2);
    while (s.endsWith(QLatin1Char('0')))
        s.chop(1);
    if (s.endsWith(QLatin1Char('.')))
        s.chop(1);
    return s.replace(QLatin1Char('.'), QLatin1Char(','));
}

QStringList pageTexts(const PreparedReport &report, int page) {
    QStringList texts;
    for (const ReportItem &item : report.pages().at(page).items)
        texts.append(item.text);
    return texts;
}

void writeFile(const QString &path, const QByteArray &text) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
}
} // namespace

class tst_DailyJournal : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { pinRussianLocale(); }

    // The working days of each built-in year add up to the published totals
    // of the five-day week.
    void calendarMatchesThePublishedYears() {
        TestDir dir;
        const ProductionCalendar c = ProductionCalendar::load(dir.path());
        const QList<QPair<int, int>> totals{{2020, 248}, {2021, 247}, {2022, 247}, {2023, 247},
                                            {2024, 248}, {2025, 247}, {2026, 247}};
        for (const auto &[year, expected] : totals) {
            int working = 0;
            for (QDate d(year, 1, 1); d.year() == year; d = d.addDays(1))
                working += c.isWorkingDay(d) ? 1 : 0;
            QCOMPARE(working, expected);
        }
        QVERIFY(c.covers(2027) && !c.covers(2028) && !c.covers(2019));
    }

    // The user's file adds a year and corrects a day; a slip in it is
    // refused with its line, not read as something else.
    void usersFileExtendsTheCalendar() {
        TestDir dir;
        writeFile(dir.file(ProductionCalendar::FileName),
                  "# 2028\n03.01.2028   Выходной\n\n09.01.2027 рабочий\n");
        const ProductionCalendar c = ProductionCalendar::load(dir.path());
        QVERIFY(c.covers(2028));
        QVERIFY(!c.isWorkingDay(QDate(2028, 1, 3)));
        QVERIFY(c.isWorkingDay(QDate(2028, 1, 4)) && !c.isWorkingDay(QDate(2028, 1, 8)));
        QVERIFY(c.isWorkingDay(QDate(2027, 1, 9))); // a Saturday made working
        QVERIFY(!c.isWorkingDay(QDate(2027, 1, 1)));
        for (const char *bad :
             {"01.01.2028 выходной\n31.02.2028 выходной\n", "01.01.2028 выходной\n2028-01-09 рабочий\n",
              "01.01.2028 выходной\n09.01.2028 праздник\n"}) {
            writeFile(dir.file(ProductionCalendar::FileName), bad);
            try {
                ProductionCalendar::load(dir.path());
                QFAIL(bad);
            } catch (const OrvetError &e) {
                QVERIFY2(e.message().contains(QStringLiteral("строка 2")), qPrintable(e.message()));
            }
        }
    }

    // Off, every Monday to Friday gets a trip, holidays too; on, the
    // holidays and moved days off get none and a working Saturday gets one.
    void newWaybillFollowsTheCalendar_data() {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("month");
        QTest::addColumn<QList<int>>("noTrip");
        QTest::addColumn<QList<int>>("trip");
        QTest::addColumn<int>("workingDays");
        QTest::newRow("April 2024") << 2024 << 4 << QList<int>{29, 30} << QList<int>{26, 27} << 21;
        QTest::newRow("May 2024") << 2024 << 5 << QList<int>{1, 9, 10} << QList<int>{2, 8} << 20;
        QTest::newRow("June 2025") << 2025 << 6 << QList<int>{12, 13} << QList<int>{11, 16} << 19;
        QTest::newRow("November 2025") << 2025 << 11 << QList<int>{3, 4} << QList<int>{1, 5} << 19;
        QTest::newRow("January 2026") << 2026 << 1 << QList<int>{1, 2, 5, 9} << QList<int>{12} << 15;
    }

    void newWaybillFollowsTheCalendar() {
        QFETCH(int, year);
        QFETCH(int, month);
        QFETCH(QList<int>, noTrip);
        QFETCH(QList<int>, trip);
        QFETCH(int, workingDays);
        Program p;
        p.setNorm(10, true);
        p.addTrip(QStringLiteral("Офис"), 20);
        p.addReceipt(QDate(year, month, 3), 40);
        QCOMPARE(p.storeNew(year, month), QString());
        p.dm.Orvet().last();
        QVERIFY(!tripsByDay(p).value(noTrip.first()).isEmpty()); // every weekday while off, as always

        CalendarSettings(&p.dm.iniFile()).write(true);
        QCOMPARE(p.storeNew(year, month), QString());
        p.dm.Orvet().last();
        const QMap<int, QString> trips = tripsByDay(p);
        for (int d : noTrip)
            QVERIFY2(trips.value(d).isEmpty(), qPrintable(QString::number(d)));
        for (int d : trip)
            QVERIFY2(!trips.value(d).isEmpty(), qPrintable(QString::number(d)));
        QCOMPARE(trips.size() - trips.values().count(QString()), workingDays);
        QCOMPARE(p.host.messages.filter(QStringLiteral("календаре нет")), QStringList());
    }

    // A year the calendar lacks is said once, and the month is made Monday
    // to Friday all the same.
    void missingYearIsSaidOnce() {
        Program p;
        p.setNorm(10);
        p.addTrip(QStringLiteral("Офис"), 20);
        p.addReceipt(QDate(2029, 6, 3), 40);
        p.addReceipt(QDate(2029, 7, 3), 40);
        CalendarSettings(&p.dm.iniFile()).write(true);
        QCOMPARE(p.storeNew(2029, 6), QString());
        QCOMPARE(p.storeNew(2029, 7), QString());
        const QStringList said = p.host.messages.filter(QStringLiteral("календаре нет 2029 года"));
        QCOMPARE(said.size(), 1);
        QVERIFY(said.first().contains(p.file(ProductionCalendar::FileName)));
        p.dm.Orvet().last();
        QVERIFY(!tripsByDay(p).value(2).isEmpty()); // Monday 2 July 2029
    }

    // December 2024: 22 working days, 22 forms, each the stored day; the
    // numbers are the month's number and the day, the same at each print.
    void dailyFormsOfAStoredMonth() {
        Program p;
        p.setNorm(10);
        p.addTrip(QStringLiteral("Администрация"), 25);
        p.addReceipt(QDate(2024, 12, 2), 40, 2200);
        p.dm.details().setText(WaybillDetails::VidSoobsheniya, QStringLiteral("городское"));
        QCOMPARE(p.storeNew(2024, 12), QString());
        p.dm.Orvet().last();
        QVERIFY(QFile::exists(p.file(DailyPrintCommand::TemplateFile)));

        const PreparedReport report = p.dm.dailyPrintCommand().prepare();
        QCOMPARE(p.host.errors, QStringList());
        QCOMPARE(report.pageCount(), 22);
        const QString pdf = p.file(QStringLiteral("days.pdf"));
        ReportExporter::exportFile(report, pdf, ReportExporter::Format::Pdf);
        const QStringList pages =
            QString::fromUtf8(ExternalReader::run(QStringLiteral("pdftotext"), {pdf, "-"}))
                .split(QLatin1Char('\f'), Qt::SkipEmptyParts);
        QCOMPARE(pages.size(), 22);

        Table &days = p.dm.OrvetSost();
        int page = 0;
        for (int r = 0; r < days.recordCount(); ++r) {
            if (days.valueAt(r, Fields::CEL).toString().isEmpty())
                continue;
            const QString chislo = days.valueAt(r, Fields::CHISLO).toString();
            const QString text = pages.at(page++).simplified();
            for (const QString &e :
                 {QStringLiteral("№ 01/") + chislo, QStringLiteral("%1.12.2024").arg(chislo),
                  days.valueAt(r, Fields::VROUT).toString(),
                  printed(days.valueAt(r, Fields::SPROBS).toDouble()),
                  printed(days.valueAt(r, Fields::SPROBE).toDouble()),
                  printed(days.valueAt(r, Fields::PROB).toDouble()), QStringLiteral("городское")})
                QVERIFY2(text.contains(e), qPrintable(e + QStringLiteral(" not on:\n") + text));
            QCOMPARE(text.contains(QStringLiteral("2200,00")), chislo == QStringLiteral("02"));
        }
        QCOMPARE(page, 22);
        QCOMPARE(pageTexts(p.dm.dailyPrintCommand().prepare(), 3), pageTexts(report, 3));
    }

    // The journal lists the year's waybills with the stored figures; another
    // year's waybill is not in it.
    void journalOfTheYear() {
        Program p;
        p.setNorm(10);
        p.addTrip(QStringLiteral("Офис"), 20);
        p.dm.FS1().setValue(StoredValues::Voditel, QStringLiteral("Петров П.П."));
        for (const auto &[year, month] : {std::pair{2024, 12}, {2025, 1}, {2025, 2}}) {
            p.addReceipt(QDate(year, month, 5), 30);
            QCOMPARE(p.storeNew(year, month), QString());
        }
        p.dm.Orvet().last();
        const PreparedReport report = p.dm.journalCommand().prepare();
        QCOMPARE(p.host.errors, QStringList());
        QCOMPARE(report.title(), QStringLiteral("Журнал учёта движения путевых листов за 2025 год"));
        const QStringList texts = pageTexts(report, 0);
        const QString all = texts.join(QLatin1Char('|'));
        Table &w = p.dm.Orvet();
        double distance = 0;
        for (int r = 1; r <= 2; ++r) {
            const double start = w.valueAt(r, Fields::PROBB).toDouble(),
                         end = w.valueAt(r, Fields::PROBE).toDouble();
            distance += end - start;
            for (const QString &e :
                 {printed(start), printed(end), printed(end - start),
                  QString::number(w.valueAt(r, Fields::SUMLITR).toDouble(), 'f', 2).replace('.', ',')})
                QVERIFY2(texts.contains(e), qPrintable(e + QStringLiteral(" not in ") + all));
        }
        QVERIFY(texts.contains(QStringLiteral("01.02.2025")) && texts.contains(QStringLiteral("28.02.2025")));
        QVERIFY(!texts.contains(QStringLiteral("01.12.2024")));
        QCOMPARE(texts.count(QStringLiteral("Петров П.П.")), 2);
        QVERIFY(texts.contains(printed(distance)));
    }

    void nothingStoredShowsNothing() {
        Program p;
        p.dm.execute(Actions::Orvet_Print_Days);
        p.dm.execute(Actions::Orvet_Journal);
        QCOMPARE(p.host.dialogTitles, QStringList());
        QCOMPARE(p.host.errors, QStringList());
    }
};

QTEST_MAIN(tst_DailyJournal)
#include "tst_daily_journal.moc"
