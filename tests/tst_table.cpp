#include "core/DateText.h"
#include "TableSet.h"

#include "core/OrvetError.h"
#include "data/table/Database.h"
#include "data/table/Table.h"
#include "data/TDM1.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

// The table binding: navigation, insert and delete, filters, locate and
// lookup, the model, one transaction over the four files, and tables of
// more rows than it reads at once.
class TestTable : public QObject {
    Q_OBJECT
private:
    struct Fixture : TableSet {
        void receipt(const QDate &d, double litres, double rub = 0) { receipts.insertRecord({{}, d, litres, rub}); }
    };

    static constexpr int Rows = 300; // several blocks and a part of one

    struct Pages : TableSet {
        Pages() {
            Transaction t(db);
            // Receipt i: dated day i % 28 + 1 of month i % 12 + 1 of 2024, i litres.
            for (int i = 0; i < Rows; ++i)
                receipts.insertRecord(
                    {{}, QDate(2024, i % 12 + 1, i % 28 + 1), double(i), i % 7 == 0 ? QVariant() : 1.5});
            for (int i = 0; i < Rows; ++i)
                trips.insertRecord(
                    {{}, QStringLiteral("Поездка %1").arg(i % 100), QString(), QString(), double(i)});
            t.commit();
        }
        static qint64 idOf(const Table &t, int row) {
            return t.valueAt(row, QStringLiteral("ID")).toLongLong();
        }
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

    // More rows than the binding reads at once: values, walks, locate and
    // lookup are the same wherever a row falls, and an insert or a deletion
    // leaves the rows already read right.
    void valuesAndWalksAcrossBlocks() {
        Pages f;
        Table &r = f.receipts;
        QCOMPARE(r.recordCount(), Rows);
        // Read from the far end first, then from the start: each row is its own.
        for (int row : {Rows - 1, 0, 64, 63, 128, 200, 65})
            QCOMPARE(r.valueAt(row, QStringLiteral("LITRS")).toDouble(), double(row));
        QCOMPARE(r.data(r.index(Rows - 1, 2)).toString(), QString::number(Rows - 1));
        QVERIFY(r.data(r.index(7, 3)).isNull()); // a null stays null
        int n = 0;
        qint64 last = 0;
        for (r.first(); !r.eof(); r.next(), ++n) {
            QCOMPARE(r.asFloat(QStringLiteral("LITRS")), double(n));
            QVERIFY(r.asInteger(QStringLiteral("ID")) > last);
            last = r.asInteger(QStringLiteral("ID"));
        }
        QCOMPARE(n, Rows);

        // Filtered: March 2024 holds receipts 2, 14, 26, ...
        r.setFilter(QStringLiteral("DATE>='01.03.2024' and DATE<='31.03.2024'"));
        r.setFiltered(true);
        QCOMPARE(r.recordCount(), Rows / 12);
        for (int row = 0; row < r.recordCount(); ++row)
            QCOMPARE(r.valueAt(row, QStringLiteral("LITRS")).toDouble(), double(2 + 12 * row));
    }

    void locateAndLookupFindTheFirstMatch() {
        Pages f;
        Table &t = f.trips;
        // Nothing read but the first rows: the match lies far beyond them.
        QCOMPARE(t.valueAt(0, QStringLiteral("PROB")).toDouble(), 0.0);
        QVERIFY(t.locate(QStringLiteral("PROB"), 250.0));
        QCOMPARE(t.currentRow(), 250);
        // Names repeat every 100 rows: the first in ID order wins.
        QVERIFY(t.locate(QStringLiteral("NAME"), QStringLiteral("Поездка 42")));
        QCOMPARE(t.currentRow(), 42);
        QCOMPARE(
            t.lookup(QStringLiteral("NAME"), QStringLiteral("Поездка 99"), QStringLiteral("PROB")).toDouble(),
            99.0);
        QVERIFY(
            t.lookup(QStringLiteral("NAME"), QStringLiteral("поездка 99"), QStringLiteral("ID")).isNull());
        QVERIFY(!t.locate(QStringLiteral("NAME"), QStringLiteral("Поездка")));
        QCOMPARE(t.currentRow(), 42); // a miss leaves the record where it was
        QVERIFY(t.locate(QStringLiteral("ID"), Pages::idOf(t, 299)));
        QCOMPARE(t.currentRow(), 299);

        Table &r = f.receipts;
        QVERIFY(r.locate(QStringLiteral("DATE"), QDate(2024, 12, 12)));
        QCOMPARE(r.asFloat(QStringLiteral("LITRS")), 11.0);
        QVERIFY(r.locate(QStringLiteral("DATE"), QStringLiteral("05.05.2024"))); // as text in the short form
        QCOMPARE(r.asFloat(QStringLiteral("LITRS")), 4.0);
        QVERIFY(r.locate(QStringLiteral("SUMRUB"), QVariant()));
        QCOMPARE(r.asFloat(QStringLiteral("LITRS")), 0.0);
        QVERIFY(!r.locate(QStringLiteral("DATE"), QStringLiteral("not a date")));

        // Under a filter only the filtered rows count.
        r.setFilter(QStringLiteral("LITRS>=100"));
        r.setFiltered(true);
        QVERIFY(r.locate(QStringLiteral("DATE"), QDate(2024, 12, 12)));
        QCOMPARE(r.asFloat(QStringLiteral("LITRS")), 179.0); // 11 + 2 * 84, the first from 100 on
        QVERIFY(!r.locate(QStringLiteral("LITRS"), 5.0));

        // All rows read: the same answers from the rows at hand.
        for (int row = 0; row < t.recordCount(); ++row)
            t.valueAt(row, QStringLiteral("ID"));
        QVERIFY(t.locate(QStringLiteral("NAME"), QStringLiteral("Поездка 7")));
        QCOMPARE(t.currentRow(), 7);
    }

    void insertAndDeleteKeepTheRowsRead() {
        Pages f;
        Table &r = f.receipts;
        QAbstractItemModelTester tester(&r, QAbstractItemModelTester::FailureReportingMode::QtTest);
        r.setFilter(QStringLiteral("LITRS>=290"));
        r.setFiltered(true);
        QCOMPARE(r.recordCount(), 10);
        r.last();
        QSignalSpy moved(&r, &Table::currentRowChanged);

        // Inside the filter: it joins the rows and becomes current.
        const qint64 id = r.insertRecord({{}, QDate(2025, 1, 1), 1000.0, 1.0});
        QCOMPARE(r.recordCount(), 11);
        QCOMPARE(r.currentRow(), 10);
        QCOMPARE(r.asInteger(QStringLiteral("ID")), id);
        QCOMPARE(r.asFloat(QStringLiteral("LITRS")), 1000.0);
        QVERIFY(!r.eof());
        QVERIFY(!moved.isEmpty());

        // Outside it: not shown, and the first record is current.
        r.insertRecord({{}, QDate(2025, 1, 2), 1.0, 1.0});
        QCOMPARE(r.recordCount(), 11);
        QCOMPARE(r.currentRow(), 0);
        QCOMPARE(r.asFloat(QStringLiteral("LITRS")), 290.0);

        // Deleting the first row: the rest move up, the next is current.
        r.deleteCurrent();
        QCOMPARE(r.recordCount(), 10);
        QCOMPARE(r.asFloat(QStringLiteral("LITRS")), 291.0);
        for (int row = 0; row < 9; ++row)
            QCOMPARE(r.valueAt(row, QStringLiteral("LITRS")).toDouble(), 291.0 + row);
        QCOMPARE(r.valueAt(9, QStringLiteral("LITRS")).toDouble(), 1000.0);
        r.last();
        r.deleteCurrent(); // the last one: the new last is current
        QCOMPARE(r.currentRow(), 8);
        QCOMPARE(r.asFloat(QStringLiteral("LITRS")), 299.0);

        // Held back: the grids hear of it once, when the hold ends.
        QSignalSpy reset(&r, &QAbstractItemModel::modelReset);
        r.disableControls();
        r.insertRecord({{}, QDate(2025, 1, 3), 2000.0, 1.0});
        r.first();
        r.deleteCurrent();
        QVERIFY(reset.isEmpty());
        r.enableControls();
        QCOMPARE(reset.count(), 1);
        QCOMPARE(r.recordCount(), 9);
        QCOMPARE(r.valueAt(8, QStringLiteral("LITRS")).toDouble(), 2000.0);

        // What the file holds agrees with what the table shows.
        r.setFiltered(false);
        QCOMPARE(r.recordCount(), Rows + 3 - 3);
    }

    // A grid that opens on a large table reads the count and the first
    // rows' IDs only; whatever looks further reads the rest, and nothing
    // seen through the model or the commands differs.
    void aGridFirstReadsOnlyTheFirstRows() {
        Pages f;
        auto reopened = [&f](auto body) {
            Database db(f.dir.path());
            Table t(db, QStringLiteral("Chesks.db"), QStringLiteral("Chesks"), TDM1::receiptFields());
            t.open();
            QAbstractItemModelTester tester(&t, QAbstractItemModelTester::FailureReportingMode::QtTest);
            body(t);
        };
        reopened([](Table &t) {
            QCOMPARE(t.rowCount(), Rows);
            QCOMPARE(t.currentRow(), 0);
            QCOMPARE(t.data(t.index(5, 2)).toString(), QStringLiteral("5"));
            QCOMPARE(t.data(t.index(Rows - 1, 2)).toString(), QString::number(Rows - 1)); // past them
            QCOMPARE(t.data(t.index(Rows, 2)), QVariant());
            QCOMPARE(t.recordCount(), Rows);
        });
        reopened([](Table &t) {
            QCOMPARE(t.rowCount(), Rows);
            const qint64 id = t.insertRecord({{}, QDate(2025, 1, 1), 1000.0, 1.0});
            QCOMPARE(t.rowCount(), Rows + 1);
            QCOMPARE(t.currentRow(), Rows);
            QCOMPARE(t.asInteger(QStringLiteral("ID")), id);
            t.deleteCurrent();
            QCOMPARE(t.rowCount(), Rows);
        });
        reopened([](Table &t) {
            QCOMPARE(t.rowCount(), Rows);
            t.setCurrentRow(200);
            QCOMPARE(t.asFloat(QStringLiteral("LITRS")), 200.0);
            t.first();
            t.deleteCurrent(); // from the first rows read
            QCOMPARE(t.rowCount(), Rows - 1);
            QCOMPARE(t.asFloat(QStringLiteral("LITRS")), 1.0);
            QVERIFY(t.locate(QStringLiteral("LITRS"), 250.0));
            QCOMPARE(t.currentRow(), 249);
        });
        reopened([](Table &t) {
            // A filter that keeps many rows starts the same way.
            t.setFilter(QStringLiteral("LITRS>=10"));
            t.setFiltered(true);
            QCOMPARE(t.rowCount(), Rows - 1 - 9);
            QCOMPARE(t.data(t.index(0, 2)).toString(), QStringLiteral("10"));
            int n = 0;
            for (t.first(); !t.eof(); t.next(), ++n)
                QCOMPARE(t.asFloat(QStringLiteral("LITRS")), 10.0 + n);
            QCOMPARE(n, Rows - 1 - 9);
        });
    }

    void rolledBackRowsGoAway() {
        Pages f;
        Table &t = f.trips;
        t.last();
        {
            Transaction tr(f.db);
            t.insertRecord({{}, QStringLiteral("временная"), QString(), QString(), 1.0});
            QCOMPARE(t.recordCount(), Rows + 1);
            t.first();
            t.deleteCurrent();
        }
        QCOMPARE(t.recordCount(), Rows);
        QCOMPARE(t.valueAt(0, QStringLiteral("PROB")).toDouble(), 0.0);
        QVERIFY(t.lookup(QStringLiteral("NAME"), QStringLiteral("временная"), QStringLiteral("ID")).isNull());
    }

    // Another program deletes rows between the reading of the IDs and of the
    // rows themselves: the rows keep their places and the gone ones are empty.
    void rowsGoneMeanwhileStayInPlace() {
        Pages f;
        Table &r = f.receipts;
        QCOMPARE(r.recordCount(), Rows);
        const qint64 gone = Pages::idOf(r, 0) + 100; // row 100, not read yet
        {
            QSqlDatabase other =
                QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
            other.setDatabaseName(f.dir.file(QStringLiteral("Chesks.db")));
            QVERIFY(other.open());
            QSqlQuery q(other);
            QVERIFY(q.exec(QStringLiteral("DELETE FROM \"Chesks\" WHERE \"ID\" = %1").arg(gone)));
            other.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("other"));
        QCOMPARE(r.valueAt(99, QStringLiteral("LITRS")).toDouble(), 99.0);
        QCOMPARE(r.valueAt(100, QStringLiteral("ID")).toLongLong(), gone);
        QVERIFY(r.valueAt(100, QStringLiteral("LITRS")).isNull());
        QCOMPARE(r.valueAt(101, QStringLiteral("LITRS")).toDouble(), 101.0);
    }
};

QTEST_GUILESS_MAIN(TestTable)
#include "tst_table.moc"
