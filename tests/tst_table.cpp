#include "core/DateText.h"
#include "TableSet.h"

#include "core/OrvetError.h"
#include "data/table/Database.h"
#include "data/table/Table.h"
#include "data/TDM1.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTest>

// The table binding: navigation, insert and delete, filters, locate and
// lookup, the model, and one transaction over the four files.
class TestTable : public QObject {
    Q_OBJECT
private:
    struct Fixture : TableSet {
        void receipt(const QDate &d, double litres, double rub = 0) { receipts.insertRecord({{}, d, litres, rub}); }
    };

private slots:
    void initTestCase() { pinRussianLocale(); }

    void createsFileWithSchemaAndIndex() {
        TestDir dir;
        Database db(dir.path());
        Table days(db, QStringLiteral("OrvetSost.db"), QStringLiteral("OrvetSost"), TDM1::dayRowFields());
        days.setCreateIndexes({QStringLiteral("IDJOIN")});
        QVERIFY(!days.exists());
        days.create();
        days.open();
        QVERIFY(days.exists());
        QSqlQuery q = db.exec(QStringLiteral("SELECT sql FROM main.sqlite_master WHERE type='table'"));
        QVERIFY(q.next());
        QVERIFY(q.value(0).toString().contains(QStringLiteral("\"ID\" INTEGER PRIMARY KEY AUTOINCREMENT")));
        QVERIFY(q.value(0).toString().contains(QStringLiteral("\"CEL\" VARCHAR(32)")));
        q = db.exec(QStringLiteral("SELECT count(*) FROM main.sqlite_master WHERE type='index'"));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toInt(), 1);
        q = db.exec(QStringLiteral("PRAGMA main.journal_mode"));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toString(), QStringLiteral("delete"));
    }

    void navigationInIdOrder() {
        Fixture f;
        QVERIFY(f.receipts.isEmpty());
        QVERIFY(f.receipts.eof());
        f.receipt(QDate(2024, 12, 3), 10);
        f.receipt(QDate(2024, 12, 1), 20);
        f.receipt(QDate(2024, 12, 2), 30);
        QCOMPARE(f.receipts.currentRow(), 2); // the new record is current
        QList<double> seen;
        for (f.receipts.first(); !f.receipts.eof(); f.receipts.next())
            seen << f.receipts.asFloat(QStringLiteral("litrs")); // any letter case
        QCOMPARE(seen, (QList<double>{10, 20, 30}));
        QCOMPARE(f.receipts.currentRow(), 2); // the move past the end stays on the last
        QCOMPARE(f.receipts.asDate(QStringLiteral("DATE")), QDate(2024, 12, 2));
        QVERIFY_THROWS_EXCEPTION(OrvetError, f.receipts.value(QStringLiteral("NOPE")));
    }

    void insertReturnsIncreasingIdsNeverReused() {
        Fixture f;
        const qint64 a = f.trips.insertRecord({{}, QStringLiteral("A"), QStringLiteral("09:00"), QStringLiteral("18:00"), 5});
        const qint64 b = f.trips.insertRecord({{}, QStringLiteral("B"), QStringLiteral("09:00"), QStringLiteral("18:00"), 5});
        QVERIFY(b > a);
        f.trips.deleteCurrent();
        const qint64 c = f.trips.insertRecord({{}, QStringLiteral("C"), QString(), QString(), 1});
        QVERIFY(c > b);
        QCOMPARE(f.trips.asInteger(QStringLiteral("ID")), int(c));
    }

    void stringsAreCutToTheirSize() {
        Fixture f;
        f.trips.insertRecord({{}, QString(40, QChar(u'ж')), QStringLiteral("09:00"), QStringLiteral("18:00"), 1});
        QCOMPARE(f.trips.asString(QStringLiteral("NAME")), QString(32, QChar(u'ж')));
    }

    void deleteMakesNextCurrentThenLast() {
        Fixture f;
        for (int i = 1; i <= 4; ++i)
            f.receipt(QDate(2024, 1, i), i);
        f.receipts.setCurrentRow(1);
        f.receipts.deleteCurrent();
        QCOMPARE(f.receipts.asFloat(QStringLiteral("LITRS")), 3.0);
        f.receipts.last();
        f.receipts.deleteCurrent();
        QCOMPARE(f.receipts.asFloat(QStringLiteral("LITRS")), 3.0);
        QCOMPARE(f.receipts.recordCount(), 2);
    }

    void deletingUnderFilterRemovesExactlyTheFiltered() {
        Fixture f;
        for (int i = 1; i <= 6; ++i)
            f.receipt(QDate(2024, i % 2 ? 1 : 2, i), i);
        f.receipts.setFilter(DateText::periodFilter(QDate(2024, 2, 1), QDate(2024, 2, 29)));
        f.receipts.setFiltered(true);
        f.receipts.first();
        while (!f.receipts.isEmpty())
            f.receipts.deleteCurrent();
        f.receipts.setFiltered(false);
        QCOMPARE(f.receipts.recordCount(), 3);
    }

    void periodFilterIncludesBothEnds() {
        Fixture f;
        f.receipt(QDate(2024, 11, 30), 1);
        f.receipt(QDate(2024, 12, 1), 2);
        f.receipt(QDate(2024, 12, 31), 4);
        f.receipt(QDate(2025, 1, 1), 8);
        const QString text = DateText::periodFilter(QDate(2024, 12, 1), QDate(2024, 12, 31));
        QCOMPARE(text, QStringLiteral("DATE>='01.12.2024' and DATE<='31.12.2024'"));
        f.receipts.setFilter(text);
        f.receipts.setFiltered(true);
        double sum = 0;
        for (f.receipts.first(); !f.receipts.eof(); f.receipts.next())
            sum += f.receipts.asFloat(QStringLiteral("LITRS"));
        QCOMPARE(sum, 6.0);
        QCOMPARE(f.receipts.filter(), text);
        QVERIFY(f.receipts.filtered());
        f.receipts.setFiltered(false);
        QCOMPARE(f.receipts.recordCount(), 4);
        QCOMPARE(f.receipts.filter(), text); // the text stays for a later switch on
    }

    void idJoinFilterAndFilterWhileOff() {
        TestDir dir;
        Database db(dir.path());
        Table days(db, QStringLiteral("OrvetSost.db"), QStringLiteral("OrvetSost"), TDM1::dayRowFields());
        days.create();
        days.open();
        for (int j = 1; j <= 3; ++j)
            for (int d = 1; d <= j; ++d)
                days.insertRecord({{}, j, QStringLiteral("%1").arg(d, 2, 10, QLatin1Char('0'))});
        days.setFilter(QStringLiteral("IDJOIN=2")); // off: nothing changes yet
        QCOMPARE(days.recordCount(), 6);
        days.setFiltered(true);
        QCOMPARE(days.recordCount(), 2);
        days.setFilter(QStringLiteral("IDJOIN=3"));
        QCOMPARE(days.recordCount(), 3);
        // Rows inserted outside the view are stored all the same.
        days.insertRecord({{}, 9, QStringLiteral("01")});
        QCOMPARE(days.recordCount(), 3);
        days.setFiltered(false);
        QCOMPARE(days.recordCount(), 7);
    }

    void badFiltersAreClearErrors_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("unknown field") << QStringLiteral("FOO=1");
        QTest::newRow("no operator") << QStringLiteral("DATE '01.12.2024'");
        QTest::newRow("not a date") << QStringLiteral("DATE>='32.13.2024'");
        QTest::newRow("open quote") << QStringLiteral("DATE>='01.12.2024");
        QTest::newRow("injection") << QStringLiteral("LITRS=1; DROP TABLE Chesks");
        QTest::newRow("not a number") << QStringLiteral("LITRS=abc");
        QTest::newRow("dangling and") << QStringLiteral("LITRS=1 and");
        QTest::newRow("unbalanced") << QStringLiteral("(LITRS=1");
    }

    void badFiltersAreClearErrors() {
        QFETCH(QString, text);
        Fixture f;
        f.receipt(QDate(2024, 1, 1), 1);
        f.receipts.setFiltered(true);
        try {
            f.receipts.setFilter(text);
            QFAIL("no error");
        } catch (const OrvetError &e) {
            QVERIFY(e.message().contains(QStringLiteral("фильтр"), Qt::CaseInsensitive));
        }
        f.receipts.setFiltered(false);
        QCOMPARE(f.receipts.recordCount(), 1); // the table is still there
    }

    void filterForms() {
        Fixture f;
        f.receipt(QDate(2024, 1, 1), 1.5);
        f.receipt(QDate(2024, 1, 2), 2.5);
        f.receipts.setFilter(QStringLiteral("(litrs>2 OR litrs<1) and not DATE<'01.01.2024'"));
        f.receipts.setFiltered(true);
        QCOMPARE(f.receipts.recordCount(), 1);
        f.receipts.setFilter(QStringLiteral("LITRS=1,5"));
        QCOMPARE(f.receipts.recordCount(), 1);
    }

    void emptyFilterShowsEverything() {
        Fixture f;
        f.receipt(QDate(2024, 1, 1), 1);
        f.receipt(QDate(2024, 2, 1), 1);
        f.receipts.setFilter(DateText::periodFilter(QDate(2024, 1, 1), QDate(2024, 1, 31)));
        f.receipts.setFiltered(true);
        QCOMPARE(f.receipts.recordCount(), 1);
        f.receipts.setFilter(QString());
        QCOMPARE(f.receipts.recordCount(), 2);
        QVERIFY(f.receipts.filtered());
    }

    void locateAndLookup() {
        Fixture f;
        f.trips.insertRecord({{}, QStringLiteral("Офис"), QStringLiteral("09:00"), QStringLiteral("18:00"), 10});
        f.trips.insertRecord({{}, QStringLiteral("Склад"), QStringLiteral("09:00"), QStringLiteral("18:00"), 20});
        f.trips.insertRecord({{}, QStringLiteral("Склад"), QStringLiteral("10:00"), QStringLiteral("18:00"), 30});
        QCOMPARE(f.trips.lookup(QStringLiteral("NAME"), QStringLiteral("Склад"), QStringLiteral("PROB")).toDouble(), 20.0);
        QVERIFY(f.trips.lookup(QStringLiteral("NAME"), QStringLiteral("склад"), QStringLiteral("ID")).isNull());
        QVERIFY(f.trips.locate(QStringLiteral("ID"), 1));
        QCOMPARE(f.trips.currentRow(), 0);
        QVERIFY(!f.trips.locate(QStringLiteral("ID"), 99));
        f.receipt(QDate(2024, 3, 1), 1);
        QVERIFY(f.receipts.locate(QStringLiteral("DATE"), QDate(2024, 3, 1)));
    }

    void modelAndCurrentRowSignals() {
        Fixture f;
        QAbstractItemModelTester tester(&f.receipts, QAbstractItemModelTester::FailureReportingMode::QtTest);
        f.receipt(QDate(2024, 1, 5), 12.5);
        QCOMPARE(f.receipts.rowCount(), 1);
        QCOMPARE(f.receipts.data(f.receipts.index(0, 1)).toString(), QStringLiteral("05.01.2024"));
        QCOMPARE(f.receipts.data(f.receipts.index(0, 2)).toString(), QStringLiteral("12,5"));
        QSignalSpy moved(&f.receipts, &Table::currentRowChanged);
        f.receipt(QDate(2024, 1, 6), 1);
        f.receipts.first();
        QVERIFY(!moved.isEmpty());
        moved.clear();
        f.receipts.disableControls();
        f.receipts.last();
        QVERIFY(moved.isEmpty()); // held back
        f.receipts.enableControls();
        QCOMPARE(moved.count(), 1);
    }

    void transactionSpansFiles() {
        Fixture f;
        {
            Transaction t(f.db);
            f.receipt(QDate(2024, 1, 1), 1);
            f.trips.insertRecord({{}, QStringLiteral("A"), QString(), QString(), 1});
            // no commit: both go
        }
        QCOMPARE(f.receipts.recordCount(), 0);
        QCOMPARE(f.trips.recordCount(), 0);
        {
            Transaction t(f.db);
            f.receipt(QDate(2024, 1, 1), 1);
            f.trips.insertRecord({{}, QStringLiteral("A"), QString(), QString(), 1});
            t.commit();
        }
        QCOMPARE(f.receipts.recordCount(), 1);
        QCOMPARE(f.trips.recordCount(), 1);
    }

    void openRejectsForeignFiles() {
        TestDir dir;
        {
            QFile junk(dir.file(QStringLiteral("Chesks.db")));
            QVERIFY(junk.open(QIODevice::WriteOnly));
            junk.write(QByteArray(4096, 'x'));
        }
        Database db(dir.path());
        Table receipts(db, QStringLiteral("Chesks.db"), QStringLiteral("Chesks"), TDM1::receiptFields());
        try {
            receipts.open();
            QFAIL("opened");
        } catch (const OrvetError &e) {
            QVERIFY2(e.message().contains(QStringLiteral("Chesks.db")), qPrintable(e.message()));
        }
        QCOMPARE(QFileInfo(dir.file(QStringLiteral("Chesks.db"))).size(), 4096); // untouched
    }

    void openRejectsMissingColumn() {
        TestDir dir;
        Database db(dir.path());
        Table narrow(db, QStringLiteral("Chesks.db"), QStringLiteral("Chesks"),
                     {{QStringLiteral("ID"), FieldType::AutoInc}, {QStringLiteral("DATE"), FieldType::Date}});
        narrow.create();
        Table receipts(db, QStringLiteral("Chesks.db"), QStringLiteral("Chesks"), TDM1::receiptFields());
        try {
            receipts.open();
            QFAIL("opened");
        } catch (const OrvetError &e) {
            QVERIFY2(e.message().contains(QStringLiteral("LITRS")), qPrintable(e.message()));
        }
    }
};

QTEST_GUILESS_MAIN(TestTable)
#include "tst_table.moc"
