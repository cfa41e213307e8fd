#include "controls/CalcEdit.h"
#include "controls/CalculatorPopup.h"
#include "core/OrvetError.h"

#include <QApplication>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

class TestCalcEdit : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }

    void readBackIsRoundedToShownDecimals_data();
    void readBackIsRoundedToShownDecimals();
    void zeroShowsAsEmptyBox();
    void displayFormats_data();
    void displayFormats();
    void typingUsesLocaleSeparator();
    void typedNumbersAreReadWholeOrRefused_data();
    void typedNumbersAreReadWholeOrRefused();
    void typedTextIsTidiedWhenEditingEnds();
    void signalsFollowTextAndValue();
    void readOnlyHasNoCalculator();

    void calculatorByKeyboard_data();
    void calculatorByKeyboard();
    void calculatorStartsFromBoxValue();
    void calculatorEscapeLeavesBox();
    void calculatorDivisionByZero();
    void calculatorByMouse();

private:
    struct Window {
        QWidget widget;
        CalcEdit *edit = nullptr;
        QLineEdit *other = nullptr;
    };
    static void show(Window &w);
};

void TestCalcEdit::show(Window &w) {
    w.edit = new CalcEdit(&w.widget);
    w.other = new QLineEdit(&w.widget);
    w.edit->setGeometry(10, 10, 120, 24);
    w.other->setGeometry(10, 40, 120, 24);
    w.widget.resize(200, 100);
    w.widget.show();
    QApplication::setActiveWindow(&w.widget);
    w.widget.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w.widget));
    w.edit->setFocus();
}

void TestCalcEdit::readBackIsRoundedToShownDecimals_data() {
    QTest::addColumn<double>("stored");
    QTest::addColumn<double>("readBack");
    QTest::addColumn<QString>("text");
    QTest::newRow("half up") << 12.345 << 12.35 << "12,35";
    QTest::newRow("negative half away") << -12.345 << -12.35 << "-12,35";
    QTest::newRow("1.005 as written") << 1.005 << 1.01 << "1,01";
    QTest::newRow("down") << 2.344 << 2.34 << "2,34";
    QTest::newRow("whole") << 500.0 << 500.0 << "500";
}

void TestCalcEdit::readBackIsRoundedToShownDecimals() {
    QFETCH(double, stored);
    QFETCH(double, readBack);
    QFETCH(QString, text);
    CalcEdit edit;
    edit.setValue(stored);
    QCOMPARE(edit.value(), readBack);
    QCOMPARE(edit.text(), text);
}

void TestCalcEdit::zeroShowsAsEmptyBox() {
    CalcEdit edit;
    edit.setValue(7);
    edit.setValue(0);
    QCOMPARE(edit.text(), QString());
    edit.setValue(0.004); // rounds to 0 at two decimals
    QCOMPARE(edit.text(), QString());
    QCOMPARE(edit.value(), 0.0);
}

void TestCalcEdit::displayFormats_data() {
    const QString group = QLocale().groupSeparator();
    QTest::addColumn<QString>("format");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<double>("stored");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("readBack");
    QTest::newRow("grouped") << ",0.##" << 2 << 12345.5 << QString("12" + group + "345,5") << 12345.5;
    QTest::newRow("grouped two places")
        << ",0.##" << 2 << 1234567.891 << QString("1" + group + "234" + group + "567,89") << 1234567.89;
    QTest::newRow("plain") << "#0.##" << 2 << 12345.5 << "12345,5" << 12345.5;
    QTest::newRow("fuel") << "#0.##" << 2 << 2.75 << "2,75" << 2.75;
    QTest::newRow("whole km half") << "#0." << 0 << 12.5 << "13" << 13.0;
    QTest::newRow("whole km") << "#0." << 0 << 12.4 << "12" << 12.0;
    QTest::newRow("whole km, box decimals 2") << "#0." << 2 << 99.6 << "100" << 100.0;
    QTest::newRow("box decimals cap pattern") << ",0.##" << 1 << 3.26 << "3,3" << 3.3;
    QTest::newRow("required zeros") << "0.00" << 2 << 2.5 << "2,50" << 2.5;
}

void TestCalcEdit::displayFormats() {
    QFETCH(QString, format);
    QFETCH(int, decimals);
    QFETCH(double, stored);
    QFETCH(QString, text);
    QFETCH(double, readBack);
    CalcEdit edit;
    edit.setDecimals(decimals);
    edit.setDisplayFormat(format);
    edit.setValue(stored);
    QCOMPARE(edit.text(), text);
    QCOMPARE(edit.value(), readBack);
}

void TestCalcEdit::typingUsesLocaleSeparator() {
    Window w;
    show(w);
    QTest::keyClicks(w.edit, "8,5");
    QCOMPARE(w.edit->text(), QString("8,5"));
    QCOMPARE(w.edit->value(), 8.5);

    w.edit->clear();
    QTest::keyClicks(w.edit, "8.5"); // the keypad's point: a comma once editing ends
    QCOMPARE(w.edit->value(), 8.5);
    w.other->setFocus();
    QCOMPARE(w.edit->text(), QString("8,5"));

    w.edit->clear();
    QTest::keyClicks(w.edit, "1x2,345,6");
    QCOMPARE(w.edit->text(), QString("12,34")); // letters, a third place and a second comma refused

    w.edit->clear();
    w.edit->setDisplayFormat("#0.");
    w.edit->setDecimals(0);
    QTest::keyClicks(w.edit, "12,5");
    QCOMPARE(w.edit->text(), QString("125"));
}

// What a clerk types for rubles (two decimals), and what the box keeps: the
// whole number, or a refusal naming the field at Ok, never a part of it.
void TestCalcEdit::typedNumbersAreReadWholeOrRefused_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<double>("value"); // -1: refused at Ok
    QTest::newRow("thousands with points") << "1.234,56" << 1234.56;
    QTest::newRow("thousands with spaces") << "1 234,56" << 1234.56;
    QTest::newRow("thin space") << QString("1\u2009234,56") << 1234.56;
    QTest::newRow("millions with points") << "1.234.567" << 1234567.0;
    QTest::newRow("keypad point") << "1.5" << 1.5;
    QTest::newRow("point or thousands?") << "1.234" << -1.0;
    QTest::newRow("group cut short") << "12.345.6" << -1.0;
}

void TestCalcEdit::typedNumbersAreReadWholeOrRefused() {
    QFETCH(QString, typed);
    QFETCH(double, value);
    Window w;
    show(w);
    w.edit->setAccessibleName("Денег");
    w.edit->insert(typed); // as typed or pasted: through the box's validator
    QCOMPARE(w.edit->text(), typed);
    if (value < 0) {
        try {
            w.edit->checkTyped();
            QFAIL("a number with two readings was taken");
        } catch (const OrvetError &e) {
            QVERIFY2(e.message().contains("«Денег»") && e.message().contains(typed), qPrintable(e.message()));
        }
        return;
    }
    w.edit->checkTyped();
    QCOMPARE(w.edit->value(), value);
}

void TestCalcEdit::typedTextIsTidiedWhenEditingEnds() {
    Window w;
    show(w);
    QTest::keyClicks(w.edit, "1234,50");
    w.other->setFocus();
    QCOMPARE(w.edit->text(), QString("1" + QLocale().groupSeparator() + "234,5"));
    QCOMPARE(w.edit->value(), 1234.5);

    w.edit->setFocus();
    w.edit->selectAll();
    QTest::keyClicks(w.edit, "0");
    QTest::keyClick(w.edit, Qt::Key_Return);
    QCOMPARE(w.edit->text(), QString());
}

void TestCalcEdit::signalsFollowTextAndValue() {
    Window w;
    show(w);
    QSignalSpy texts(w.edit, &QLineEdit::textChanged);
    QSignalSpy values(w.edit, &CalcEdit::valueChanged);
    QTest::keyClicks(w.edit, "25");
    QCOMPARE(texts.count(), 2); // every keystroke
    QCOMPARE(values.count(), 2);
    QCOMPARE(values.last().at(0).toDouble(), 25.0);

    w.edit->setValue(25); // same text: nothing to report
    QCOMPARE(texts.count(), 2);
    w.edit->setValue(0);
    QCOMPARE(values.last().at(0).toDouble(), 0.0);
    QCOMPARE(texts.last().at(0).toString(), QString());
}

void TestCalcEdit::readOnlyHasNoCalculator() {
    Window w;
    show(w);
    w.edit->setValue(5);
    w.edit->setReadOnly(true);
    QVERIFY(!w.edit->calculatorButton()->isVisible());
    QTest::keyClicks(w.edit, "7");
    w.edit->showCalculator();
    QVERIFY(!w.edit->calculator()->isVisible());
    QCOMPARE(w.edit->value(), 5.0);

    w.edit->setReadOnly(false);
    QVERIFY(w.edit->calculatorButton()->isVisible());
    w.edit->setEnabled(false);
    w.edit->showCalculator();
    QVERIFY(!w.edit->calculator()->isVisible());
}

void TestCalcEdit::calculatorByKeyboard_data() {
    QTest::addColumn<QString>("keys");
    QTest::addColumn<bool>("enterKey");
    QTest::addColumn<double>("result");
    QTest::newRow("sum with =") << "2+3=" << false << 5.0;
    QTest::newRow("sum with Enter") << "2+3" << true << 5.0;
    QTest::newRow("chain") << "2+3*4=" << false << 20.0;
    QTest::newRow("division") << "10/4=" << false << 2.5;
    QTest::newRow("point key") << "1.5*2=" << false << 3.0;
    QTest::newRow("clear") << "9c2=" << false << 2.0;
    QTest::newRow("operator replaced") << "6+-1=" << false << 5.0;
    QTest::newRow("negative result") << "2-5=" << false << -3.0;
}

void TestCalcEdit::calculatorByKeyboard() {
    QFETCH(QString, keys);
    QFETCH(bool, enterKey);
    QFETCH(double, result);
    Window w;
    show(w);
    QTest::keyClick(w.edit, Qt::Key_Down, Qt::AltModifier);
    CalculatorPopup *calc = w.edit->calculator();
    QVERIFY(calc->isVisible());
    QTest::keyClicks(calc, keys);
    if (enterKey)
        QTest::keyClick(calc, Qt::Key_Return);
    QVERIFY(!calc->isVisible());
    QCOMPARE(w.edit->value(), result);
}

void TestCalcEdit::calculatorStartsFromBoxValue() {
    Window w;
    show(w);
    w.edit->setValue(10);
    w.edit->showCalculator();
    CalculatorPopup *calc = w.edit->calculator();
    QCOMPARE(calc->displayText(), QString("10"));
    QTest::keyClicks(calc, "12");
    QTest::keyClick(calc, Qt::Key_Backspace);
    QTest::keyClicks(calc, "+0,25=");
    QCOMPARE(w.edit->text(), QString("1,25"));
}

void TestCalcEdit::calculatorEscapeLeavesBox() {
    Window w;
    show(w);
    w.edit->setValue(4);
    w.edit->showCalculator();
    CalculatorPopup *calc = w.edit->calculator();
    QTest::keyClicks(calc, "7+1");
    QTest::keyClick(calc, Qt::Key_Escape);
    QVERIFY(!calc->isVisible());
    QCOMPARE(w.edit->value(), 4.0);
}

void TestCalcEdit::calculatorDivisionByZero() {
    Window w;
    show(w);
    w.edit->setValue(4);
    w.edit->showCalculator();
    CalculatorPopup *calc = w.edit->calculator();
    QTest::keyClicks(calc, "1/0=");
    QVERIFY(calc->hasError());
    QVERIFY(calc->isVisible()); // nothing to hand back
    QTest::keyClicks(calc, "5");
    QVERIFY(calc->hasError());
    QTest::keyClicks(calc, "c5=");
    QCOMPARE(w.edit->value(), 5.0);
}

void TestCalcEdit::calculatorByMouse() {
    Window w;
    show(w);
    QTest::mouseClick(w.edit->calculatorButton(), Qt::LeftButton);
    CalculatorPopup *calc = w.edit->calculator();
    QVERIFY(calc->isVisible());
    for (const char *name : {"calc2", "calcPlus", "calc3", "calcEquals"}) {
        auto *button = calc->findChild<QPushButton *>(name);
        QVERIFY2(button, name);
        QTest::mouseClick(button, Qt::LeftButton);
    }
    QVERIFY(!calc->isVisible());
    QCOMPARE(w.edit->value(), 5.0);
}

QTEST_MAIN(TestCalcEdit)
#include "tst_calcedit.moc"
