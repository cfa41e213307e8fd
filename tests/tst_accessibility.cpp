// Every window can be used without a mouse and read by a screen reader:
// each control has a name a person can read, values are exposed, Tab walks
// the controls in their designed order, and every command has a key.
#include "Program.h"
#include "TestDir.h"

#include "app/TMainForm.h"
#include "controls/CalcEdit.h"
#include "controls/CalculatorPopup.h"
#include "controls/DBGrid.h"
#include "controls/DateEdit.h"
#include "controls/TimeEdit.h"
#include "controls/UpDown.h"
#include "core/MemoryData.h"
#include "data/TDM1.h"
#include "data/table/Table.h"
#include "forms/TChesk_New_F.h"
#include "forms/TOptions_F.h"
#include "forms/TOrvet_New_Day_N_F.h"
#include "forms/TOrvet_New_F.h"
#include "forms/TPoezd_New_F.h"
#include "report/ReportPageView.h"
#include "report/ReportPreview.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWindow>
#include <functional>

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

// Roles a screen reader announces by name: a control, a list or its
// column, a page.
bool needsName(QAccessible::Role role) {
    switch (role) {
    case QAccessible::PushButton:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::ButtonMenu:
    case QAccessible::ButtonDropDown:
    case QAccessible::ComboBox:
    case QAccessible::EditableText:
    case QAccessible::SpinBox:
    case QAccessible::Slider:
    case QAccessible::Table:
    case QAccessible::List:
    case QAccessible::Tree:
    case QAccessible::PageTab:
    case QAccessible::MenuItem:
    case QAccessible::ColumnHeader:
    case QAccessible::Document:
    case QAccessible::Section:
    case QAccessible::Grip:
        return true;
    default:
        return false;
    }
}

// Names only a developer knows: object and field names.
QSet<QString> internalNames(TDM1 &dm, const QList<QWidget *> &windows) {
    QSet<QString> names;
    for (QWidget *w : windows) {
        names << w->objectName();
        for (QObject *o : w->findChildren<QObject *>())
            names << o->objectName();
    }
    for (const QString &field : DayFields::Names)
        names << field;
    for (Table *t : {&dm.Orvet(), &dm.OrvetSost(), &dm.Chesks(), &dm.LPoezd()}) {
        for (const auto &f : t->fields())
            names << f.name;
    }
    names.remove(QString());
    return names;
}

// What a screen reader would stumble on in a window's tree: a control
// without a name, or one named by an internal identifier.
QStringList unreadable(QWidget *window, const QSet<QString> &internal) {
    QStringList found;
    std::function<void(QAccessibleInterface *, const QString &)> walk = [&](QAccessibleInterface *iface,
                                                                            const QString &path) {
        const QString name = iface->text(QAccessible::Name).trimmed();
        const QString where = path + QLatin1Char('/') + QString::number(iface->role(), 16) +
                              QLatin1Char(':') + nameOf(qobject_cast<QWidget *>(iface->object()));
        if (needsName(iface->role()) && name.isEmpty())
            found << where + QStringLiteral(" has no name");
        if (internal.contains(name))
            found << where + QStringLiteral(" is named ") + name;
        for (int i = 0; i < iface->childCount(); ++i) {
            if (QAccessibleInterface *child = iface->child(i))
                walk(child, where);
        }
    };
    walk(QAccessible::queryAccessibleInterface(window), window->objectName());
    return found;
}

QAccessibleInterface *accessible(QObject *o) {
    return QAccessible::queryAccessibleInterface(o);
}

QString valueOf(QAccessibleInterface *iface) {
    QAccessibleTextInterface *text = iface->textInterface();
    return text ? text->text(0, text->characterCount()) : QString();
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

    // Every window as a screen reader walks it, with something in its lists.
    void everyWindowReadsWell() {
        Fixture f;
        const QDir oldCwd = QDir::current();
        QDir::setCurrent(f.folder()); // the report template is read from here
        f.addTrip(QStringLiteral("Офис - склад"), 42);
        f.addReceipt(QDate(2025, 9, 5), 41.5, 2227.75);
        const qint64 id = f.dm.Orvet().insertRecord({{},
                                                     QDate(2025, 9, 1),
                                                     QStringLiteral("09"),
                                                     QStringLiteral("2025"),
                                                     QStringLiteral("Сентябрь"),
                                                     12345.0,
                                                     12387.0,
                                                     2227.75,
                                                     4.0});
        f.dm.OrvetSost().insertRecord({{},
                                       id,
                                       QStringLiteral("01"),
                                       QStringLiteral("Офис - склад"),
                                       QStringLiteral("09:00"),
                                       QStringLiteral("18:00"),
                                       12345.0,
                                       12387.0,
                                       42.0,
                                       4.0});
        f.rows().insertRecord({1, QStringLiteral("01"), QStringLiteral("Офис - склад"),
                               QStringLiteral("09:00"), QStringLiteral("18:00"), 12345.0, 12387.0, 42.0,
                               4.0});
        f.setPeriod(2025, 9);
        const QSet<QString> internal = internalNames(f.dm, f.windows());
        for (QWidget *window : f.windows()) {
            QVERIFY(show(window));
            const QStringList problems = unreadable(window, internal);
            QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
            window->hide();
        }

        QVERIFY(show(&f.options));
        f.options.CalcEdit1->calculatorButton()->click();
        CalculatorPopup *calculator = f.options.CalcEdit1->calculator();
        QTRY_VERIFY(calculator->isVisible());
        const QStringList problems = unreadable(calculator, internal);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
        calculator->close();
        f.options.hide();

        // The preview reads the waybill page by page.
        QStringList pages, previewProblems;
        f.host.expectDialog([&](QDialog *dialog) {
            dialog->show();
            QAccessibleInterface *view = accessible(dialog->findChild<ReportPageView *>());
            for (int i = 0; view && i < view->childCount(); ++i)
                pages << view->child(i)->text(QAccessible::Name) + QLatin1Char('\n') +
                             valueOf(view->child(i));
            previewProblems = unreadable(dialog, internal);
            dialog->hide();
            return int(QDialog::Accepted);
        });
        f.dm.execute(Actions::Orvet_Print);
        QDir::setCurrent(oldCwd.path());
        QCOMPARE(previewProblems, QStringList());
        QVERIFY2(f.host.errors.isEmpty(), qPrintable(f.host.errors.join(QLatin1Char('\n'))));
        QVERIFY(!pages.isEmpty());
        QVERIFY2(pages.first().startsWith(QStringLiteral("Страница 1 из %1\n").arg(pages.size())),
                 qPrintable(pages.first().left(80)));
        for (const QString &text :
             {QStringLiteral("09"), QStringLiteral("Офис - склад"), QStringLiteral("12387")})
            QVERIFY2(pages.join(QLatin1Char('\n')).contains(text), qPrintable(text));
    }

    // Values shown but not typed are read with their captions; the period's
    // up-down is a spin button whose value is the period.
    void valuesAreExposed() {
        Fixture f;
        QVERIFY(show(&f.day));
        f.day.Panel1->setText(QStringLiteral("12345"));
        for (QWidget *reading :
             {static_cast<QWidget *>(f.day.Panel1), static_cast<QWidget *>(f.form.DateEdit1)}) {
            QAccessibleInterface *iface = accessible(reading);
            QVERIFY(iface->state().readOnly);
            QVERIFY(!iface->text(QAccessible::Name).isEmpty());
        }
        QCOMPARE(accessible(f.day.Panel1)->text(QAccessible::Name), QStringLiteral("Пробег на начало"));
        QCOMPARE(valueOf(accessible(f.day.Panel1)), QStringLiteral("12345"));
        f.day.hide();

        QVERIFY(show(&f.form));
        f.form.FormActivate(QDate(2025, 12, 15));
        QCOMPARE(valueOf(accessible(f.form.DateEdit1)), QStringLiteral("01.11.2025"));
        QAccessibleInterface *period = accessible(f.form.UpDown1);
        QCOMPARE(period->role(), QAccessible::SpinBox);
        QVERIFY(period->valueInterface());
        QCOMPARE(valueOf(period), QStringLiteral("ноябрь 2025"));
        period->actionInterface()->doAction(QAccessibleActionInterface::increaseAction());
        QCOMPARE(f.form.DateEdit2->date(), QDate(2025, 12, 31));
        QCOMPARE(valueOf(period), QStringLiteral("декабрь 2025"));

        // Print and Exit have no menu item: their buttons tell their keys.
        QStringList tips;
        for (QToolButton *b : f.form.findChildren<QToolButton *>()) {
            if (b->toolTip().contains(QLatin1String("Ctrl+")))
                tips << b->toolTip();
        }
        QCOMPARE(tips, (QStringList{"Печать (Ctrl+P)", "Выход (Ctrl+Q)"}));
        f.form.close();
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
                                "BitBtn3", "BitBtn4",   "BitBtn5",   "BitBtn6", "CalcEdit3", "CalcEdit4",
                                "TankOut", "TankIn"};
        // The waybill's details after Ok.
        QTest::newRow("settings") << 2 << QStringList{"CheckBox1",     "Edit1",         "Edit2",
                                                      "Edit3",         "Edit4",         "Edit5",
                                                      "Edit6",         "CalcEdit1",     "CalcEdit2",
                                                      "Edit8",         "Edit7",         "BitBtn1",
                                                      "DetailOGRN",    "DetailTelefon", "DetailTipTS",
                                                      "DetailModelTS", "DetailUdostoverenie",
                                                      "DetailKategoriya", "DetailMedrabotnik",
                                                      "DetailMehanik", "DetailVidPerevozki",
                                                      "DetailUdostoverenieSeriya", "DetailUdostoverenieData",
                                                      "DetailVidSoobsheniya",
                                                      "BackupOn",      "BackupFolder",  "BackupChoose",
                                                      "CalendarOn",
                                                      "FuelZima",      "FuelZimaS",     "FuelZimaPo",
                                                      "FuelGorod",     "FuelVozrast",   "FuelKondicioner",
                                                      "FuelObemBaka"};
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
