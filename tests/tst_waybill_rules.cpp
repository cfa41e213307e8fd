// The rules of a new waybill that need no window: the number of the next
// waybill, the generated month, and the in-memory day rows.
#include "core/MemoryData.h"
#include "core/OrvetError.h"
#include "data/waybill/MonthGenerator.h"
#include "data/waybill/Random.h"
#include "data/waybill/TripTypeList.h"
#include "data/waybill/WaybillNumber.h"
#include "data/waybill/WaybillStore.h"
#include "data/waybill/WaybillValues.h"
#include "TableSet.h"

#include <QAbstractItemModelTester>
#include <QLocale>
#include <QSignalSpy>
#include <QTest>

using M = MemoryData;

class TestWaybillRules : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }

    void nextNumber_data();
    void nextNumber();
    void nextNumberOverflow();

    void rowsAddressedByNameAndPosition();
    void rowsModelIsConsistent();
    void rowsSortAndNavigation();
    void rowsHeldDisplay();

    void generateApril();
    void generateAprilWinter();
    void generateCalendar();
    void generateDrawsEveryDay();

    void storingIsOneTransaction();

private:
    static TripTypeList oneTrip() {
        return TripTypeList({{1, QStringLiteral("Офис"), "09:00", "18:00", 20}});
    }
};

void TestWaybillRules::nextNumber_data() {
    QTest::addColumn<QString>("previous");
    QTest::addColumn<QString>("next");
    const char *const pairs[][2] = {{"5", "6"},       {"05", "06"},
                                    {"11", "12"},     {"12", "01"},
                                    {"0", "01"},      {"09", "010"},
                                    {"012", "01"},    {"07/А", "08/А"},
                                    {"12-К", "01-К"}, {"100", "01"},
                                    {"", "01"},       {"А7", "01"},
                                    {"1 ", "2 "},     {"0000000000011", "0000000000012"}};
    for (const auto &p : pairs)
        QTest::newRow(p[0][0] ? p[0] : "empty") << QString::fromUtf8(p[0]) << QString::fromUtf8(p[1]);
}

void TestWaybillRules::nextNumber() {
    QFETCH(QString, previous);
    QFETCH(QString, next);
    QCOMPARE(WaybillNumber::next(previous), next);
}

void TestWaybillRules::nextNumberOverflow() {
    QCOMPARE(WaybillNumber::next(QStringLiteral("2147483647")), QStringLiteral("01"));
    try {
        WaybillNumber::next(QStringLiteral("2147483648/А"));
        QFAIL("no error");
    } catch (const OrvetError &e) {
        QCOMPARE(e.message(), QStringLiteral("'2147483648' is not a valid integer value"));
    }
    QVERIFY_THROWS_EXCEPTION(OrvetError, WaybillNumber::next(QStringLiteral("99999999999999999999999")));
}

void TestWaybillRules::rowsAddressedByNameAndPosition() {
    MemoryData rows;
    rows.insertRecord({7, "03", "Склад", "09:00"});
    QCOMPARE(rows.recordCount(), 1);
    QCOMPARE(rows.currentRow(), 0);
    QCOMPARE(rows.value(QStringLiteral("poezdka")).toString(), QStringLiteral("Склад"));
    QCOMPARE(rows.value(QStringLiteral("ProbOUT")), QVariant());
    QVERIFY(rows.value(QStringLiteral("VRIN")).isNull());
    QVERIFY(rows.value(QStringLiteral("Change")).isNull());
    // Empty numbers read as 0, empty texts as "".
    QCOMPARE(rows.asFloat(M::Prob), 0.0);
    QCOMPARE(rows.asInteger(M::Change), 0);
    QCOMPARE(rows.asString(M::VRIN), QString());

    rows.setValue(QStringLiteral("PROBIN"), 12.5);
    QCOMPARE(rows.asFloat(M::ProbIN), 12.5);
    rows.setValue(QStringLiteral("ProbIn"), QVariant());
    QVERIFY(rows.value(M::ProbIN).isNull());
    QVERIFY_THROWS_EXCEPTION(OrvetError, rows.value(QStringLiteral("Distance")));

    // Texts are cut to the field's size.
    rows.setValue(M::Poezdka, QString(40, QLatin1Char('x')));
    QCOMPARE(rows.asString(M::Poezdka).size(), 32);

    // Numbers in the general form, nulls as empty cells.
    rows.setValue(M::Prob, 20.5);
    QCOMPARE(rows.data(rows.index(0, M::Prob)).toString(), QStringLiteral("20,5"));
    QVERIFY(rows.data(rows.index(0, M::Rashod)).isNull());
}

void TestWaybillRules::rowsModelIsConsistent() {
    MemoryData rows;
    QAbstractItemModelTester tester(&rows, QAbstractItemModelTester::FailureReportingMode::QtTest);
    for (int d = 5; d >= 1; --d)
        rows.insertRecord({d, MonthGenerator::dayText(d), "Trip", "09:00", "18:00", 1.0, 2.0, 1.0, 0.1, 1});
    rows.sortByChislo();
    rows.setValueAt(2, M::Prob, 3.0);
    rows.disableControls();
    rows.setValueAt(4, M::Rashod, QVariant());
    rows.enableControls();
    rows.clear();
    QCOMPARE(rows.rowCount(), 0);
    QCOMPARE(rows.currentRow(), -1);
    QVERIFY(rows.eof());
}

void TestWaybillRules::rowsSortAndNavigation() {
    MemoryData rows;
    for (const char *d : {"10", "02", "31", "01"})
        rows.insertRecord({1, d});
    rows.sortByChislo();
    QStringList order;
    for (rows.first(); !rows.eof(); rows.next())
        order << rows.asString(M::Chislo);
    QCOMPARE(order, QStringList({"01", "02", "10", "31"}));
    // A pass leaves the last row current.
    QCOMPARE(rows.currentRow(), 3);
    rows.setCurrentRow(1);
    QVERIFY(!rows.eof());
    QCOMPARE(rows.asString(M::Chislo), QStringLiteral("02"));
}

void TestWaybillRules::rowsHeldDisplay() {
    MemoryData rows;
    for (int d = 1; d <= 3; ++d)
        rows.insertRecord({1, MonthGenerator::dayText(d)});
    QSignalSpy changed(&rows, &QAbstractItemModel::dataChanged);
    QSignalSpy moved(&rows, &MemoryData::currentRowChanged);
    rows.disableControls();
    rows.disableControls();
    rows.first();
    rows.setValue(M::Prob, 1.0);
    rows.next();
    rows.setValue(M::Prob, 2.0);
    rows.enableControls();
    QCOMPARE(changed.count(), 0);
    QCOMPARE(moved.count(), 0);
    rows.enableControls();
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.first().at(0).toModelIndex().row(), 0);
    QCOMPARE(changed.first().at(1).toModelIndex().row(), 1);
    QCOMPARE(moved.count(), 1);
    QCOMPARE(moved.first().at(0).toInt(), 1);
}

void TestWaybillRules::generateApril() {
    MemoryData rows;
    Random random;
    random.seed(1);
    const int days = MonthGenerator::generate(rows, oneTrip(), 1, random, {2024, 4, 1000, 10, 1.0});
    QCOMPARE(days, 30);
    QCOMPARE(rows.recordCount(), 30);
    QCOMPARE(rows.currentRow(), 0);
    auto check = [&](int day, double out, double in) {
        const int r = day - 1;
        QCOMPARE(rows.stringAt(r, M::Chislo), MonthGenerator::dayText(day));
        QCOMPARE(rows.integerAt(r, M::ID), 1);
        QCOMPARE(rows.stringAt(r, M::Poezdka), QStringLiteral("Офис"));
        QCOMPARE(rows.stringAt(r, M::VROUT), QStringLiteral("09:00"));
        QCOMPARE(rows.stringAt(r, M::VRIN), QStringLiteral("18:00"));
        QCOMPARE(rows.floatAt(r, M::ProbOut), out);
        QCOMPARE(rows.floatAt(r, M::ProbIN), in);
        QCOMPARE(rows.floatAt(r, M::Prob), 20.0);
        QCOMPARE(rows.floatAt(r, M::Rashod), 2.0);
        QCOMPARE(rows.valueAt(r, M::Change), QVariant(1));
    };
    check(1, 1000, 1020);
    check(5, 1080, 1100);
    for (int r : {5, 6}) { // 6 and 7 April: Saturday, Sunday
        QCOMPARE(rows.integerAt(r, M::ID), -1);
        QCOMPARE(rows.stringAt(r, M::Poezdka), QString());
        QVERIFY(rows.valueAt(r, M::Prob).isNull());
        QVERIFY(rows.valueAt(r, M::ProbOut).isNull());
        QVERIFY(rows.valueAt(r, M::Rashod).isNull());
        QVERIFY(rows.valueAt(r, M::Change).isNull());
    }
    check(8, 1100, 1120);
    check(30, 1420, 1440); // 22 working days
}

void TestWaybillRules::generateAprilWinter() {
    MemoryData rows;
    Random random;
    MonthGenerator::generate(rows, oneTrip(), 1, random, {2024, 4, 1000, 10, 1.1});
    for (int r = 0; r < rows.recordCount(); ++r)
        if (rows.integerAt(r, M::ID) > 0)
            QCOMPARE(rows.floatAt(r, M::Rashod), 20 * ((10 * 1.1) / 100));
    QCOMPARE(rows.floatAt(0, M::Rashod), 2.2);
}

void TestWaybillRules::generateCalendar() {
    MemoryData rows;
    Random random;
    QCOMPARE(MonthGenerator::generate(rows, oneTrip(), 1, random, {2024, 2, 0, 10, 1}), 29);
    QCOMPARE(rows.recordCount(), 29);
    QCOMPARE(rows.stringAt(28, M::Chislo), QStringLiteral("29"));
    QCOMPARE(MonthGenerator::generate(rows, oneTrip(), 1, random, {2023, 2, 0, 10, 1}), 28);
    QCOMPARE(MonthGenerator::generate(rows, oneTrip(), 1, random, {2024, 12, 0, 10, 1}), 31);

    MonthGenerator::generate(rows, oneTrip(), 1, random, {2024, 6, 500, 10, 1});
    QCOMPARE(rows.recordCount(), 30);
    QCOMPARE(rows.integerAt(0, M::ID), -1);
    QCOMPARE(rows.integerAt(1, M::ID), -1);
    QCOMPARE(rows.integerAt(2, M::ID), 1); // Monday 3 June starts from the start reading
    QCOMPARE(rows.floatAt(2, M::ProbOut), 500.0);
}

void TestWaybillRules::generateDrawsEveryDay() {
    // The same seed gives the same trips whatever the calendar: one draw per
    // day, days off included.
    const TripTypeList trips(
        {{1, "A", "08:00", "17:00", 10}, {2, "B", "09:00", "18:00", 20}, {3, "C", "", "", 30}});
    MemoryData rows;
    Random a, b;
    a.seed(42);
    b.seed(42);
    MonthGenerator::generate(rows, trips, 3, a, {2024, 6, 0, 10, 1});
    QList<int> drawn;
    for (int d = 0; d < 30; ++d)
        drawn << trips.at(TripTypeList::drawIndex(b.uniform(), 3, 3)).id;
    for (int r = 0; r < rows.recordCount(); ++r)
        if (rows.integerAt(r, M::ID) > 0)
            QCOMPARE(rows.integerAt(r, M::ID), drawn[r]);
}

// A waybill is stored, and replaced, whole or not at all.
void TestWaybillRules::storingIsOneTransaction() {
    TableSet t;
    MemoryData rows;
    Random random;
    MonthGenerator::generate(rows, oneTrip(), 1, random, {2024, 6, 500, 10, 1});
    WaybillHeader header;
    header.number = QStringLiteral("06");
    header.year = 2024;
    header.yearText = QStringLiteral("2024");
    header.month = 6;
    header.monthName = QStringLiteral("Июнь");
    header.startReading = 500;
    header.endReading = 900;
    header.fuel = 40;
    WaybillStore store(t.db, t.waybills, t.days);
    const qint64 oldId = store.store(header, rows, 2500.5);
    QCOMPARE(t.waybills.asString(Fields::MOUNTH), QStringLiteral("Июнь"));
    QCOMPARE(t.waybills.asDate(Fields::DATE), QDate(2024, 6, 1));
    QCOMPARE(t.waybills.asFloat(Fields::SUMRUB), 2500.5);

    // A failure half-way leaves the stored waybill as it was.
    t.db.exec(QStringLiteral("CREATE TRIGGER \"OrvetSost\".\"refuse\" BEFORE INSERT ON \"OrvetSost\" "
                             "WHEN NEW.\"CHISLO\" = '30' BEGIN SELECT RAISE(ABORT, 'disk full'); END"));
    QVERIFY_THROWS_EXCEPTION(OrvetError, store.store(header, rows, 0, oldId));
    QCOMPARE(t.waybills.recordCount(), 1);
    t.days.setFiltered(false);
    QCOMPARE(t.days.recordCount(), 30);
    QVERIFY(t.waybills.locate(Fields::ID, oldId));
    QVERIFY(!t.db.inTransaction());

    t.db.exec(QStringLiteral("DROP TRIGGER \"OrvetSost\".\"refuse\""));
    const qint64 newId = store.store(header, rows, 0, oldId);
    QVERIFY(newId > oldId);
    QCOMPARE(t.waybills.recordCount(), 1);
    t.days.setFiltered(false);
    QCOMPARE(t.days.recordCount(), 30);
    QCOMPARE(t.days.asInteger(Fields::IDJOIN), int(newId));
    QVERIFY(!t.waybills.locate(Fields::ID, oldId));
}

QTEST_GUILESS_MAIN(TestWaybillRules)
#include "tst_waybill_rules.moc"
