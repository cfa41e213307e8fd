#include "controls/DateEdit.h"
#include "core/OrvetError.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QSignalSpy>
#include <QTest>

class TestDateEdit : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    void showsShortDateWithFullYear();
    void settingDateIsReported();
    void readOnlyRefusesTypingAndCalendar();
    void writableOpensCalendar();
    void typedAsPeopleWriteIt_data();
    void typedAsPeopleWriteIt();
    void dottedDatesInEveryLocale_data();
    void dottedDatesInEveryLocale();

private:
    static void showAndFocus(QWidget &window, DateEdit *edit);
};

void TestDateEdit::showAndFocus(QWidget &window, DateEdit *edit) {
    edit->setGeometry(10, 10, 140, 24);
    window.resize(200, 60);
    window.show();
    QApplication::setActiveWindow(&window);
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    edit->setFocus();
}

void TestDateEdit::showsShortDateWithFullYear() {
    DateEdit edit(QDate(2024, 12, 1));
    QCOMPARE(edit.displayFormat(), QString("dd.MM.yyyy"));
    QCOMPARE(edit.text(), QString("01.12.2024"));
    QVERIFY(edit.calendarPopup());
}

void TestDateEdit::settingDateIsReported() {
    DateEdit edit(QDate(2024, 12, 1));
    QSignalSpy spy(&edit, &QDateEdit::dateChanged);
    edit.setDate(QDate(2024, 11, 1));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toDate(), QDate(2024, 11, 1));
}

void TestDateEdit::readOnlyRefusesTypingAndCalendar() {
    QWidget window;
    auto *edit = new DateEdit(QDate(2024, 12, 1), &window);
    edit->setReadOnly(true);
    showAndFocus(window, edit);
    QTest::keyClicks(edit, "15");
    QTest::keyClick(edit, Qt::Key_Up);
    QTest::keyClick(edit, Qt::Key_F4);
    QTest::keyClick(edit, Qt::Key_Down, Qt::AltModifier);
    QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(edit->width() - 6, edit->height() / 2));
    QCOMPARE(edit->date(), QDate(2024, 12, 1));
    QVERIFY(!edit->calendarWidget()->isVisible());
}

void TestDateEdit::writableOpensCalendar() {
    QWidget window;
    auto *edit = new DateEdit(QDate(2024, 12, 1), &window);
    showAndFocus(window, edit);
    QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(edit->width() - 6, edit->height() / 2));
    QTRY_VERIFY(edit->calendarWidget()->isVisible());
}

void TestDateEdit::typedAsPeopleWriteIt_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QDate>("date");
    QTest::newRow("two digits, dots") << "01.11.2026" << QDate(2026, 11, 1);
    QTest::newRow("day of two digits") << "15.10.2025" << QDate(2025, 10, 15);
    QTest::newRow("one digit each") << "5.3.2026" << QDate(2026, 3, 5);
    QTest::newRow("one digit that could go on") << "1.1.2026" << QDate(2026, 1, 1);
    QTest::newRow("no dots") << "05032026" << QDate(2026, 3, 5);
    QTest::newRow("commas") << "7,4,2025" << QDate(2025, 4, 7);
}

// A day or month that moves on by itself, then the dot the user types.
void TestDateEdit::typedAsPeopleWriteIt() {
    QFETCH(QString, typed);
    QFETCH(QDate, date);
    QWidget window;
    auto *edit = new DateEdit(QDate(2026, 12, 8), &window);
    showAndFocus(window, edit);
    edit->setSelectedSection(QDateTimeEdit::DaySection);
    QTest::keyClicks(edit, typed);
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(edit->date(), date);
}

// Dots mean day.month.year, also where the box shows month/day/year; a
// date that names no day is kept for Ok to refuse, not moved to the
// nearest one. An empty date: refused.
void TestDateEdit::dottedDatesInEveryLocale_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QDate>("date");
    QTest::newRow("en_US") << "en_US"
                           << "20.11.2026" << QDate(2026, 11, 20);
    QTest::newRow("en_US, one digit") << "en_US"
                                      << "5.3.2026" << QDate(2026, 3, 5);
    QTest::newRow("en_US, 31 April") << "en_US"
                                     << "31.04.2026" << QDate();
    QTest::newRow("ru_RU, 31 April") << "ru_RU"
                                     << "31.04.2026" << QDate();
    QTest::newRow("ru_RU, 29 February 2025") << "ru_RU"
                                             << "29.02.2025" << QDate();
    QTest::newRow("ru_RU, 29 February 2024") << "ru_RU"
                                             << "29.02.2024" << QDate(2024, 2, 29);
}

void TestDateEdit::dottedDatesInEveryLocale() {
    QFETCH(QString, locale);
    QFETCH(QString, typed);
    QFETCH(QDate, date);
    QLocale::setDefault(QLocale(locale));
    QWidget window;
    auto *edit = new DateEdit(QDate(2026, 12, 8), &window);
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    showAndFocus(window, edit);
    edit->setSelectedSection(edit->sectionAt(0));
    QTest::keyClicks(edit, typed);
    QTest::keyClick(edit, Qt::Key_Tab);
    if (date.isValid()) {
        QCOMPARE(edit->date(), date);
        QVERIFY(edit->impossibleTyped().isEmpty());
        edit->checkTyped();
        return;
    }
    QCOMPARE(edit->impossibleTyped(), typed);
    try {
        edit->checkTyped();
        QFAIL("an impossible date was taken");
    } catch (const OrvetError &e) {
        QVERIFY2(e.message().contains("«" + typed + "»"), qPrintable(e.message()));
    }
}

QTEST_MAIN(TestDateEdit)
#include "tst_dateedit.moc"
