#include "Program.h"
#include "TestDir.h"

#include "app/LeanStyle.h"
#include "app/TMainForm.h"
#include "app/ToolkitTexts.h"
#include "controls/DBGrid.h"
#include "controls/UpDown.h"
#include "core/MemoryData.h"
#include "data/TDM1.h"
#include "forms/TChesk_New_F.h"
#include "forms/TOptions_F.h"
#include "forms/TOrvet_New_Day_N_F.h"
#include "forms/TOrvet_New_F.h"
#include "forms/TPoezd_New_F.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QFile>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOptionButton>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

// The main window: the period, the receipt filter, the keys of the lists,
// and its placement kept in the settings file.
class TestMainForm : public QObject {
    Q_OBJECT
private:
    struct Fixture : Program {
        explicit Fixture(const QString &folder = QString()) : Program(folder) {
            for (const QString &n : {Actions::Enter_chesk, Actions::Delete_chesk, Actions::NamePoezd_new,
                                     Actions::NamePoezd_Del, Actions::New_Orvet})
                dm.actions().setHandler(n, [this, n] { ran << n; });
        }
        TMainForm &form = mainForm;
        QStringList ran;

        QString period() const {
            return form.DateEdit1->date().toString(QStringLiteral("dd.MM.yyyy")) + QStringLiteral("-") +
                   form.DateEdit2->date().toString(QStringLiteral("dd.MM.yyyy"));
        }
    };

private slots:
    void initTestCase() { pinRussianLocale(); }

    void activationSetsPreviousMonth_data() {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QString>("period");
        QTest::newRow("mid January") << QDate(2025, 1, 15) << QStringLiteral("01.12.2024-31.12.2024");
        QTest::newRow("31 March leap") << QDate(2024, 3, 31) << QStringLiteral("01.02.2024-29.02.2024");
        QTest::newRow("31 March") << QDate(2025, 3, 31) << QStringLiteral("01.02.2025-28.02.2025");
        QTest::newRow("1 December") << QDate(2025, 12, 1) << QStringLiteral("01.11.2025-30.11.2025");
    }

    void activationSetsPreviousMonth() {
        QFETCH(QDate, today);
        QFETCH(QString, period);
        Fixture f;
        f.form.FormActivate(today);
        QCOMPARE(f.period(), period);
        QCOMPARE(f.dm.periodFrom(), f.form.DateEdit1->date());
        QCOMPARE(f.dm.periodTo(), f.form.DateEdit2->date());
    }

    void receiptListFollowsThePeriod() {
        Fixture f;
        for (const QDate &d :
             {QDate(2024, 11, 30), QDate(2024, 12, 1), QDate(2024, 12, 31), QDate(2025, 1, 1)})
            f.dm.Chesks().insertRecord({{}, d, 10.0, 500.0});
        f.form.FormActivate(QDate(2025, 1, 15));
        QCOMPARE(f.dm.Chesks().filter(), QStringLiteral("DATE>='01.12.2024' and DATE<='31.12.2024'"));
        QVERIFY(f.dm.Chesks().filtered());
        QCOMPARE(f.form.DBGrid2->model()->rowCount(), 2);
        f.form.UpDown1->stepUp();
        QCOMPARE(f.form.DBGrid2->model()->rowCount(), 1);
        QCOMPARE(f.form.DBGrid1->rows(), &f.dm.Orvet()); // waybills are never filtered
        // A new activation puts the period back.
        f.form.FormActivate(QDate(2025, 1, 15));
        QCOMPARE(f.form.DBGrid2->model()->rowCount(), 2);
    }

    void upDownMovesWholeMonths() {
        Fixture f;
        f.form.FormActivate(QDate(2025, 1, 15));
        f.form.UpDown1->stepUp();
        QCOMPARE(f.period(), QStringLiteral("01.01.2025-31.01.2025"));
        f.form.FormActivate(QDate(2024, 4, 2));
        QCOMPARE(f.period(), QStringLiteral("01.03.2024-31.03.2024"));
        f.form.UpDown1->stepDown();
        QCOMPARE(f.period(), QStringLiteral("01.02.2024-29.02.2024"));
        f.form.UpDown1->stepUp();
        f.form.UpDown1->stepUp();
        QCOMPARE(f.period(), QStringLiteral("01.04.2024-30.04.2024"));
    }

    void upDownStopsAtItsBounds() {
        Fixture f;
        f.form.FormActivate(QDate(2025, 1, 15));
        for (int i = 0; i < 500; ++i)
            f.form.UpDown1->stepDown();
        QCOMPARE(f.form.UpDown1->position(), 0);
        const QString low = f.period();
        QCOMPARE(low, QStringLiteral("01.04.1983-30.04.1983"));
        f.form.UpDown1->stepDown();
        QCOMPARE(f.period(), low);
        for (int i = 0; i < 1000; ++i)
            f.form.UpDown1->stepUp();
        QCOMPARE(f.form.UpDown1->position(), 1000);
        const QString high = f.period();
        f.form.UpDown1->stepUp();
        QCOMPARE(f.period(), high);
    }

    void keysOfTheLists() {
        Fixture f;
        f.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.form));
        auto press = [&](QWidget *w, Qt::Key key) {
            f.ran.clear();
            QTest::keyClick(w, key);
            return f.ran;
        };
        QCOMPARE(press(f.form.DBGrid1, Qt::Key_Insert), QStringList{"Enter_chesk"});
        QCOMPARE(press(f.form.DBGrid1, Qt::Key_Delete), QStringList{});
        QCOMPARE(press(f.form.DateEdit1, Qt::Key_Insert), QStringList{"Enter_chesk"});
        QCOMPARE(press(f.form.DateEdit2, Qt::Key_Insert), QStringList{"Enter_chesk"});
        QCOMPARE(press(f.form.DBGrid2, Qt::Key_Insert), QStringList{"Enter_chesk"});
        QCOMPARE(press(f.form.DBGrid2, Qt::Key_Delete), QStringList{"Delete_chesk"});
        QCOMPARE(press(f.form.DBGrid3, Qt::Key_Insert), QStringList{"NamePoezd_new"});
        QCOMPARE(press(f.form.DBGrid3, Qt::Key_Delete), QStringList{"NamePoezd_Del"});
        QCOMPARE(press(f.form.DBGrid3, Qt::Key_A), QStringList{});
        f.form.close();
    }

    void periodFieldsAreReadOnly() {
        Fixture f;
        f.form.FormActivate(QDate(2025, 1, 15));
        QVERIFY(f.form.DateEdit1->isReadOnly());
        QVERIFY(!f.form.DateEdit1->calendarPopup());
        QTest::keyClicks(f.form.DateEdit1, QStringLiteral("0101"));
        QCOMPARE(f.period(), QStringLiteral("01.12.2024-31.12.2024"));
    }

    void menuAndToolBar() {
        Fixture f;
        const QList<QAction *> top = f.form.menuBar()->actions();
        QCOMPARE(top.size(), 3);
        QCOMPARE(top[0]->text(), QStringLiteral("Работа"));
        QCOMPARE(top[1]->text(), QStringLiteral("Настройки"));
        QCOMPARE(top[2]->text(), QStringLiteral("Версия 2.1"));
        QStringList items;
        for (QAction *a : top[0]->menu()->actions())
            items << (a->isSeparator() ? QStringLiteral("-") : a->text());
        QCOMPARE(items,
                 (QStringList{"Новый путевой лист", "Редактировать путевой лист", "Удалить путевой лист", "-",
                              "Ввести чек", "Удалить чек", "-", "Новый тип поездки", "Удалить поездку",
                              // the program's own items first, the added commands after them
                              "-", "Восстановить из резервной копии…", "Загрузить чеки из файла…",
                              "Сводка за год…", "Путевые листы по дням…", "Журнал путевых листов…",
                              "Ведомость расхода топлива…"}));
        top[0]->menu()->actions()[0]->trigger();
        QCOMPARE(f.ran, QStringList{"New_Orvet"});
    }

    // F10 takes the keyboard to the menu bar: "Работа" must look selected,
    // or the user cannot see that the next keys go to the menu.
    void menuKeyMarksTheFirstMenu() {
        QApplication::setStyle(
            new LeanStyle(QStyleFactory::create(QStringLiteral("Fusion")))); // as main() does
        Fixture f;
        f.form.show();
        QApplication::setActiveWindow(&f.form);
        QVERIFY(QTest::qWaitForWindowActive(&f.form));
        QMenuBar *bar = f.form.menuBar();
        const QRect work = bar->actionGeometry(bar->actions().constFirst());
        const QImage before = bar->grab(work).toImage();
        QTest::keyClick(&f.form, Qt::Key_F10);
        QTRY_VERIFY(bar->hasFocus());
        QVERIFY(!bar->actions().constFirst()->menu()->isVisible()); // marked, not opened
        const QImage after = bar->grab(work).toImage();
        int changed = 0;
        for (int y = 0; y < after.height(); ++y)
            for (int x = 0; x < after.width(); ++x)
                changed += before.pixel(x, y) != after.pixel(x, y) ? 1 : 0;
        QVERIFY2(changed > after.width() * after.height() / 4, qPrintable(QString::number(changed)));
        QTest::keyClick(bar, Qt::Key_Escape);
    }

    // The settings open with the focus on «Зимний режим»: its focus mark is
    // drawn from the first moment, or a typed space flips it unseen.
    void dialogsShowTheirFocusMark() {
        Fixture f;
        f.form.show();
        TOptions_F options(&f.form);
        options.show();
        QApplication::setActiveWindow(&options);
        QVERIFY(QTest::qWaitForWindowActive(&options));
        QTRY_VERIFY(QApplication::focusWidget() == options.CheckBox1);
        QStyleOptionButton look;
        QTRY_VERIFY((look.initFrom(options.CheckBox1), look.state & QStyle::State_KeyboardFocusChange));
        QVERIFY(look.state & QStyle::State_HasFocus);
    }

    void gridCurrentRowIsTheTablesRecord() {
        Fixture f;
        for (int i = 0; i < 3; ++i)
            f.dm.LPoezd().insertRecord({{}, QStringLiteral("T%1").arg(i), QString(), QString(), i});
        f.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.form));
        f.dm.LPoezd().first();
        QCOMPARE(f.form.DBGrid3->currentIndex().row(), 0);
        f.form.DBGrid3->setFocus();
        QTest::keyClick(f.form.DBGrid3, Qt::Key_Down);
        QCOMPARE(f.dm.LPoezd().currentRow(), 1);
        QCOMPARE(f.dm.LPoezd().asString(QStringLiteral("NAME")), QStringLiteral("T1"));
        f.dm.LPoezd().last();
        QCOMPARE(f.form.DBGrid3->currentIndex().row(), 2);
        f.form.close();
    }

    void placementIsSavedAtCloseAndRestored() {
        TestDir dir;
        {
            Fixture f(dir.path());
            f.form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&f.form));
            f.form.setGeometry(40, 30, 800, 500); // the client area, as the file keeps it
            f.form.setPanel1Width(260);
            f.form.setGroupBox1Height(150);
            QCOMPARE(f.form.panel1Width(), 260);
            f.form.close();
            QVERIFY(f.host.errors.isEmpty());
        }
        IniFile ini(dir.ini());
        QCOMPARE(ini.readString(QStringLiteral("MainF"), QStringLiteral("NormPos"), QString()),
                 QStringLiteral("40,30,840,530"));
        QCOMPARE(ini.readInteger(QStringLiteral("MainF"), QStringLiteral("Panel1_Width"), 0), 260);
        QCOMPARE(ini.readInteger(QStringLiteral("MainF"), QStringLiteral("GroupBox1_Height"), 0), 150);
        Fixture f(dir.path());
        f.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.form));
        QCOMPARE(f.form.geometry(), QRect(40, 30, 800, 500));
        QCOMPARE(f.form.panel1Width(), 260);
        QCOMPARE(f.form.groupBox1Height(), 150);
        f.form.close();
    }

    // With the system's font (wider than the one the windows were drawn for)
    // each list still shows the figures it exists to show, and the editor
    // its fuel, without scrolling.
    void listsShowTheirFiguresWithTheSystemFont() {
        Fixture f;
        QVERIFY(QFontMetrics(QApplication::font()).horizontalAdvance(QStringLiteral("09:00")) > 30);
        const QDate day = QDate::currentDate().addMonths(-1);
        f.dm.Chesks().insertRecord({{}, day, 41.38, 2227.75});
        f.dm.LPoezd().insertRecord(
            {{}, QStringLiteral("Офис - склад"), QStringLiteral("09:00"), QStringLiteral("18:00"), 42.0});
        f.dm.Orvet().insertRecord({{},
                                   QDate(2025, 9, 1),
                                   QStringLiteral("09"),
                                   QStringLiteral("2025"),
                                   QStringLiteral("Сентябрь"),
                                   12345.6,
                                   13345.6,
                                   2227.75,
                                   95.17});
        f.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.form));
        const auto fits = [](DBGrid *grid, const char *field) {
            auto *t = static_cast<Table *>(grid->rows());
            const int column = t->fieldIndex(QString::fromLatin1(field));
            const QString text = t->index(0, column).data().toString();
            const int margins = 2 * (grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1);
            return grid->fontMetrics().horizontalAdvance(text) + margins <=
                   grid->columnWidth(grid->columnOf(column));
        };
        for (const char *field : {"DATE", "NUMBL", "YEAR", "MOUNTH", "PROBB", "PROBE", "SUMRUB", "SUMLITR"})
            QVERIFY2(fits(f.form.DBGrid1, field), field);
        for (const char *field : {"DATE", "LITRS", "SUMRUB"})
            QVERIFY2(fits(f.form.DBGrid2, field), field);
        for (const char *field : {"TOUT", "TIN", "PROB"})
            QVERIFY2(fits(f.form.DBGrid3, field), field);
        QCOMPARE(f.form.DBGrid2->horizontalScrollBar()->maximum(), 0);

        TOrvet_New_F &editor = f.editor();
        MemoryData &rows = *editor.MemoryData1;
        rows.insertRecord({1, QStringLiteral("30"), QStringLiteral("Офис - склад"), QStringLiteral("09:00"),
                           QStringLiteral("18:00"), 12345.6, 12387.97, 42.37, 4.5507});
        for (int column : {MemoryData::VROUT, MemoryData::ProbOut, MemoryData::ProbIN, MemoryData::Prob,
                           MemoryData::Rashod}) {
            const QString text = rows.index(0, column).data().toString();
            QVERIFY2(editor.DBGrid1->fontMetrics().horizontalAdvance(text) + 4 <=
                         editor.DBGrid1->columnWidth(editor.DBGrid1->columnOf(column)),
                     qPrintable(text));
        }
        f.form.close();
    }

    // Dialogs open in the middle of the desktop, wherever the main window is,
    // and the toolkit's own buttons speak Russian.
    void dialogsCentredOnTheDesktop() {
        Fixture f;
        QVERIFY(ToolkitTexts::install());
        f.form.setGeometry(0, 0, 700, 450);
        f.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.form));
        const QPoint middle = f.form.screen()->availableGeometry().center();
        for (QDialog *d :
             std::initializer_list<QDialog *>{f.dm.Options_F(), f.dm.Chesk_New_F(), f.dm.Poezd_New_F(),
                                              f.dm.Orvet_New_Day_N_F(), f.dm.Orvet_New_F()}) {
            d->show();
            QVERIFY(QTest::qWaitForWindowExposed(d));
            QVERIFY2((d->geometry().center() - middle).manhattanLength() <= 2, qPrintable(d->objectName()));
            d->close();
        }
        QMessageBox box(QMessageBox::Critical, QStringLiteral("t"), QStringLiteral("x"),
                        QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(box.button(QMessageBox::Cancel)->text(), QStringLiteral("Отмена"));
        f.form.close();
    }

    void unwritableSettingsAtCloseIsShownAndTheWindowCloses() {
        Program p(QString(), [](const QString &folder) { // a folder where the file should be
            QVERIFY(QDir().mkpath(folder + QStringLiteral("/Orvet.ini")));
        });
        p.mainForm.show();
        QVERIFY(QTest::qWaitForWindowExposed(&p.mainForm));
        QVERIFY(p.mainForm.close());
        QCOMPARE(p.host.errors.size(), 1);
        QVERIFY(p.host.errors[0].startsWith(QStringLiteral("Unable to write to ")));
    }
};

QTEST_MAIN(TestMainForm)
#include "tst_mainform.moc"
