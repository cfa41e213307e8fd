#include "controls/TimeEdit.h"

#include "ScriptedDialogHost.h"

#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {
const QString kRefusal = QStringLiteral("Invalid input value.  Use escape key to abandon changes.");
}

class TestTimeEdit : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    void init();
    void cleanup();

    void textKeepsColonAndBlanks_data();
    void textKeepsColonAndBlanks();
    void typingFillsPositions_data();
    void typingFillsPositions();

    void incompleteChangeRefusesToLeave();
    void completeOrUnchangedBoxLeavesFreely();
    void validateReportsLikeARefusal();
    void onlyTimesOfDay_data();
    void onlyTimesOfDay();
    void escapeAbandonsChangeAndStaysInDialog();
    void escapeWithoutChangeClosesDialog();

private:
    void typeInto(const QString &start, const QString &keys);

    QDialog *m_dialog = nullptr;
    TimeEdit *m_time = nullptr;
    QPushButton *m_ok = nullptr;
    ScriptedDialogHost *m_host = nullptr;
};

void TestTimeEdit::init() {
    m_host = new ScriptedDialogHost;
    m_dialog = new QDialog;
    m_time = new TimeEdit(m_dialog);
    m_ok = new QPushButton(QStringLiteral("&Ok"), m_dialog);
    m_time->setGeometry(10, 10, 80, 24);
    m_ok->setGeometry(10, 40, 80, 24);
    m_dialog->resize(120, 80);
    m_dialog->show();
    QApplication::setActiveWindow(m_dialog);
    m_dialog->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_dialog));
    m_time->setFocus();
}

void TestTimeEdit::cleanup() {
    delete m_dialog;
    delete m_host;
}

void TestTimeEdit::typeInto(const QString &start, const QString &keys) {
    m_time->setText(start);
    m_time->setFocus();
    m_time->setCursorPosition(0);
    QTest::keyClicks(m_time, keys);
}

void TestTimeEdit::textKeepsColonAndBlanks_data() {
    QTest::addColumn<QString>("set");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("complete");
    QTest::newRow("empty") << ""
                           << "  :  " << false;
    QTest::newRow("empty form") << "  :  "
                                << "  :  " << false;
    QTest::newRow("one hour digit") << " 9:00"
                                    << " 9:00" << true;
    QTest::newRow("two hour digits") << "09:00"
                                     << "09:00" << true;
    QTest::newRow("no range check") << "99:99"
                                    << "99:99" << true;
}

void TestTimeEdit::textKeepsColonAndBlanks() {
    QFETCH(QString, set);
    QFETCH(QString, text);
    QFETCH(bool, complete);
    m_time->setText("18:00");
    m_time->setText(set);
    QCOMPARE(m_time->text(), text);
    QCOMPARE(m_time->property("text").toString(), text);
    QCOMPARE(m_time->isComplete(), complete);
    QVERIFY(!m_time->isChanged());
}

void TestTimeEdit::typingFillsPositions_data() {
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("complete");
    QTest::newRow("four digits") << "0930"
                                 << "09:30" << true;
    QTest::newRow("blank hour digit") << " 930"
                                      << " 9:30" << true;
    QTest::newRow("three digits") << "930"
                                  << "93:0 " << false;
    QTest::newRow("letters refused") << "1a2b3c4"
                                     << "12:34" << true;
    QTest::newRow("at most five") << "123456"
                                  << "12:34" << true;
}

void TestTimeEdit::typingFillsPositions() {
    QFETCH(QString, keys);
    QFETCH(QString, text);
    QFETCH(bool, complete);
    typeInto(QString(), keys);
    QCOMPARE(m_time->text(), text);
    QCOMPARE(m_time->isComplete(), complete);
    QVERIFY(m_time->isChanged());
}

void TestTimeEdit::incompleteChangeRefusesToLeave() {
    typeInto(QString(), "12");
    QCOMPARE(m_time->text(), QString("12:  "));
    QTest::keyClick(m_time, Qt::Key_Tab);
    QTRY_COMPARE(QApplication::focusWidget(), m_time);
    QCOMPARE(m_host->errors, QStringList{kRefusal});

    // Still refused by the mouse; completing the time lets it go.
    m_ok->setFocus(Qt::MouseFocusReason);
    QTRY_COMPARE(QApplication::focusWidget(), m_time);
    QCOMPARE(m_host->errors.size(), 2);
    m_time->setCursorPosition(3);
    QTest::keyClicks(m_time, "45");
    QTest::keyClick(m_time, Qt::Key_Tab);
    QTest::qWait(20);
    QCOMPARE(QApplication::focusWidget(), m_ok);
    QCOMPARE(m_time->text(), QString("12:45"));
    QCOMPARE(m_host->errors.size(), 2);
}

void TestTimeEdit::completeOrUnchangedBoxLeavesFreely() {
    m_time->setText(QString()); // incomplete, but not the user's doing
    QTest::keyClick(m_time, Qt::Key_Tab);
    QTest::qWait(20);
    QCOMPARE(QApplication::focusWidget(), m_ok);

    typeInto("09:00", "1");
    QCOMPARE(m_time->text(), QString("19:00"));
    QTest::keyClick(m_time, Qt::Key_Tab);
    QTest::qWait(20);
    QCOMPARE(QApplication::focusWidget(), m_ok);
    QVERIFY(m_host->errors.isEmpty());
}

void TestTimeEdit::validateReportsLikeARefusal() {
    m_time->setText(QString());
    QVERIFY(m_time->validate()); // unchanged
    typeInto(QString(), "1");
    m_ok->setFocus();
    QVERIFY(!m_time->validate());
    QCOMPARE(QApplication::focusWidget(), m_time);
    QVERIFY(m_host->errors.contains(kRefusal));
    QTest::keyClicks(m_time, "200");
    QVERIFY(m_time->validate());
}

// Typed over a trip's "09:00" as a clerk does: "830" would be 83:00.
void TestTimeEdit::onlyTimesOfDay_data() {
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("taken");
    QTest::newRow("830") << "830"
                         << "83:00" << false;
    QTest::newRow("9:00") << "9:00"
                          << "99:00" << false;
    QTest::newRow("minutes 60") << "2360"
                                << "23:60" << false;
    QTest::newRow("last minute") << "2359"
                                 << "23:59" << true;
    QTest::newRow("midnight") << "0000"
                              << "00:00" << true;
}

void TestTimeEdit::onlyTimesOfDay() {
    QFETCH(QString, keys);
    QFETCH(QString, text);
    QFETCH(bool, taken);
    m_time->setAccessibleName(QStringLiteral("Время выезда"));
    typeInto("09:00", keys);
    QCOMPARE(m_time->text(), text);
    QCOMPARE(m_time->validate(), taken);
    if (taken) {
        QVERIFY(m_host->errors.isEmpty());
        return;
    }
    QCOMPARE(m_host->errors.size(), 1);
    QVERIFY2(m_host->errors.first().contains(QStringLiteral("«Время выезда»")) &&
                 m_host->errors.first().contains(text),
             qPrintable(m_host->errors.first()));
    // Leaving the box is refused the same way.
    QTest::keyClick(m_time, Qt::Key_Tab);
    QTRY_COMPARE(m_host->errors.size(), 2);
    QCOMPARE(QApplication::focusWidget(), m_time);
}

void TestTimeEdit::escapeAbandonsChangeAndStaysInDialog() {
    QSignalSpy rejected(m_dialog, &QDialog::rejected);
    typeInto("09:00", "1");
    QCOMPARE(m_time->text(), QString("19:00"));
    QTest::keyClick(m_time, Qt::Key_Escape);
    QCOMPARE(m_time->text(), QString("09:00"));
    QVERIFY(m_dialog->isVisible());
    QCOMPARE(rejected.count(), 0);

    // After a refusal Esc goes back to the text the box had before editing.
    typeInto("08:30", QString());
    m_time->setCursorPosition(1);
    QTest::keyClick(m_time, Qt::Key_Delete);
    QCOMPARE(m_time->text(), QString("0 :30"));
    QTest::keyClick(m_time, Qt::Key_Tab);
    QTRY_COMPARE(QApplication::focusWidget(), m_time);
    QTest::keyClick(m_time, Qt::Key_Escape);
    QCOMPARE(m_time->text(), QString("08:30"));
    QVERIFY(m_dialog->isVisible());

    // The change is gone, so the next Esc is the dialog's.
    QTest::keyClick(m_time, Qt::Key_Escape);
    QVERIFY(!m_dialog->isVisible());
    QCOMPARE(rejected.count(), 1);
}

void TestTimeEdit::escapeWithoutChangeClosesDialog() {
    m_time->setText("09:00");
    QTest::keyClick(m_time, Qt::Key_Escape);
    QVERIFY(!m_dialog->isVisible());
    QCOMPARE(m_dialog->result(), int(QDialog::Rejected));
    QVERIFY(m_host->errors.isEmpty());
}

QTEST_MAIN(TestTimeEdit)
#include "tst_timeedit.moc"
