// Every window can be used without a mouse and read by a screen reader:
// each control that takes the focus has a name, Tab walks the controls in
// their designed order, and every command has a key.
#include "Program.h"
#include "TestDir.h"

#include "app/TMainForm.h"
#include "controls/CalcEdit.h"
#include "controls/DateEdit.h"
#include "controls/DBGrid.h"
#include "controls/TimeEdit.h"
#include "controls/UpDown.h"
#include "data/TDM1.h"
#include "forms/TChesk_New_F.h"
#include "forms/TOptions_F.h"
#include "forms/TOrvet_New_Day_N_F.h"
#include "forms/TOrvet_New_F.h"
#include "forms/TPoezd_New_F.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <QWindow>

namespace {
// The windows as the program creates them at start-up.
struct Fixture : Program {
    TMainForm &form = mainForm;
    TOrvet_New_F &editor = Program::editor();
    TOptions_F &options = Program::options();
    TChesk_New_F &chesk = receipt();
    TPoezd_New_F &poezd = tripType();
    TOrvet_New_Day_N_F &day = Program::day();
    QStringList ran;

    // Records the command instead of running it.
    void record(const QStringList &actions) {
        for (const QString &name : actions)
            dm.actions().setHandler(name, [this, name] { ran << name; });
    }
    QList<QWidget *> windows() { return {&form, &editor, &options, &chesk, &poezd, &day}; }
};

bool show(QWidget *w) {
    w->show();
    w->activateWindow();
    return QTest::qWaitForWindowActive(w);
}

// The control a focus widget belongs to: a spin box or combo box hands its
// focus to its own line edit.
QWidget *owner(QWidget *w) {
    while (w && w->parentWidget() &&
           (w->parentWidget()->focusProxy() == w || w->focusProxy() == w->parentWidget()))
        w = w->parentWidget();
    return w;
}

QString nameOf(QWidget *w) {
    if (!w)
        return QStringLiteral("<none>");
    return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
}

// Presses Tab from `first` until the focus comes back to it.
QStringList tabChain(QWidget *first) {
    first->setFocus(Qt::TabFocusReason);
    QStringList chain;
    for (int i = 0; i < 40; ++i) {
        QWidget *w = owner(QApplication::focusWidget());
        if (i > 0 && w == first)
            break;
        chain << nameOf(w);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    return chain;
}

QString accessibleName(QWidget *w) {
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
    return iface ? iface->text(QAccessible::Name) : QString();
}

void activate(QWindow *window) {
    window->requestActivate();
    QTRY_VERIFY(QGuiApplication::focusWindow() == window);
}

void press(QWidget *window, const QKeySequence &keys) {
    QTest::keySequence(window, keys);
    QCoreApplication::processEvents();
}
} // namespace

class TestAccessibility : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { pinRussianLocale(); }

    void everyFocusableControlHasAName() {
        Fixture f;
        for (QWidget *window : f.windows()) {
            QVERIFY(show(window));
            QStringList unnamed;
            for (QWidget *w : window->findChildren<QWidget *>()) {
                if (!w->isVisible() || w->focusPolicy() == Qt::NoFocus || owner(w) != w)
                    continue;
                if (accessibleName(w).trimmed().isEmpty())
                    unnamed << nameOf(w) + QLatin1Char('(') +
                                   QString::fromLatin1(w->metaObject()->className()) + QLatin1Char(')');
            }
            QVERIFY2(unnamed.isEmpty(), qPrintable(window->objectName() + QStringLiteral(": ") +
                                                   unnamed.join(QStringLiteral(", "))));
            window->hide();
        }
    }

    void tabOrder_data() {
        QTest::addColumn<int>("window");
        QTest::addColumn<QStringList>("order");
        // Disabled controls (the editor's month and year, the day editor's day
        // and fuel) and display fields are passed over by Tab.
        QTest::newRow("main window") << 0 << QStringList{"DBGrid1", "DateEdit1", "DateEdit2",
                                                         "UpDown1", "DBGrid2",   "DBGrid3"};
        QTest::newRow("waybill editor")
            << 1 << QStringList{"Edit1",   "CalcEdit1", "CalcEdit2", "BitBtn1", "BitBtn2",   "DBGrid1",
                                "BitBtn3", "BitBtn4",   "BitBtn5",   "BitBtn6", "CalcEdit3", "CalcEdit4"};
        QTest::newRow("settings") << 2 << QStringList{"CheckBox1", "Edit1", "Edit2", "Edit3",
                                                      "Edit4",     "Edit5", "Edit6", "CalcEdit1",
                                                      "CalcEdit2", "Edit8", "Edit7", "BitBtn1"};
        QTest::newRow("receipt") << 3
                                 << QStringList{"DateEdit1", "CalcEdit1", "CalcEdit2", "BitBtn1", "BitBtn2"};
        QTest::newRow("trip type") << 4 << QStringList{"Edit1",     "MaskEdit1", "MaskEdit2",
                                                       "CalcEdit1", "BitBtn1",   "BitBtn2"};
        QTest::newRow("day editor") << 5
                                    << QStringList{"CheckBox1", "FillComboBox1", "MaskEdit1", "MaskEdit2",
                                                   "CalcEdit1", "BitBtn1",       "BitBtn2"};
    }

    void tabOrder() {
        QFETCH(int, window);
        QFETCH(QStringList, order);
        Fixture f;
        QWidget *w = f.windows().at(window);
        QVERIFY(show(w));
        QWidget *first = w->findChild<QWidget *>(order.first());
        QVERIFY(first);
        QCOMPARE(tabChain(first), order);
        w->hide();
    }

    // Tab leaves the date box at once; the digits alone carry the typing
    // from day to month to year, and the calendar opens from the keyboard.
    void dateIsTypedInOneGo() {
        Fixture f;
        QVERIFY(show(&f.chesk));
        QDateEdit *date = f.chesk.DateEdit1;
        date->setDate(QDate(2025, 3, 3));
        date->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("05012024"));
        QCOMPARE(date->date(), QDate(2024, 1, 5));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(owner(QApplication::focusWidget()), f.chesk.CalcEdit1);

        // F4 opens the calendar; the arrows pick a day and Enter takes it.
        date->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F4);
        QTRY_VERIFY(date->calendarWidget()->isVisible());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_VERIFY(!date->calendarWidget()->isVisible());
        QCOMPARE(date->date(), QDate(2024, 1, 6));
        QTest::keyClick(date, Qt::Key_Down, Qt::AltModifier);
        QTRY_VERIFY(date->calendarWidget()->isVisible());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QTRY_VERIFY(!date->calendarWidget()->isVisible());
        QCOMPARE(date->date(), QDate(2024, 1, 6));
        f.chesk.hide();
    }

    // A time is typed as four digits over what the box held.
    void timeIsTypedAsFourDigits() {
        Fixture f;
        QVERIFY(show(&f.poezd));
        f.poezd.MaskEdit1->setText(QStringLiteral("09:00"));
        f.poezd.Edit1->setFocus(Qt::TabFocusReason);
        QTest::keyClick(f.poezd.Edit1, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), f.poezd.MaskEdit1);
        QTest::keyClicks(f.poezd.MaskEdit1, QStringLiteral("0830"));
        QCOMPARE(f.poezd.MaskEdit1->text(), QStringLiteral("08:30"));
        f.poezd.hide();
    }

    void printAndQuitHaveKeys() {
        Fixture f;
        f.record({"Orvet_Print"});
        QVERIFY(show(&f.form));
        f.form.DBGrid1->setFocus();
        press(&f.form, QKeySequence(Qt::CTRL | Qt::Key_P));
        QCOMPARE(f.ran, QStringList{"Orvet_Print"});
        press(&f.form, QKeySequence(Qt::CTRL | Qt::Key_Q));
        QTRY_VERIFY(!f.form.isVisible());
    }

    // F10 takes the keyboard to the menu bar on "Работа"; from there Enter
    // opens the menu, and Right reaches the top-level "Настройки". The keys
    // go where the focus is, as they do from a keyboard.
    void menuBarFromTheKeyboard_data() {
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<QString>("command");
        QTest::newRow("Работа, first item") << QList<int>{Qt::Key_Return, Qt::Key_Return} << "New_Orvet";
        QTest::newRow("Работа, fifth item")
            << QList<int>{Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Return}
            << "Enter_chesk";
        QTest::newRow("Настройки") << QList<int>{Qt::Key_Right, Qt::Key_Return} << "Options_Main";
    }

    void menuBarFromTheKeyboard() {
        QFETCH(QList<int>, keys);
        QFETCH(QString, command);
        Fixture f;
        f.record({"New_Orvet", "Enter_chesk", "Options_Main"});
        QVERIFY(show(&f.form));
        f.form.DBGrid1->setFocus();
        press(&f.form, QKeySequence(Qt::Key_F10));
        QCOMPARE(f.form.menuBar()->activeAction(), f.form.menuBar()->actions().at(0));
        for (int k : keys) {
            QWidget *target = QApplication::activePopupWidget() ? QApplication::activePopupWidget()
                                                                : QApplication::focusWidget();
            QTest::keyClick(target, Qt::Key(k));
        }
        QTRY_COMPARE(f.ran, QStringList{command});
    }

    void periodMovesFromTheKeyboard() {
        Fixture f;
        QVERIFY(show(&f.form));
        f.form.FormActivate(QDate(2025, 1, 15));
        f.form.UpDown1->setFocus();
        QTest::keyClick(f.form.UpDown1, Qt::Key_Up);
        QCOMPARE(f.form.DateEdit1->date(), QDate(2025, 1, 1));
        QCOMPARE(f.form.DateEdit2->date(), QDate(2025, 1, 31));
        QTest::keyClick(f.form.UpDown1, Qt::Key_Down);
        QTest::keyClick(f.form.UpDown1, Qt::Key_PageDown);
        QCOMPARE(f.form.DateEdit1->date(), QDate(2024, 11, 1));
        QCOMPARE(f.form.DateEdit2->date(), QDate(2024, 11, 30));
        f.form.close();
    }

    // A menu is part of the main window: using it keeps a period chosen with
    // the arrows, so a menu command works on that period. Another window of
    // the program closing puts the period back to the previous month.
    void periodSurvivesTheMenu() {
        Fixture f;
        QVERIFY(show(&f.form));
        const QDate previous = f.form.DateEdit1->date();
        f.form.UpDown1->setFocus();
        QTest::keyClick(f.form.UpDown1, Qt::Key_Down);
        const QDate chosen = previous.addMonths(-1);
        QCOMPARE(f.form.DateEdit1->date(), chosen);
        press(&f.form, QKeySequence(Qt::Key_F10));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QMenu *work = f.form.menuBar()->actions().at(0)->menu();
        QTRY_VERIFY(work->isVisible());
        // The headless platform does not move the focus to a menu as a
        // desktop does; do it by hand, and back when the menu closes.
        activate(work->windowHandle());
        QTest::keyClick(work, Qt::Key_Escape);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QTRY_VERIFY(!work->isVisible());
        activate(f.form.windowHandle());
        QCOMPARE(f.form.DateEdit1->date(), chosen);

        QVERIFY(show(&f.options));
        f.options.close();
        QVERIFY(show(&f.form));
        QTRY_COMPARE(f.form.DateEdit1->date(), previous);
    }

    void editorCommandsHaveKeys() {
        Fixture f;
        f.record(
            {"New_Orvet_Day_Edit", "New_Orvet_Recalk_List", "New_Orvet_Mark_HDay", "New_Orvet_Mark_RDay"});
        QVERIFY(show(&f.editor));
        f.editor.DBGrid1->setFocus();
        for (Qt::Key key : {Qt::Key_F2, Qt::Key_F5, Qt::Key_F7, Qt::Key_F8})
            press(&f.editor, QKeySequence(key));
        QCOMPARE(f.ran, (QStringList{"New_Orvet_Day_Edit", "New_Orvet_Recalk_List", "New_Orvet_Mark_HDay",
                                     "New_Orvet_Mark_RDay"}));
        // Shift+F10 opens the grid's pop-up menu, as the menu key does.
        QStringList items;
        QTimer::singleShot(0, [&items] {
            if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
                for (QAction *a : menu->actions())
                    items << (a->isSeparator() ? QStringLiteral("-") : a->text());
                menu->close();
            }
        });
        QTest::keyClick(f.editor.DBGrid1, Qt::Key_F10, Qt::ShiftModifier);
        QCOMPARE(items, (QStringList{"Пометить - как выходной", "Рабочий день", "Редактировать", "-",
                                     "Пересчитать"}));
        // The keys belong to the editor: in the main window they do nothing.
        f.editor.hide();
        f.ran.clear();
        QVERIFY(show(&f.form));
        press(&f.form, QKeySequence(Qt::Key_F5));
        QCOMPARE(f.ran, QStringList{});
        f.form.close();
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
