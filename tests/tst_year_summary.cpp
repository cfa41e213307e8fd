#include "Program.h"

#include "ExternalReader.h"
#include "data/commands/YearSummaryCommand.h"
#include "data/waybill/YearSummary.h"
#include "report/ReportExporter.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QTest>

namespace {
// January and February 2025 stored from their receipts, a December 2024
// waybill that belongs to another year, and March with receipts only.
struct Fixture : Program {
    Fixture() {
        setNorm(10);
        addTrip(QStringLiteral("Администрация"), 20);
        addReceipt(QDate(2024, 12, 5), 30, 1500);
        addReceipt(QDate(2025, 1, 10), 40, 2000);
        addReceipt(QDate(2025, 2, 3), 30, 1600);
        addReceipt(QDate(2025, 2, 20), 10, 550);
        addReceipt(QDate(2025, 3, 15), 25, 1400);
        for (const auto &[year, month] : {std::pair{2024, 12}, {2025, 1}, {2025, 2}})
            QCOMPARE(storeNew(year, month), QString());
        dm.Orvet().last(); // the February waybill is the selected one
    }
};
} // namespace

class tst_YearSummary : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { pinRussianLocale(); }

    void monthsOfTheSelectedYear() {
        Fixture p;
        const YearSummary s(p.dm.Orvet(), p.dm.Chesks(), 2025);
        QCOMPARE(s.rows().size(), 12);
        const YearSummary::Row &jan = s.rows().at(0), &feb = s.rows().at(1), &mar = s.rows().at(2);
        Table &w = p.dm.Orvet();
        QCOMPARE(jan.number.toString(), w.valueAt(1, Fields::NUMBL).toString());
        QCOMPARE(jan.startReading.toDouble(), w.valueAt(1, Fields::PROBB).toDouble());
        QCOMPARE(feb.endReading.toDouble(), w.valueAt(2, Fields::PROBE).toDouble());
        // Fitted to the receipts at 10 l per 100 km: about 400 km for 40 l.
        const double distance =
            w.valueAt(1, Fields::PROBE).toDouble() - w.valueAt(1, Fields::PROBB).toDouble();
        QCOMPARE(jan.distance.toDouble(), distance);
        QCOMPARE(jan.litresUsed.toDouble(), w.valueAt(1, Fields::SUMLITR).toDouble());
        QVERIFY(qAbs(distance - 400) <= 20);
        QCOMPARE(jan.norm.toDouble(), 10.0);
        QCOMPARE(feb.receiptLitres, 40.0);
        QCOMPARE(feb.receiptRubles, 2150.0);
        QVERIFY(mar.number.isNull() && mar.distance.isNull());
        QCOMPARE(mar.receiptRubles, 1400.0);
        QCOMPARE(s.totals().receiptLitres, 105.0);
        QCOMPARE(s.totals().distance, distance + feb.distance.toDouble());
        QCOMPARE(s.totals().startReading, jan.startReading);
        QCOMPARE(s.totals().endReading, feb.endReading);
        QCOMPARE(s.totals().norm.toDouble(), 10.0);
    }

    // Printed from its own template beside the tables, which the program
    // writes when missing and never overwrites; exported, the month rows
    // are a table and the year's totals sums of them.
    void printedFromItsOwnTemplate() {
        Fixture p;
        QFile mine(p.file(YearSummaryCommand::TemplateFile));
        QVERIFY(mine.exists());
        const PreparedReport report = p.dm.yearSummaryCommand().prepare();
        QCOMPARE(p.host.errors, QStringList());
        QCOMPARE(report.title(), QStringLiteral("Сводка за 2025 год"));
        QCOMPARE(report.pageCount(), 1);
        const QString xlsx = p.file(QStringLiteral("year.xlsx"));
        ReportExporter::exportFile(report, xlsx, ReportExporter::Format::Xlsx);
        const QJsonObject book = ExternalReader::python(QStringLiteral("xlsx"), xlsx);
        const QJsonObject cells = book.value(QStringLiteral("cells")).toObject();
        const int header = book.value(QStringLiteral("at"))
                               .toObject()
                               .value(QStringLiteral("Месяц"))
                               .toString()
                               .mid(1)
                               .toInt();
        QVERIFY(header > 0);
        const auto value = [&cells](const QString &ref) {
            return cells.value(ref).toObject().value(QStringLiteral("value")).toVariant();
        };
        QCOMPARE(value(QStringLiteral("A%1").arg(header + 1)).toString(), QStringLiteral("Январь"));
        QCOMPARE(value(QStringLiteral("E%1").arg(header + 1)).toDouble(),
                 YearSummary(p.dm.Orvet(), p.dm.Chesks(), 2025).rows().first().distance.toDouble());
        QCOMPARE(value(QStringLiteral("E%1").arg(header + 13)).toString(),
                 QStringLiteral("=SUM(E%1:E%2)").arg(header + 1).arg(header + 12));
        // The year's first reading is no sum of the months' readings.
        QCOMPARE(cells.value(QStringLiteral("C%1").arg(header + 13))
                     .toObject()
                     .value(QStringLiteral("kind"))
                     .toString(),
                 QStringLiteral("number"));
        QCOMPARE(book.value(QStringLiteral("tables")).toObject().begin().value().toString(),
                 QStringLiteral("A%1:I%2").arg(header).arg(header + 12));

        // The user's own template stays as it is, at the next start too.
        QVERIFY(mine.open(QIODevice::WriteOnly));
        mine.write("orvet-report 1\nband title height=5\ntext x=0 y=0 w=50 h=5 | Моя сводка [Year]\n");
        mine.close();
        Program again(p.folder());
        again.dm.Orvet().last();
        const PreparedReport own = again.dm.yearSummaryCommand().prepare();
        QCOMPARE(own.pages().first().items.first().text, QStringLiteral("Моя сводка 2025"));
    }

    void emptyWaybillListShowsNothing() {
        Program p;
        p.dm.execute(Actions::Year_Summary);
        QCOMPARE(p.host.errors, QStringList());
        QCOMPARE(p.host.dialogTitles, QStringList());
    }
};

QTEST_MAIN(tst_YearSummary)
#include "tst_year_summary.moc"
