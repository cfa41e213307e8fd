#include "Program.h"

#include "controls/CalcEdit.h"
#include "controls/DateEdit.h"
#include "controls/DBGrid.h"
#include "controls/TimeEdit.h"
#include "data/TDM1.h"
#include "forms/TChesk_New_F.h"
#include "forms/TPoezd_New_F.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {
// The program with its two entry dialogs.
struct Fixture : Program {
    TChesk_New_F &chesk = receipt();
    TPoezd_New_F &poezd = tripType();

    // Every receipt listed, whatever its date, until a test sets a period.
    Fixture() { dm.Chesks().setFiltered(false); }
    void addTrip(const QString &name) { Program::addTrip(name, 10, QStringLiteral("08:00"), QStringLiteral("17:00")); }
    void showPeriod(const QDate &from, const QDate &to) {
        dm.setPeriod(from, to);
        dm.execute(Actions::FillExec);
    }
};

// Test macros return from the function they are in, so a script's checks
// live in a void body. The script answers `result` whatever happened: the
// commands must decide by their accepted flag alone.
template <class Dialog>
ScriptedDialogHost::DialogScript script(std::function<void(Dialog *)> body, int result = QDialog::Rejected) {
    return [body, result](QDialog *d) {
        body(qobject_cast<Dialog *>(d));
        return result;
    };
}
auto cheskScript(std::function<void(TChesk_New_F *)> body, int result = QDialog::Rejected) {
    return script<TChesk_New_F>(std::move(body), result);
}
auto poezdScript(std::function<void(TPoezd_New_F *)> body, int result = QDialog::Rejected) {
    return script<TPoezd_New_F>(std::move(body), result);
}

void showActive(QWidget *w) {
    w->show();
    QApplication::setActiveWindow(w);
    QVERIFY(QTest::qWaitForWindowActive(w));
}

QStringList tripNames(Table &t) {
    QStringList names;
    for (int row = 0; row < t.recordCount(); ++row)
        names.append(t.valueAt(row, QStringLiteral("NAME")).toString());
    return names;
}

QList<double> receiptLitres(Table &t) {
    QList<double> litres;
    for (int row = 0; row < t.recordCount(); ++row)
        litres.append(t.valueAt(row, QStringLiteral("LITRS")).toDouble());
    return litres;
}

enum class Leave { CancelButton, Esc, CloseBox, AcceptedResultOnly };
} // namespace

Q_DECLARE_METATYPE(Leave)

class TestReferences : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }

    void receiptOkStoresWhatWasEntered();
    void receiptOkRightAwayStoresTodayAndZeros();
    void receiptLeftWithoutOkStoresNothing_data();
    void receiptLeftWithoutOkStoresNothing();
    void receiptEnterPressesOk();
    void receiptTableErrorIsShown();
    void deleteReceiptAsksFirst();
    void deleteReceiptTakesTheOneSelectedInThePeriod();
    void deleteReceiptWithNothingListedAsksNothing();

    void tripOkStoresWhatWasEntered();
    void tripOkRightAwayStoresDefaults();
    void tripLeftWithoutOkStoresNothing_data();
    void tripLeftWithoutOkStoresNothing();
    void tripLongNameIsCut();
    void tripIncompleteTimeIsRefused();
    void deleteTrip();

    void controlsAreNamedAndLabelled();
};

void TestReferences::receiptOkStoresWhatWasEntered() {
    Fixture fx;
    fx.showPeriod(QDate(2024, 12, 1), QDate(2024, 12, 31));
    fx.addReceipt(QDate(2024, 12, 2), 10, 500);
    ScriptedDialogHost host;
    host.expectDialog(cheskScript([](TChesk_New_F *f) {
        f->DateEdit1->setDate(QDate(2024, 12, 5));
        f->CalcEdit1->setValue(40.5);
        f->CalcEdit2->setValue(2150.75);
        f->BitBtn1->click();
    }));
    fx.dm.execute(QStringLiteral("Enter_chesk"));
    QCOMPARE(host.dialogTitles, QStringList{QStringLiteral("Введение нового чека")});
    QVERIFY(host.errors.isEmpty());
    Table &t = fx.dm.Chesks();
    QCOMPARE(t.recordCount(), 2);
    // The new receipt is current: the grid shows it as its last row.
    QCOMPARE(t.currentRow(), 1);
    QCOMPARE(t.asDate(QStringLiteral("DATE")), QDate(2024, 12, 5));
    QCOMPARE(t.asFloat(QStringLiteral("LITRS")), 40.5);
    QCOMPARE(t.asFloat(QStringLiteral("SUMRUB")), 2150.75);
    QVERIFY(fx.dm.action(QStringLiteral("Enter_chesk"))->isEnabled());
}

void TestReferences::receiptOkRightAwayStoresTodayAndZeros() {
    Fixture fx;
    ScriptedDialogHost host;
    // What a cancelled entry leaves in the boxes must not reach the next one.
    host.expectDialog(cheskScript([](TChesk_New_F *f) {
        f->DateEdit1->setDate(QDate(2020, 1, 1));
        f->CalcEdit1->setValue(7);
        f->CalcEdit2->setValue(8);
        f->BitBtn2->click();
    }));
    host.expectDialog(cheskScript([](TChesk_New_F *f) {
        QCOMPARE(f->focusWidget(), f->DateEdit1);
        f->BitBtn1->click();
    }));
    const QDate before = QDate::currentDate();
    fx.dm.execute(QStringLiteral("Enter_chesk"));
    fx.dm.execute(QStringLiteral("Enter_chesk"));
    Table &t = fx.dm.Chesks();
    QCOMPARE(t.recordCount(), 1);
    // Today, whichever side of midnight the entry fell on.
    const QDate stored = t.asDate(QStringLiteral("DATE"));
    QVERIFY2(stored == before || stored == QDate::currentDate(), qPrintable(stored.toString()));
    QCOMPARE(t.asFloat(QStringLiteral("LITRS")), 0.0);
    QCOMPARE(t.asFloat(QStringLiteral("SUMRUB")), 0.0);
}

void TestReferences::receiptLeftWithoutOkStoresNothing_data() {
    QTest::addColumn<Leave>("leave");
    QTest::newRow("cancel") << Leave::CancelButton;
    QTest::newRow("esc") << Leave::Esc;
    QTest::newRow("close box") << Leave::CloseBox;
    QTest::newRow("accepted result, no Ok") << Leave::AcceptedResultOnly;
}

void TestReferences::receiptLeftWithoutOkStoresNothing() {
    QFETCH(Leave, leave);
    Fixture fx;
    ScriptedDialogHost host;
    // An accepted entry first, so that a flag left set would show.
    host.expectDialog(cheskScript([](TChesk_New_F *f) { f->BitBtn1->click(); }));
    host.expectDialog(cheskScript(
        [leave](TChesk_New_F *f) {
            showActive(f);
            f->CalcEdit1->setValue(30);
            f->CalcEdit2->setValue(1500);
            if (leave == Leave::CancelButton)
                f->BitBtn2->click();
            else if (leave == Leave::Esc)
                QTest::keyClick(f->CalcEdit2, Qt::Key_Escape);
            else if (leave == Leave::CloseBox)
                f->close();
            else
                f->hide();
            QVERIFY(!f->isVisible());
        },
        leave == Leave::AcceptedResultOnly ? QDialog::Accepted : QDialog::Rejected));
    fx.dm.execute(QStringLiteral("Enter_chesk"));
    fx.dm.execute(QStringLiteral("Enter_chesk"));
    QCOMPARE(host.pendingDialogs(), 0);
    QCOMPARE(receiptLitres(fx.dm.Chesks()), QList<double>{0.0});
}

void TestReferences::receiptEnterPressesOk() {
    Fixture fx;
    ScriptedDialogHost host;
    host.expectDialog(cheskScript([](TChesk_New_F *f) {
        showActive(f);
        f->CalcEdit1->setFocus();
        QTest::keyClicks(f->CalcEdit1, QStringLiteral("25"));
        QTest::keyClick(f->CalcEdit1, Qt::Key_Return);
        QVERIFY(!f->isVisible());
    }));
    fx.dm.execute(QStringLiteral("Enter_chesk"));
    QCOMPARE(receiptLitres(fx.dm.Chesks()), QList<double>{25.0});
}

void TestReferences::receiptTableErrorIsShown() {
    Fixture fx;
    fx.dm.Chesks().close();
    ScriptedDialogHost host;
    host.expectDialog(cheskScript([](TChesk_New_F *f) { f->BitBtn1->click(); }));
    fx.dm.execute(QStringLiteral("Enter_chesk"));
    QCOMPARE(host.errors.size(), 1);
    fx.dm.Chesks().open();
    QVERIFY(fx.dm.Chesks().isEmpty());
}

void TestReferences::deleteReceiptAsksFirst() {
    Fixture fx;
    fx.addReceipt(QDate(2024, 12, 3), 20, 1000);
    ScriptedDialogHost host;
    host.answerConfirm(false);
    fx.dm.execute(QStringLiteral("Delete_chesk"));
    QCOMPARE(host.questions, QStringList{QStringLiteral("Вы действительно отите удалить чек?")});
    QCOMPARE(fx.dm.Chesks().recordCount(), 1);
    host.answerConfirm(true);
    fx.dm.execute(QStringLiteral("Delete_chesk"));
    QCOMPARE(host.questions.size(), 2);
    QVERIFY(fx.dm.Chesks().isEmpty());
}

void TestReferences::deleteReceiptTakesTheOneSelectedInThePeriod() {
    Fixture fx;
    fx.addReceipt(QDate(2024, 11, 20), 11, 0);
    fx.addReceipt(QDate(2024, 12, 1), 12, 0);
    fx.addReceipt(QDate(2024, 11, 25), 13, 0);
    fx.addReceipt(QDate(2024, 12, 15), 14, 0);
    fx.addReceipt(QDate(2024, 12, 31), 15, 0);
    fx.showPeriod(QDate(2024, 12, 1), QDate(2024, 12, 31));
    DBGrid grid;
    grid.setRows(&fx.dm.Chesks());
    QCOMPARE(grid.model()->rowCount(), 3);
    grid.setCurrentIndex(grid.model()->index(1, 0)); // the receipt of 15 December

    ScriptedDialogHost host;
    host.answerConfirm(true);
    fx.dm.execute(QStringLiteral("Delete_chesk"));
    QCOMPARE(receiptLitres(fx.dm.Chesks()), (QList<double>{12, 15}));
    fx.dm.Chesks().setFiltered(false);
    QCOMPARE(receiptLitres(fx.dm.Chesks()), (QList<double>{11, 12, 13, 15}));
}

void TestReferences::deleteReceiptWithNothingListedAsksNothing() {
    Fixture fx;
    ScriptedDialogHost host;
    fx.dm.execute(QStringLiteral("Delete_chesk"));
    fx.addReceipt(QDate(2024, 11, 20), 11, 0);
    fx.showPeriod(QDate(2024, 12, 1), QDate(2024, 12, 31));
    fx.dm.execute(QStringLiteral("Delete_chesk"));
    QVERIFY(host.questions.isEmpty());
    QVERIFY(host.errors.isEmpty());
    fx.dm.Chesks().setFiltered(false);
    QCOMPARE(fx.dm.Chesks().recordCount(), 1);
}

void TestReferences::tripOkStoresWhatWasEntered() {
    Fixture fx;
    fx.addTrip(QStringLiteral("Склад"));
    ScriptedDialogHost host;
    host.expectDialog(poezdScript([](TPoezd_New_F *f) {
        QCOMPARE(f->focusWidget(), f->Edit1);
        f->Edit1->setText(QStringLiteral("Налоговая инспекция"));
        f->MaskEdit1->setText(QStringLiteral("10:30"));
        f->MaskEdit2->setText(QStringLiteral("16:45"));
        f->CalcEdit1->setValue(37.5);
        f->BitBtn1->click();
    }));
    fx.dm.execute(QStringLiteral("NamePoezd_new"));
    QCOMPARE(host.dialogTitles, QStringList{QStringLiteral("Новый тип поездки")});
    Table &t = fx.dm.LPoezd();
    QCOMPARE(t.recordCount(), 2);
    QCOMPARE(t.currentRow(), 1);
    QCOMPARE(t.asString(QStringLiteral("NAME")), QStringLiteral("Налоговая инспекция"));
    QCOMPARE(t.asString(QStringLiteral("TOUT")), QStringLiteral("10:30"));
    QCOMPARE(t.asString(QStringLiteral("TIN")), QStringLiteral("16:45"));
    QCOMPARE(t.asFloat(QStringLiteral("PROB")), 37.5);
}

void TestReferences::tripOkRightAwayStoresDefaults() {
    Fixture fx;
    ScriptedDialogHost host;
    host.expectDialog(poezdScript([](TPoezd_New_F *f) {
        f->Edit1->setText(QStringLiteral("Отменённая"));
        f->MaskEdit1->setText(QStringLiteral("07:15"));
        f->CalcEdit1->setValue(99);
        f->close();
    }));
    host.expectDialog(poezdScript([](TPoezd_New_F *f) { f->BitBtn1->click(); }));
    fx.dm.execute(QStringLiteral("NamePoezd_new"));
    fx.dm.execute(QStringLiteral("NamePoezd_new"));
    Table &t = fx.dm.LPoezd();
    QCOMPARE(t.recordCount(), 1);
    QCOMPARE(t.asString(QStringLiteral("NAME")), QString());
    QCOMPARE(t.asString(QStringLiteral("TOUT")), QStringLiteral("09:00"));
    QCOMPARE(t.asString(QStringLiteral("TIN")), QStringLiteral("18:00"));
    QCOMPARE(t.asFloat(QStringLiteral("PROB")), 0.0);
}

void TestReferences::tripLeftWithoutOkStoresNothing_data() {
    receiptLeftWithoutOkStoresNothing_data();
}

void TestReferences::tripLeftWithoutOkStoresNothing() {
    QFETCH(Leave, leave);
    Fixture fx;
    ScriptedDialogHost host;
    host.expectDialog(poezdScript([](TPoezd_New_F *f) {
        f->Edit1->setText(QStringLiteral("Первая"));
        f->BitBtn1->click();
    }));
    host.expectDialog(poezdScript(
        [leave](TPoezd_New_F *f) {
            showActive(f);
            QTest::keyClicks(f->Edit1, QStringLiteral("Vtoraya"));
            if (leave == Leave::CancelButton)
                f->BitBtn2->click();
            else if (leave == Leave::Esc)
                QTest::keyClick(f->Edit1, Qt::Key_Escape);
            else if (leave == Leave::CloseBox)
                f->close();
            else
                f->hide();
            QVERIFY(!f->isVisible());
        },
        leave == Leave::AcceptedResultOnly ? QDialog::Accepted : QDialog::Rejected));
    fx.dm.execute(QStringLiteral("NamePoezd_new"));
    fx.dm.execute(QStringLiteral("NamePoezd_new"));
    QCOMPARE(host.pendingDialogs(), 0);
    QCOMPARE(tripNames(fx.dm.LPoezd()), QStringList{QStringLiteral("Первая")});
}

void TestReferences::tripLongNameIsCut() {
    Fixture fx;
    const QString name = QStringLiteral("Поездка в областную администрацию"); // 33 characters
    const QString forty = name + QStringLiteral(" и обра");
    QCOMPARE(forty.size(), 40);
    ScriptedDialogHost host;
    host.expectDialog(poezdScript([forty](TPoezd_New_F *f) {
        f->Edit1->setText(forty);
        f->BitBtn1->click();
    }));
    fx.dm.execute(QStringLiteral("NamePoezd_new"));
    QCOMPARE(tripNames(fx.dm.LPoezd()), QStringList{forty.left(32)});
}

void TestReferences::tripIncompleteTimeIsRefused() {
    Fixture fx;
    ScriptedDialogHost host;
    bool refusedOnClick = false, refusedOnEnter = false;
    host.expectDialog(poezdScript([&](TPoezd_New_F *f) {
        showActive(f);
        f->MaskEdit2->setFocus();
        f->MaskEdit2->selectAll();
        QTest::keyClick(f->MaskEdit2, Qt::Key_Delete);
        QTest::keyClicks(f->MaskEdit2, QStringLiteral("17"));
        QVERIFY(!f->MaskEdit2->isComplete());

        f->BitBtn1->click();
        refusedOnClick = f->isVisible() && host.errors.size() == 1;
        QTest::keyClick(f->MaskEdit2, Qt::Key_Return);
        refusedOnEnter = f->isVisible() && host.errors.size() == 2;

        QTest::keyClicks(f->MaskEdit2, QStringLiteral("30"));
        QCOMPARE(f->MaskEdit2->text(), QStringLiteral("17:30"));
        f->BitBtn1->click();
        QVERIFY(!f->isVisible());
    }));
    fx.dm.execute(QStringLiteral("NamePoezd_new"));
    QVERIFY(refusedOnClick);
    QVERIFY(refusedOnEnter);
    QCOMPARE(host.errors.first(), TimeEdit::invalidInputText() + QLatin1Char('.'));
    Table &t = fx.dm.LPoezd();
    QCOMPARE(t.recordCount(), 1);
    QCOMPARE(t.asString(QStringLiteral("TOUT")), QStringLiteral("09:00"));
    QCOMPARE(t.asString(QStringLiteral("TIN")), QStringLiteral("17:30"));
}

void TestReferences::deleteTrip() {
    Fixture fx;
    ScriptedDialogHost host;
    fx.dm.execute(QStringLiteral("NamePoezd_Del"));
    QVERIFY(host.questions.isEmpty());

    fx.addTrip(QStringLiteral("Склад"));
    fx.addTrip(QStringLiteral("Банк"));
    fx.addTrip(QStringLiteral("Почта"));
    fx.dm.LPoezd().setCurrentRow(1);
    host.answerConfirm(false);
    fx.dm.execute(QStringLiteral("NamePoezd_Del"));
    QCOMPARE(host.questions, QStringList{QStringLiteral("Вы действительно отите удалить запись о поездке?")});
    QCOMPARE(fx.dm.LPoezd().recordCount(), 3);
    host.answerConfirm(true);
    fx.dm.execute(QStringLiteral("NamePoezd_Del"));
    QCOMPARE(tripNames(fx.dm.LPoezd()), (QStringList{QStringLiteral("Склад"), QStringLiteral("Почта")}));
}

void TestReferences::controlsAreNamedAndLabelled() {
    Fixture fx;
    const QList<QDialog *> dialogs = {&fx.chesk, &fx.poezd};
    const QList<QStringList> labelTexts = {{"Дата", "Литров", "Денег"},
                                           {"Название", "Время выезда", "Время прибытия", "Пробег"}};
    for (int i = 0; i < dialogs.size(); ++i) {
        QDialog *d = dialogs[i];
        QStringList texts;
        for (QLabel *l : d->findChildren<QLabel *>()) {
            texts.append(l->text());
            QVERIFY2(l->buddy(), qPrintable(l->text()));
            QCOMPARE(l->buddy()->accessibleName(), l->text());
            QVERIFY(l->geometry().right() < l->buddy()->geometry().left());
        }
        QCOMPARE(texts, labelTexts[i]);
        auto *ok = d->findChild<QPushButton *>(QStringLiteral("BitBtn1"));
        auto *cancel = d->findChild<QPushButton *>(QStringLiteral("BitBtn2"));
        QVERIFY(ok && cancel);
        QCOMPARE(ok->text(), QStringLiteral("&Ok"));
        QCOMPARE(cancel->text(), QStringLiteral("&Cancel"));
        QVERIFY(ok->isDefault() && !cancel->isDefault());
        QVERIFY(cancel->y() > ok->y());
        QCOMPARE(cancel->x(), ok->x());
    }
    QVERIFY(fx.chesk.findChild<DateEdit *>(QStringLiteral("DateEdit1")));
    QVERIFY(fx.chesk.findChild<CalcEdit *>(QStringLiteral("CalcEdit2")));
    QVERIFY(fx.poezd.findChild<TimeEdit *>(QStringLiteral("MaskEdit2")));
    QVERIFY(fx.poezd.findChild<CalcEdit *>(QStringLiteral("CalcEdit1")));
    QCOMPARE(fx.chesk.DateEdit1->width(), fx.chesk.CalcEdit2->width());
    QCOMPARE(fx.poezd.Edit1->width(), fx.poezd.MaskEdit1->width());
}

QTEST_MAIN(TestReferences)
#include "tst_references.moc"
