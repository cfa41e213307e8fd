#include "Program.h"
#include "TestDir.h"

#include "controls/CalcEdit.h"
#include "controls/DBGrid.h"
#include "controls/TFillComboBox.h"
#include "controls/TimeEdit.h"
#include "core/MemoryData.h"
#include "data/TDM1.h"
#include "forms/TOrvet_New_Day_N_F.h"
#include "forms/TOrvet_New_F.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using M = MemoryData;

// The day editor: what it shows, the live fuel and return reading, and what
// OK and Cancel do to the day and the month.
class TestDayEditor : public QObject {
    Q_OBJECT
private:
    static constexpr double Sentinel = 12345; // a total no recalculation would leave

    struct Fixture : Program {
        MemoryData *rows = nullptr;
        qint64 office = 0;

        Fixture() {
            dm.FS1().setValue(StoredValues::Rashodna100km, 10.0);
            dm.FS1().setValue(StoredValues::Winter, false);
            dm.random().seed(11);
            office = trip(QStringLiteral("Офис"));
            trip(QStringLiteral("офис"));
            trip(QStringLiteral("Склад"));
            trip(QStringLiteral("Аэропорт"));
            dm.Chesks().insertRecord({{}, QDate(2023, 2, 10), 30.0, 1500.0});
            composeFebruary();
        }
        ~Fixture() {
        }
        qint64 trip(const QString &name) {
            return dm.LPoezd().insertRecord(
                {{}, name, QStringLiteral("09:00"), QStringLiteral("18:00"), 20.0});
        }
        // February 2023 in the editor: weekdays "Офис", 20 km, chained from
        // 1000; weekends off; no day the fitting may change.
        void composeFebruary() {
            EditorState &s = dm.editorState();
            s.startReading = 1000;
            s.daysInMonth = 28;
            s.tripTypeCount = 4;
            editor().setMonth(2);
            editor().Edit3->setText(QStringLiteral("2023"));
            rows = editor().MemoryData1;
            rows->clear();
            double reading = 1000;
            for (int d = 1; d <= 28; ++d) {
                const QString chislo = QStringLiteral("%1").arg(d, 2, 10, QLatin1Char('0'));
                if (QDate(2023, 2, d).dayOfWeek() >= 6) {
                    rows->insertRecord({-1, chislo});
                    continue;
                }
                rows->insertRecord({office, chislo, QStringLiteral("Офис"), QStringLiteral("09:00"),
                                    QStringLiteral("18:00"), reading, reading + 20, 20.0, 2.0, 0});
                reading += 20;
            }
            rows->sortByChislo();
            editor().CalcEdit3->setValue(Sentinel);
        }
        // Opens the day editor on a row; `inside` works the shown dialog.
        void edit(int row, const std::function<void(TOrvet_New_Day_N_F *)> &inside) {
            rows->setCurrentRow(row);
            host.expectDialog([inside](QDialog *d) {
                auto *f = static_cast<TOrvet_New_Day_N_F *>(d);
                f->show();
                if (!QTest::qWaitForWindowExposed(f))
                    qWarning("day editor not exposed");
                inside(f);
                f->hide();
                return f->result();
            });
            dm.execute(QStringLiteral("New_Orvet_Day_Edit"));
        }
    };

    static void typeDistance(TOrvet_New_Day_N_F *f, const QString &text) {
        f->CalcEdit1->setFocus();
        f->CalcEdit1->selectAll();
        QTest::keyClick(f->CalcEdit1, Qt::Key_Delete);
        QTest::keyClicks(f->CalcEdit1, text);
    }

private slots:
    void initTestCase() { pinRussianLocale(); }

    void layout() {
        TOrvet_New_Day_N_F f(nullptr);
        QCOMPARE(f.objectName(), QStringLiteral("Orvet_New_Day_N_F"));
        QVERIFY(!f.Edit1->isEnabled());
        QVERIFY(!f.CalcEdit2->isEnabled());
        QCOMPARE(f.CheckBox1->text(), QStringLiteral("Можно изменять"));
        QCOMPARE(f.CalcEdit1->decimals(), 0);
        QCOMPARE(f.CalcEdit1->displayFormat(), QStringLiteral("#0."));
        QCOMPARE(f.CalcEdit2->displayFormat(), QStringLiteral("#0.##"));
        QCOMPARE(f.Panel1->frameShadow(), QFrame::Sunken);
        QCOMPARE(f.Panel2->frameShadow(), QFrame::Sunken);
        QVERIFY(f.BitBtn1->isDefault());
        QVERIFY(f.FillComboBox1->isEditable());
        const QStringList labels{"Число",     "Поездка",        "Время выезда",     "Время приезда",
                                 "Дистанция", "Ресход бензина", "Пробег на начало", "Пробег на конец"};
        const QList<QWidget *> fields{f.Edit1,     f.FillComboBox1, f.MaskEdit1, f.MaskEdit2,
                                      f.CalcEdit1, f.CalcEdit2,     f.Panel1,    f.Panel2};
        for (int i = 0; i < labels.size(); ++i)
            QCOMPARE(fields[i]->accessibleName(), labels[i]);
        QVERIFY(f.width() >= 387 && f.height() >= 158);
        QCOMPARE(f.minimumSize(), f.maximumSize());

        // Tab order among the controls that take the focus.
        f.show();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        f.CheckBox1->setFocus();
        QList<QWidget *> order{f.CheckBox1};
        for (int i = 0; i < 6; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            order.append(QApplication::focusWidget());
        }
        QCOMPARE(order[1], static_cast<QWidget *>(f.FillComboBox1));
        QCOMPARE(order[2], static_cast<QWidget *>(f.MaskEdit1));
        QCOMPARE(order[3], static_cast<QWidget *>(f.MaskEdit2));
        QCOMPARE(order[4], static_cast<QWidget *>(f.CalcEdit1));
        QCOMPARE(order[5], static_cast<QWidget *>(f.BitBtn1));
        QCOMPARE(order[6], static_cast<QWidget *>(f.BitBtn2));
    }

    void showsTheDay() {
        Fixture f;
        f.rows->setValueAt(2, M::Change, 1);
        f.rows->setValueAt(2, M::Rashod, 2.37);
        bool ticked = false;
        QStringList items;
        f.edit(2, [&](TOrvet_New_Day_N_F *d) {
            QCOMPARE(d->windowTitle(), QStringLiteral("Редактирование дня в путевом листе..."));
            ticked = d->CheckBox1->isChecked();
            for (int i = 0; i < d->FillComboBox1->count(); ++i)
                items.append(d->FillComboBox1->itemText(i));
            QCOMPARE(d->Edit1->text(), QStringLiteral("03"));
            QCOMPARE(d->FillComboBox1->currentText(), QStringLiteral("Офис"));
            QCOMPARE(d->MaskEdit1->text(), QStringLiteral("09:00"));
            QCOMPARE(d->Panel1->text(), QStringLiteral("1040"));
            QCOMPARE(d->Panel2->text(), QStringLiteral("1060"));
            QCOMPARE(d->CalcEdit1->text(), QStringLiteral("20"));
            // The stored fuel, not the one worked out from the distance.
            QCOMPARE(d->CalcEdit2->text(), QStringLiteral("2,37"));
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(d->FillComboBox1));
            d->BitBtn2->click();
        });
        QVERIFY(ticked);
        QCOMPARE(items, (QStringList{"Офис", "Склад", "Аэропорт"}));

        // The list is read again at every opening; an empty Change leaves the box clear.
        f.trip(QStringLiteral("Гараж"));
        f.rows->setValueAt(2, M::Change, QVariant());
        f.edit(2, [&](TOrvet_New_Day_N_F *d) {
            ticked = d->CheckBox1->isChecked();
            items.clear();
            for (int i = 0; i < d->FillComboBox1->count(); ++i)
                items.append(d->FillComboBox1->itemText(i));
            d->BitBtn2->click();
        });
        QVERIFY(!ticked);
        QCOMPARE(items.size(), 4);
        QVERIFY(f.host.errors.isEmpty());
    }

    void dayOffDoesNothing() {
        Fixture f;
        const M::Row before = f.rows->rowAt(3);
        f.rows->setCurrentRow(3);
        f.dm.execute(QStringLiteral("New_Orvet_Day_Edit"));
        QVERIFY(f.host.dialogTitles.isEmpty());
        QVERIFY(f.rows->rowAt(3) == before);
    }

    void liveFuelAndReturnReading() {
        Fixture f;
        QString fuel, back, winterFuel, clearedFuel, clearedBack;
        f.edit(0, [&](TOrvet_New_Day_N_F *d) {
            typeDistance(d, QStringLiteral("25"));
            fuel = d->CalcEdit2->text();
            back = d->Panel2->text();
            f.dm.FS1().setValue(StoredValues::Winter, true);
            typeDistance(d, QStringLiteral("25"));
            winterFuel = d->CalcEdit2->text();
            typeDistance(d, QString());
            clearedFuel = d->CalcEdit2->text();
            clearedBack = d->Panel2->text();
            d->BitBtn2->click();
        });
        QCOMPARE(fuel, QStringLiteral("2,5"));
        QCOMPARE(back, QStringLiteral("1025"));
        QCOMPARE(winterFuel, QStringLiteral("2,75"));
        QCOMPARE(clearedFuel, QString());
        QCOMPARE(clearedBack, QStringLiteral("1000"));
    }

    void okWithTripOnlyRecalculatesNothing() {
        Fixture f;
        f.rows->setValueAt(1, M::Prob, 20.4); // shown as 20, kept as it is
        QString completed;
        f.edit(1, [&](TOrvet_New_Day_N_F *d) {
            d->FillComboBox1->lineEdit()->setFocus();
            d->FillComboBox1->lineEdit()->selectAll();
            // keyClicks knows only Latin-1; the letters go as text.
            for (const QChar c : QStringLiteral("ск"))
                QTest::sendKeyEvent(QTest::Click, d->FillComboBox1, Qt::Key_unknown, QString(c),
                                    Qt::NoModifier);
            completed = d->FillComboBox1->currentText();
            d->MaskEdit1->setFocus();
            d->MaskEdit1->selectAll();
            QTest::keyClicks(d->MaskEdit1, QStringLiteral("0745"));
            d->CheckBox1->setChecked(true);
            d->BitBtn1->click();
        });
        QCOMPARE(completed, QStringLiteral("Склад"));
        QCOMPARE(f.rows->stringAt(1, M::Poezdka), QStringLiteral("Склад"));
        QCOMPARE(f.rows->stringAt(1, M::VROUT), QStringLiteral("07:45"));
        QCOMPARE(f.rows->stringAt(1, M::VRIN), QStringLiteral("18:00"));
        QCOMPARE(f.rows->integerAt(1, M::Change), 1);
        QCOMPARE(f.rows->integerAt(1, M::ID), int(f.office));
        QCOMPARE(f.rows->floatAt(1, M::Prob), 20.4);
        QCOMPARE(f.rows->floatAt(1, M::Rashod), 2.0);
        QCOMPARE(f.editor().CalcEdit3->value(), Sentinel);
        QVERIFY(f.host.errors.isEmpty());
    }

    void okWithNewDistanceWritesItAndRecalculates() {
        Fixture f;
        // Days of trip types since deleted: the fitting picks none of them,
        // so the fuel below is the one the day editor wrote.
        for (int r = 0; r < f.rows->recordCount(); ++r)
            if (f.rows->integerAt(r, M::ID) > 0)
                f.rows->setValueAt(r, M::ID, 0);
        f.edit(2, [&](TOrvet_New_Day_N_F *d) {
            typeDistance(d, QStringLiteral("45"));
            d->CheckBox1->setChecked(false);
            d->BitBtn1->click();
        });
        QVERIFY2(f.host.errors.isEmpty(), qPrintable(f.host.errors.join(' ')));
        QCOMPARE(f.rows->floatAt(2, M::Prob), 45.0);
        QCOMPARE(f.rows->floatAt(2, M::Rashod), 4.5);
        QCOMPARE(f.rows->integerAt(2, M::Change), 0);
        // The recalculation chained the month again and wrote the totals.
        QCOMPARE(f.rows->floatAt(2, M::ProbIN), 1085.0);
        QCOMPARE(f.rows->floatAt(5, M::ProbOut), 1085.0);
        QCOMPARE(f.editor().CalcEdit3->value(), 20 * 20.0 + 25);
        QCOMPARE(f.editor().CalcEdit4->value(), 19 * 2.0 + 4.5);
    }

    void cancelChangesNothing() {
        Fixture f;
        f.rows->setValueAt(4, M::Change, 1);
        const M::Row before = f.rows->rowAt(4);
        f.edit(4, [&](TOrvet_New_Day_N_F *d) {
            d->FillComboBox1->setEditText(QStringLiteral("Куда-то"));
            d->MaskEdit2->setText(QStringLiteral("23:59"));
            typeDistance(d, QStringLiteral("99"));
            d->CheckBox1->setChecked(false);
            d->BitBtn2->click();
        });
        QVERIFY(f.rows->rowAt(4) == before);
        QCOMPARE(f.editor().CalcEdit3->value(), Sentinel);
    }

    void incompleteTimeIsRefused() {
        Fixture f;
        int firstTry = -1;
        f.edit(0, [&](TOrvet_New_Day_N_F *d) {
            d->MaskEdit2->setFocus();
            d->MaskEdit2->selectAll();
            QTest::keyClicks(d->MaskEdit2, QStringLiteral("1"));
            d->BitBtn1->click();
            firstTry = d->isVisible() ? -1 : d->result();
            QTest::keyClicks(d->MaskEdit2, QStringLiteral("930"));
            d->BitBtn1->click();
        });
        QCOMPARE(firstTry, -1); // still open
        QCOMPARE(f.host.errors, QStringList{DialogHost::errorText(TimeEdit::invalidInputText())});
        QCOMPARE(f.rows->stringAt(0, M::VRIN), QStringLiteral("19:30"));
    }

    void doubleClickOnTheGridOpensTheDay() {
        Fixture f;
        f.editor().show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.editor()));
        DBGrid *grid = f.editor().DBGrid1;
        auto doubleClick = [grid](int row) {
            const QRect cell = grid->visualRect(grid->cell(row, M::Poezdka));
            QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        };
        QString shown;
        f.host.expectDialog([&shown](QDialog *d) {
            shown = static_cast<TOrvet_New_Day_N_F *>(d)->Edit1->text();
            return int(QDialog::Rejected);
        });
        grid->setCurrentIndex(grid->cell(6, M::Poezdka));
        doubleClick(6);
        QCOMPARE(shown, QStringLiteral("07"));
        grid->setCurrentIndex(grid->cell(4, M::Poezdka));
        doubleClick(4); // a Sunday
        QCOMPARE(f.host.dialogTitles.size(), 1);
        f.editor().hide();
    }
};

QTEST_MAIN(TestDayEditor)
#include "tst_dayeditor.moc"
