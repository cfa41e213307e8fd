#include "TableSet.h"

#include "data/table/Database.h"
#include "data/table/Table.h"
#include "data/TDM1.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

// The table binding on more rows than it reads at once: values, walks,
// locate and lookup must be the same wherever a row falls, and an insert
// or a deletion must leave the rows already read right.
class TestTablePaging : public QObject {
    Q_OBJECT
private:
    static constexpr int Rows = 300; // several blocks and a part of one

    struct Fixture : TableSet {
        Fixture() {
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

    void valuesAndWalksAcrossBlocks() {
        Fixture f;
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
        Fixture f;
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
        QVERIFY(t.locate(QStringLiteral("ID"), Fixture::idOf(t, 299)));
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
        Fixture f;
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
        Fixture f;
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
        Fixture f;
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
        Fixture f;
        Table &r = f.receipts;
        QCOMPARE(r.recordCount(), Rows);
        const qint64 gone = Fixture::idOf(r, 0) + 100; // row 100, not read yet
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

QTEST_MAIN(TestTablePaging)
#include "tst_table_paging.moc"
