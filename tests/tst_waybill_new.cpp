// The new waybill command from its checks to the stored rows.
#include "Program.h"
#include "controls/CalcEdit.h"
#include "core/MemoryData.h"
#include "core/OrvetError.h"
#include "data/commands/WaybillCommands.h"
#include "data/waybill/WaybillRecalc.h"
#include "forms/TOrvet_New_F.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QTest>
#include <cmath>
#include <memory>

using M = MemoryData;

namespace {
// The program on a month of April 2024, winter mode on, 10 l per 100 km.
struct Fixture : Program {
    Fixture() {
        // The fitting may stop short of the litres for some draws; a test
        // that looks at the fitted total needs the same draws every run.
        dm.random().pin(1);
        setNorm(10, true);
        dm.FS1().setValue(StoredValues::StartoviyProbeg, QStringLiteral("12000"));
        setPeriod(2024, 4);
    }
    void addWaybill(const QDate &date, const QString &number, double end) {
        dm.Orvet().insertRecord(
            {QVariant(), date, number, QString::number(date.year()), "", 0.0, end, 0.0, 0.0});
    }
    // The editor as it was shown; confirms it when asked to.
    void expectEditor(bool confirm, const std::function<void(TOrvet_New_F *)> &look = {}) {
        host.expectDialog([confirm, look](QDialog *d) {
            auto *e = qobject_cast<TOrvet_New_F *>(d);
            if (!e)
                return int(QDialog::Rejected);
            if (look)
                look(e);
            if (confirm)
                e->BitBtn1Click();
            else
                e->BitBtn2Click();
            return int(QDialog::Rejected);
        });
    }
    void newWaybill() { dm.execute(Actions::New_Orvet); }
    int waybills() { return dm.Orvet().recordCount(); }
    int dayRows() {
        dm.OrvetSost().setFiltered(false);
        return dm.OrvetSost().recordCount();
    }
};
} // namespace

class TestWaybillNew : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }

    void checksBeforeComposing();
    void firstWaybillAndCancel();
    void okStoresHeaderAndDays();
    void okTwiceStoresTwo();
    void nextMonthContinues();
    void winterWarning();
    void errorsShowNoEditor();
    void storingFailureStoresNothing();
    void recalculationAndMarkingShowTotals();
    void printedFuelAddsUpToTheTotal();
};

void TestWaybillNew::checksBeforeComposing() {
    Fixture f;
    f.newWaybill();
    const QString noTrips =
        QStringLiteral("У Вас нет ни одного типа поездки! \rДобавть несколько типов и только "
                       "после этого продолжайте ...");
    QCOMPARE(f.host.messages, QStringList{noTrips});
    QVERIFY(!f.host.messages.first().contains(QLatin1Char('\n')));

    f.host.messages.clear();
    f.addTrip("A", 20);
    f.addReceipt(QDate(2024, 3, 31), 50, 100);
    f.addReceipt(QDate(2024, 4, 15), 0, 100);
    f.dm.Chesks().setFilter(QStringLiteral("LITRS>1"));
    f.dm.Chesks().setFiltered(true);
    f.newWaybill();
    QCOMPARE(f.host.messages,
             QStringList{QStringLiteral("Не ни одного бензинового чека за выбранный период! \r"
                                        "Добавть несколько чеков и только после этого "
                                        "продолжайте ...")});
    QCOMPARE(f.dm.Chesks().filter(), QStringLiteral("LITRS>1"));
    QVERIFY(f.dm.Chesks().filtered());
    QCOMPARE(f.host.dialogTitles.size(), 0);
    QCOMPARE(f.waybills(), 0);
}

void TestWaybillNew::firstWaybillAndCancel() {
    Fixture f;
    f.addTrip("A", 20);
    f.addReceipt(QDate(2024, 4, 15), 50, 2500);
    f.addWaybill(QDate(2024, 2, 1), "05", 500); // not the month before
    f.expectEditor(false, [&](TOrvet_New_F *e) {
        QCOMPARE(e->windowTitle(), QStringLiteral("Новый Путевой лист "));
        QCOMPARE(e->Edit1->text(), QStringLiteral("01"));
        QCOMPARE(e->Edit2->currentText(), QStringLiteral("Апрель"));
        QCOMPARE(e->Edit3->text(), QStringLiteral("2024"));
        QCOMPARE(e->CalcEdit1->value(), 12000.0);
        QCOMPARE(e->MemoryData1->recordCount(), 30);
        QCOMPARE(e->MemoryData1->currentRow(), 29);
        QCOMPARE(f.dm.editorState().daysInMonth, 30);
        QCOMPARE(f.dm.editorState().tripTypeCount, 1);
        QCOMPARE(f.dm.editorState().startReading, 12000.0);
        // 50 l at 10 l and winter mode: about 454.5 km.
        QVERIFY(WaybillRecalc::totalsMatch(e->CalcEdit3->value(), 50 / (10 * 1.1) * 100));
        QCOMPARE(e->Label9->text(), QStringLiteral("50"));
    });
    f.newWaybill();
    QCOMPARE(f.host.pendingDialogs(), 0);
    QVERIFY(f.host.errors.isEmpty());
    QVERIFY(f.host.messages.isEmpty()); // winter mode is on
    QCOMPARE(f.waybills(), 1);
    QCOMPARE(f.dayRows(), 0);
}

void TestWaybillNew::okStoresHeaderAndDays() {
    Fixture f;
    f.addTrip("A", 20);
    f.addTrip("B", 35.5);
    f.addReceipt(QDate(2024, 4, 1), 30, 1500.5);
    f.addReceipt(QDate(2024, 4, 30), 20, 1000);
    f.addReceipt(QDate(2024, 5, 1), 20, 7777);
    f.addWaybill(QDate(2024, 3, 1), "07/А", 12345.6);
    QList<M::Row> shown;
    f.expectEditor(true, [&](TOrvet_New_F *e) {
        QCOMPARE(e->Edit1->text(), QStringLiteral("08/А"));
        QCOMPARE(e->CalcEdit1->value(), 12345.6);
        e->CalcEdit4->setText(QStringLiteral("123,456")); // read back with two decimals
        for (int r = 0; r < e->MemoryData1->recordCount(); ++r)
            shown.append(e->MemoryData1->rowAt(r));
    });
    f.newWaybill();
    QVERIFY(f.host.errors.isEmpty());
    QCOMPARE(f.waybills(), 2);

    Table &h = f.dm.Orvet();
    h.last();
    const qint64 id = h.value("ID").toLongLong();
    QCOMPARE(h.asDate("DATE"), QDate(2024, 4, 1));
    QCOMPARE(h.asString("NUMBL"), QStringLiteral("08/А"));
    QCOMPARE(h.asString("YEAR"), QStringLiteral("2024"));
    QCOMPARE(h.asString("MOUNTH"), QStringLiteral("Апрель"));
    QCOMPARE(h.asFloat("PROBB"), 12345.6);
    QCOMPARE(h.asFloat("PROBE"), f.editor().CalcEdit2->value());
    QCOMPARE(h.asFloat("PROBE"), 12345.6 + f.editor().CalcEdit3->value());
    QCOMPARE(h.asFloat("SUMRUB"), 2500.5);
    QCOMPARE(h.asFloat("SUMLITR"), 123.46);

    Table &d = f.dm.OrvetSost();
    d.setFilter(QStringLiteral("IDJOIN=") + QString::number(id));
    d.setFiltered(true);
    QCOMPARE(d.recordCount(), 30);
    int r = 0;
    for (d.first(); !d.eof(); d.next(), ++r) {
        const M::Row &row = shown.at(r);
        QCOMPARE(d.asString("CHISLO"), row[M::Chislo].toString());
        QCOMPARE(d.asString("CEL"), row[M::Poezdka].toString());
        QCOMPARE(d.asString("VROUT"), row[M::VROUT].toString());
        QCOMPARE(d.asString("VRIN"), row[M::VRIN].toString());
        // Days off are stored with 0 and empty texts, not with missing values.
        for (const char *field : {"CEL", "VROUT", "VRIN"})
            QVERIFY2(!d.value(field).isNull(), field);
        for (const auto &[field, column] : {std::pair{"SPROBS", M::ProbOut}, std::pair{"SPROBE", M::ProbIN},
                                            std::pair{"PROB", M::Prob}, std::pair{"RASHOD", M::Rashod}}) {
            QVERIFY(!d.value(field).isNull());
            QCOMPARE(d.asFloat(field), row[column].toDouble());
        }
    }
    d.first();
    QCOMPARE(d.asString("CHISLO"), QStringLiteral("01"));
    d.setCurrentRow(5); // Saturday 6 April
    QCOMPARE(d.asString("CEL"), QString());
    QCOMPARE(d.asFloat("PROB"), 0.0);
}

void TestWaybillNew::okTwiceStoresTwo() {
    Fixture f;
    f.addTrip("A", 20);
    f.addReceipt(QDate(2024, 4, 15), 50, 2500);
    f.expectEditor(true);
    f.newWaybill();
    f.expectEditor(true, [&](TOrvet_New_F *e) {
        // The rows of the last waybill were emptied, not added to.
        QCOMPARE(e->MemoryData1->recordCount(), 30);
    });
    f.newWaybill();
    QCOMPARE(f.waybills(), 2);
    QCOMPARE(f.dayRows(), 60);
    f.dm.Orvet().first();
    QCOMPARE(f.dm.Orvet().asString("NUMBL"), QStringLiteral("01"));
    f.dm.Orvet().last();
    QCOMPARE(f.dm.Orvet().asString("NUMBL"), QStringLiteral("01"));
}

void TestWaybillNew::nextMonthContinues() {
    Fixture f;
    f.addTrip("A", 20);
    f.addReceipt(QDate(2024, 4, 15), 50, 2500);
    f.addReceipt(QDate(2024, 5, 15), 40, 2000);
    f.expectEditor(true, [](TOrvet_New_F *e) {
        e->Edit1->setText(QStringLiteral("05"));
        e->CalcEdit2->setText(QStringLiteral("13000,5"));
    });
    f.newWaybill();
    f.setPeriod(2024, 5);
    f.expectEditor(true, [](TOrvet_New_F *e) {
        QCOMPARE(e->Edit1->text(), QStringLiteral("06"));
        QCOMPARE(e->CalcEdit1->value(), 13000.5);
        QCOMPARE(e->MemoryData1->floatAt(0, M::ProbOut), 13000.5);
        QCOMPARE(e->Edit2->currentText(), QStringLiteral("Май"));
    });
    f.newWaybill();
    QVERIFY(f.host.errors.isEmpty());
    QCOMPARE(f.waybills(), 2);
    f.dm.Orvet().last();
    QCOMPARE(f.dm.Orvet().asFloat("PROBB"), 13000.5);
    QCOMPARE(f.dm.Orvet().asString("NUMBL"), QStringLiteral("06"));
}

void TestWaybillNew::winterWarning() {
    Fixture f;
    f.addTrip("A", 20);
    f.addReceipt(QDate(2024, 1, 15), 50, 2500);
    f.addReceipt(QDate(2024, 5, 15), 50, 2500);
    f.dm.FS1().setValue(StoredValues::Winter, false);
    const QString warning = QStringLiteral("В настройках не отмечен зимний режим - проверьте !");
    f.setPeriod(2024, 1);
    f.expectEditor(false, [&](TOrvet_New_F *e) {
        QCOMPARE(f.host.messages, QStringList{warning});
        QCOMPARE(e->MemoryData1->floatAt(1, M::Rashod), e->MemoryData1->floatAt(1, M::Prob) * (10.0 / 100));
    });
    f.newWaybill();
    f.host.messages.clear();
    f.setPeriod(2024, 5);
    f.expectEditor(false);
    f.newWaybill();
    QVERIFY(f.host.messages.isEmpty());
    for (int month = 1; month <= 12; ++month)
        QCOMPARE(WaybillCommands::isWinterMonth(month), month <= 4 || month >= 11);
}

void TestWaybillNew::errorsShowNoEditor() {
    Fixture f;
    f.addTrip("A", 20);
    f.addReceipt(QDate(2024, 4, 15), 50, 2500);
    f.dm.FS1().setValue(StoredValues::Rashodna100km, 0.0);
    f.newWaybill();
    QCOMPARE(f.host.errors, QStringList{QStringLiteral("Floating point division by zero.")});
    QCOMPARE(f.host.dialogTitles.size(), 0);

    // Not a finite number in the settings file: no days of infinite fuel.
    for (const int index : {StoredValues::Rashodna100km, StoredValues::StartoviyProbeg}) {
        f.host.errors.clear();
        f.dm.FS1().setValue(StoredValues::Rashodna100km, 10.0);
        f.dm.FS1().setValue(index, QStringLiteral("inf"));
        f.newWaybill();
        QCOMPARE(f.host.errors, QStringList{QStringLiteral("Invalid variant type conversion.")});
        QCOMPARE(f.waybills(), 0);
    }
    f.dm.FS1().setValue(StoredValues::StartoviyProbeg, QStringLiteral("12000"));

    f.host.errors.clear();
    f.dm.FS1().setValue(StoredValues::Rashodna100km, 10.0);
    f.addWaybill(QDate(2024, 3, 1), "99999999999-К", 1);
    f.newWaybill();
    QCOMPARE(f.host.errors, QStringList{QStringLiteral("'99999999999' is not a valid integer value.")});
    QCOMPARE(f.host.dialogTitles.size(), 0);
    QCOMPARE(f.waybills(), 1);
    QCOMPARE(f.dayRows(), 0);
}

void TestWaybillNew::storingFailureStoresNothing() {
    Fixture f;
    f.addTrip("A", 20);
    f.addReceipt(QDate(2024, 4, 15), 50, 2500);
    f.dm.database().write(
        QStringLiteral("CREATE TRIGGER \"OrvetSost\".\"refuse\" BEFORE INSERT ON \"OrvetSost\" "
                       "WHEN NEW.\"CHISLO\" = '17' BEGIN SELECT RAISE(ABORT, 'disk full'); END"));
    f.expectEditor(true);
    f.newWaybill();
    QCOMPARE(f.host.errors.size(), 1);
    QVERIFY(f.host.errors.first().contains(QStringLiteral("disk full")));
    QCOMPARE(f.waybills(), 0);
    QCOMPARE(f.dayRows(), 0);
    QVERIFY(!f.dm.database().inTransaction());
}

// The commands on the days show what the recalculation left in the editor.
void TestWaybillNew::recalculationAndMarkingShowTotals() {
    Fixture f;
    f.addTrip("A", 20);
    f.addReceipt(QDate(2024, 4, 3), 1); // about 9 km: never reached
    f.expectEditor(false, [&f](TOrvet_New_F *e) {
        MemoryData &rows = *e->MemoryData1;
        QCOMPARE(e->Label9->text(), QStringLiteral("1"));
        QCOMPARE(e->CalcEdit2->value(), 12000 + e->CalcEdit3->value());
        // A start reading typed into the box does not survive a recalculation.
        e->CalcEdit1->setValue(1);
        f.dm.execute(Actions::New_Orvet_Recalk_List);
        QCOMPARE(e->CalcEdit1->value(), 12000.0);
        rows.setCurrentRow(0); // Monday 1 April
        f.dm.execute(Actions::New_Orvet_Mark_HDay);
        QCOMPARE(rows.integerAt(0, M::ID), -1);
        QCOMPARE(rows.currentRow(), 29); // left on the last day
        const double shown = e->CalcEdit3->value();
        QCOMPARE(shown, WaybillRecalc::OrvetSummKM(rows));
        QCOMPARE(e->CalcEdit4->value(), std::round(WaybillRecalc::OrvetSummL(rows) * 100) / 100);
        QCOMPARE(e->CalcEdit2->value(), 12000 + shown);
        // A norm of 0: the marking is posted, the recalculation fails.
        f.setNorm(0, true);
        rows.setCurrentRow(5); // Saturday 6 April
        f.dm.execute(Actions::New_Orvet_Mark_RDay);
        QCOMPARE(rows.integerAt(5, M::ID), 1);
        QCOMPARE(e->CalcEdit3->value(), shown);
    });
    f.newWaybill();
    QCOMPARE(f.host.errors, QStringList{QStringLiteral("Floating point division by zero.")});
}

QTEST_MAIN(TestWaybillNew)
#include "tst_waybill_new.moc"

// The accountant adds up the printed day figures: with a norm of 9,7 l and
// trips of 27,3 and 18,9 km each day's fuel has more than two decimals
// before rounding (2,6481 l), and the month's total must be the sum of the
// hundredths printed, not of the unrounded values.
void TestWaybillNew::printedFuelAddsUpToTheTotal() {
    Fixture f;
    f.setNorm(9.7, true);
    f.addTrip("A", 27.3);
    f.addTrip("B", 18.9);
    f.addReceipt(QDate(2024, 4, 2), 58.37, 3500);
    f.addReceipt(QDate(2024, 4, 20), 52.53, 3150);
    f.expectEditor(true);
    f.newWaybill();
    QVERIFY(f.host.errors.isEmpty());
    Table &h = f.dm.Orvet();
    h.last();
    Table &d = f.dm.OrvetSost();
    d.setFilter(QStringLiteral("IDJOIN=") + h.asString("ID"));
    d.setFiltered(true);
    double printedSum = 0;
    int fractional = 0;
    for (d.first(); !d.eof(); d.next()) {
        const QString printed = QLocale().toString(d.asFloat("RASHOD"), 'f', 2);
        QCOMPARE(QLocale().toString(d.asFloat("RASHOD"), 'f', 6), printed + "0000");
        printedSum += QLocale().toDouble(printed);
        fractional += d.asFloat("RASHOD") != std::floor(d.asFloat("RASHOD")) ? 1 : 0;
    }
    QVERIFY(fractional > 10);
    QCOMPARE(QLocale().toString(h.asFloat("SUMLITR"), 'f', 2), QLocale().toString(printedSum, 'f', 2));
    QCOMPARE(QLocale().toString(h.asFloat("SUMLITR"), 'f', 6),
             QLocale().toString(printedSum, 'f', 2) + "0000");
}
