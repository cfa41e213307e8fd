#include "Program.h"
// The waybill editor window: its controls, grid, buttons and keys.
#include "controls/CalcEdit.h"
#include "controls/DBGrid.h"
#include "core/MemoryData.h"
#include "data/TDM1.h"
#include "forms/TOrvet_New_F.h"
#include "TestDir.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using M = MemoryData;

namespace {
struct Fixture : Program {
    Fixture() {
        for (int d = 1; d <= 5; ++d) {
            const QString chislo = QStringLiteral("0%1").arg(d);
            if (d == 2)
                editor().MemoryData1->insertRecord({-1, chislo, QString(), QString(), QString()});
            else
                editor().MemoryData1->insertRecord(
                    {1, chislo, "Офис", "09:00", "18:00", 100.0, 120.5, 20.5, 2.05, 1});
        }
        editor().MemoryData1->first();
    }
};
} // namespace

class TestEditor : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        pinRussianLocale();
        useSmallFont();
    }

    void header();
    void grid();
    void gridFollowsRows();
    void commandButtonsAndMenu();
    void okEnterEscAndCloseBox();
    void enterIsOkWhateverHasTheFocus_data();
    void enterIsOkWhateverHasTheFocus();
    void placementKeptInSettings();
};

void TestEditor::header() {
    Fixture f;
    TOrvet_New_F &e = f.editor();
    QCOMPARE(e.GroupBox1->title(), QStringLiteral("Путевой лист"));
    QCOMPARE(e.GroupBox2->title(), QStringLiteral("Поездки"));
    QCOMPARE(e.GroupBox3->title(), QStringLiteral("Итог"));
    QCOMPARE(e.Edit2->count(), 12);
    QCOMPARE(e.Edit2->itemText(0), QStringLiteral("Январь"));
    QCOMPARE(e.Edit2->itemText(11), QStringLiteral("Декабрь"));
    QVERIFY(!e.Edit2->isEditable());
    QVERIFY(!e.Edit2->isEnabled());
    QVERIFY(!e.Edit3->isEnabled());
    QVERIFY(e.Edit1->isEnabled() && e.CalcEdit1->isEnabled() && e.CalcEdit4->isEnabled());
    for (CalcEdit *box : {e.CalcEdit1, e.CalcEdit2, e.CalcEdit3, e.CalcEdit4}) {
        QCOMPARE(box->decimals(), 2);
        QCOMPARE(box->displayFormat(), QStringLiteral(",0.##"));
    }
    e.CalcEdit1->setText(QStringLiteral("1000,126"));
    QCOMPARE(e.CalcEdit1->value(), 1000.13);
    e.CalcEdit3->setValue(0);
    QCOMPARE(e.CalcEdit3->text(), QString());
    QVERIFY(e.Label9->font().bold());
    e.setMonth(4);
    QCOMPARE(e.Edit2->currentText(), QStringLiteral("Апрель"));
    QCOMPARE(e.month(), 4);
    e.Edit3->setText(QStringLiteral("2024"));
    QCOMPARE(e.year(), 2024);

    // Tab order: number, year, start, end, month.
    QList<QWidget *> order;
    const QList<QWidget *> wanted = {e.Edit1, e.Edit3, e.CalcEdit1, e.CalcEdit2, e.Edit2};
    QWidget *w = e.Edit1;
    do {
        if (wanted.contains(w))
            order.append(w);
        w = w->nextInFocusChain();
    } while (w != e.Edit1);
    QCOMPARE(order, wanted);

    QCOMPARE(e.size(), QSize(571, 372));
    QCOMPARE(e.minimumSize(), QSize(571, 312));
    QVERIFY(e.BitBtn1->isDefault());
    QCOMPARE(e.BitBtn1->text(), QStringLiteral("&Ok"));
    QCOMPARE(e.BitBtn2->text(), QStringLiteral("&Cancel"));
}

void TestEditor::grid() {
    Fixture f;
    DBGrid &g = *f.editor().DBGrid1;
    // ID and Change are not shown at all (a screen reader sees only these
    // columns, by their titles).
    QCOMPARE(g.columnOf(M::ID), -1);
    QCOMPARE(g.columnOf(M::Change), -1);
    QStringList titles;
    for (int c = 0; c < g.model()->columnCount(); ++c)
        titles << g.model()->headerData(c, Qt::Horizontal).toString();
    QCOMPARE(titles, (QStringList{"Число", "Поездка", "Время выезда", "Время приезда", "Пробег на начало",
                                  "Пробег на конец", "Дистанция", "Расход бензина"}));
    QVERIFY(!g.horizontalHeader()->isVisible() && !g.horizontalHeader()->isVisibleTo(&g));
    QVERIFY(!g.verticalHeader()->isVisibleTo(&g));
    QVERIFY(!g.showGrid());
    QCOMPARE(g.selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(g.editTriggers(), QAbstractItemView::NoEditTriggers);
    const QList<std::pair<int, int>> widths = {{M::Chislo, 40}, {M::Poezdka, 160}, {M::VROUT, 40},
                                               {M::VRIN, 40},   {M::Prob, 40},     {M::Rashod, 40}};
    for (const auto &[column, width] : widths)
        QCOMPARE(g.columnWidth(g.columnOf(column)), width);
    // The layout survives the rows being replaced; what the grid shows
    // follows every change of the rows.
    QAbstractItemModelTester tester(g.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    f.editor().MemoryData1->setValueAt(1, M::Change, true); // a field not shown
    f.editor().MemoryData1->setValueAt(3, M::Prob, 20.5);
    f.editor().MemoryData1->insertRecord({1, QStringLiteral("06"), "Офис", "09:00", "18:00", 0.0, 0.0, 0.0, 0.0, 1});
    f.editor().MemoryData1->sortByChislo();
    QCOMPARE(g.model()->columnCount(), 8);
    QCOMPARE(g.columnWidth(g.columnOf(M::Poezdka)), 160);

    QCOMPARE(g.cell(0, M::Prob).data().toString(), QStringLiteral("20,5"));
    QCOMPARE(g.cell(0, M::ProbIN).data().toString(), QStringLiteral("120,5"));
    QCOMPARE(g.cell(1, M::Chislo).data().toString(), QStringLiteral("02"));
    for (int column : {M::Poezdka, M::VROUT, M::ProbOut, M::Prob, M::Rashod})
        QCOMPARE(g.cell(1, column).data().toString(), QString());
}

void TestEditor::gridFollowsRows() {
    Fixture f;
    MemoryData &rows = *f.editor().MemoryData1;
    DBGrid &g = *f.editor().DBGrid1;
    rows.setCurrentRow(3);
    QCOMPARE(g.currentIndex().row(), 3);
    g.setCurrentIndex(g.cell(1, M::Poezdka));
    QCOMPARE(rows.currentRow(), 1);
    // A held-back pass is shown once it ends.
    rows.disableControls();
    rows.last();
    QCOMPARE(g.currentIndex().row(), 1);
    rows.enableControls();
    QCOMPARE(g.currentIndex().row(), 4);
}

void TestEditor::commandButtonsAndMenu() {
    Fixture f;
    TOrvet_New_F &e = f.editor();
    const QList<std::tuple<QPushButton *, QString, int>> buttons = {{e.BitBtn3, "New_Orvet_Mark_HDay", 179},
                                                                    {e.BitBtn4, "New_Orvet_Mark_RDay", 115},
                                                                    {e.BitBtn5, "New_Orvet_Recalk_List", 115},
                                                                    {e.BitBtn6, "New_Orvet_Day_Edit", 129}};
    for (const auto &[button, name, width] : buttons) {
        QCOMPARE(button->text(), f.dm.action(name)->text());
        QVERIFY(!button->icon().isNull());
        QCOMPARE(button->width(), width);
        int *runs = f.count(name);
        button->click();
        QCOMPARE(*runs, 1);
    }
    QCOMPARE(e.BitBtn3->text(), QStringLiteral("Пометить - как выходной"));

    const QList<QAction *> menu = e.DBGrid1->actions();
    QCOMPARE(e.DBGrid1->contextMenuPolicy(), Qt::ActionsContextMenu);
    QCOMPARE(menu.size(), 5);
    QCOMPARE(menu[0], f.dm.action("New_Orvet_Mark_HDay"));
    QCOMPARE(menu[1], f.dm.action("New_Orvet_Mark_RDay"));
    QCOMPARE(menu[2], f.dm.action("New_Orvet_Day_Edit"));
    QVERIFY(menu[3]->isSeparator());
    QCOMPARE(menu[4], f.dm.action("New_Orvet_Recalk_List"));

    int *edits = f.count("New_Orvet_Day_Edit");
    e.show();
    QVERIFY(QTest::qWaitForWindowExposed(&e));
    const QRect cell = e.DBGrid1->visualRect(e.DBGrid1->cell(2, M::Poezdka));
    QTest::mouseDClick(e.DBGrid1->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(*edits, 1);
    QCOMPARE(e.MemoryData1->currentRow(), 2);
    e.close();
}

void TestEditor::okEnterEscAndCloseBox() {
    Fixture f;
    TOrvet_New_F &e = f.editor();
    bool confirmed = false;
    QObject::connect(&e, &TOrvet_New_F::okClicked, [&confirmed] { confirmed = true; });

    e.show();
    QVERIFY(QTest::qWaitForWindowExposed(&e));
    e.Edit1->setFocus();
    QTest::keyClick(e.Edit1, Qt::Key_Return);
    QVERIFY(confirmed);
    QVERIFY(!e.isVisible());

    confirmed = false;
    e.show();
    QVERIFY(QTest::qWaitForWindowExposed(&e));
    QTest::keyClick(e.Edit1, Qt::Key_Escape);
    QVERIFY(!confirmed);
    QVERIFY(!e.isVisible());

    e.show();
    QVERIFY(QTest::qWaitForWindowExposed(&e));
    e.close();
    QVERIFY(!confirmed);
    QVERIFY(!e.isVisible());

    e.show();
    QVERIFY(QTest::qWaitForWindowExposed(&e));
    e.BitBtn2->click();
    QVERIFY(!confirmed);
    e.show();
    QVERIFY(QTest::qWaitForWindowExposed(&e));
    e.BitBtn1->click();
    QVERIFY(confirmed);
}

void TestEditor::enterIsOkWhateverHasTheFocus_data() {
    QTest::addColumn<int>("tabs");     // Tab presses from the number
    QTest::addColumn<bool>("clicked"); // then a click on the first command button
    QTest::newRow("Tab across Ok and Cancel into the grid") << 5 << false;
    QTest::newRow("on Cancel") << 4 << false;
    QTest::newRow("after a click on a command button") << 0 << true;
}

// Every opening: a button that once had the focus must not take Enter over.
void TestEditor::enterIsOkWhateverHasTheFocus() {
    QFETCH(int, tabs);
    QFETCH(bool, clicked);
    Fixture f;
    TOrvet_New_F &e = f.editor();
    bool confirmed = false;
    QObject::connect(&e, &TOrvet_New_F::okClicked, [&confirmed] { confirmed = true; });
    int *marks = f.count(QStringLiteral("New_Orvet_Mark_HDay"));
    for (int opening = 0; opening < 2; ++opening) {
        confirmed = false;
        e.show();
        QVERIFY(QTest::qWaitForWindowActive(&e));
        QCOMPARE(QApplication::focusWidget(), e.Edit1); // the first of the tab order, every time
        for (int t = 0; t < tabs; ++t)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        if (tabs == 5)
            QCOMPARE(QApplication::focusWidget(), e.DBGrid1);
        if (clicked)
            QTest::mouseClick(e.BitBtn3, Qt::LeftButton);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QVERIFY(confirmed);
        QVERIFY(!e.isVisible());
    }
    QCOMPARE(*marks, clicked ? 2 : 0);
}

void TestEditor::placementKeptInSettings() {
    Fixture f;
    f.editor().show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.editor()));
    f.editor().setGeometry(33, 44, 640, 420); // the client area, as the file keeps it
    f.editor().BitBtn2->click();

    QFile ini(f.ini());
    QVERIFY(ini.open(QIODevice::ReadOnly));
    const QString text = QString::fromLatin1(ini.readAll());
    QVERIFY(text.contains(QStringLiteral("[Orvet_New_F]")));
    QVERIFY(text.contains(QStringLiteral("NormPos=33,44,673,464")));

    TOrvet_New_F other;
    other.setIniFile(&f.dm.iniFile());
    other.show();
    QVERIFY(QTest::qWaitForWindowExposed(&other));
    QCOMPARE(other.geometry(), QRect(33, 44, 640, 420));
    other.close();
}

QTEST_MAIN(TestEditor)
#include "tst_editor.moc"
