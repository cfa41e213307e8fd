#include "controls/TFillComboBox.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

class TestFillComboBox : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    void init();
    void cleanup();

    void propertiesDefaultOn();
    void typedLetterCompletesFirstItem();
    void registerFromLines();
    void trailingSpaceMovesToNextItem();
    void deletingKeysSuppressUntilNextKey();
    void pickingFromListCompletes();
    void pasteByKeyIsTyping();
    void editRequestsSuppress();
    void contextMenuUsesSuppressingRequests();
    void keyboardMenuIsTheSameMenu_data();
    void keyboardMenuIsTheSameMenu();
    void plainWhenListOnlyOrAutoFillOff();
    void emptyListOrTextLeftAlone();
    void cyrillicIgnoresCase();
    void ownerSeesTextBeforeCompletion();
    void enterOrLeavingKeepsText();
    void enterPressesDialogDefaultButton();

private:
    void setItems(const QStringList &items);
    QString selected() const { return m_combo->lineEdit()->selectedText(); }
    void typeCyrillic(const QString &text);
    void pick(int row);

    QDialog *m_window = nullptr;
    TFillComboBox *m_combo = nullptr;
};

void TestFillComboBox::init() {
    m_window = new QDialog;
    m_combo = new TFillComboBox(m_window);
    m_combo->setGeometry(10, 10, 200, 24);
    m_window->resize(240, 60);
    setItems({"Alpha", "Alpha 2", "Beta"});
    m_window->show();
    QApplication::setActiveWindow(m_window);
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    m_combo->setFocus();
}

void TestFillComboBox::cleanup() {
    delete m_window;
}

void TestFillComboBox::setItems(const QStringList &items) {
    m_combo->clear();
    m_combo->addItems(items);
    m_combo->setCurrentIndex(-1);
    m_combo->setEditText(QString());
}

void TestFillComboBox::typeCyrillic(const QString &text) {
    // keyClicks only knows Latin-1; send the characters as text.
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, m_combo, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

void TestFillComboBox::pick(int row) {
    m_combo->showPopup();
    QAbstractItemView *view = m_combo->view();
    QTRY_VERIFY(view->isVisible());
    const QRect rect = view->visualRect(view->model()->index(row, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    QTRY_VERIFY(!view->isVisible());
}

void TestFillComboBox::propertiesDefaultOn() {
    QCOMPARE(m_combo->property("AllowAutoFill").toBool(), true);
    QCOMPARE(m_combo->property("RegisterFromLines").toBool(), true);
    QVERIFY(m_combo->isEditable());
    QVERIFY(m_combo->setProperty("AllowAutoFill", false));
    QVERIFY(!m_combo->allowAutoFill());
    QVERIFY(!m_combo->completer()); // the stock completer would fight ours
}

void TestFillComboBox::typedLetterCompletesFirstItem() {
    QTest::keyClicks(m_combo, "a");
    QCOMPARE(m_combo->currentText(), QString("Alpha"));
    QCOMPARE(selected(), QString("lpha"));
    QCOMPARE(m_combo->lineEdit()->selectionStart(), 1);

    QTest::keyClicks(m_combo, "l"); // replaces the selection
    QCOMPARE(m_combo->currentText(), QString("Alpha"));
    QCOMPARE(selected(), QString("pha"));

    QTest::keyClicks(m_combo, "pha"); // the whole item: nothing left to select
    QCOMPARE(m_combo->currentText(), QString("Alpha"));
    QCOMPARE(selected(), QString());
    QCOMPARE(m_combo->lineEdit()->cursorPosition(), 5);
}

void TestFillComboBox::registerFromLines() {
    m_combo->setRegisterFromLines(false);
    QTest::keyClicks(m_combo, "AL");
    QCOMPARE(m_combo->currentText(), QString("ALpha"));
    QCOMPARE(selected(), QString("pha"));

    m_combo->setRegisterFromLines(true);
    m_combo->setEditText(QString());
    QTest::keyClicks(m_combo, "AL");
    QCOMPARE(m_combo->currentText(), QString("Alpha"));
    QCOMPARE(selected(), QString("pha"));
}

void TestFillComboBox::trailingSpaceMovesToNextItem() {
    QTest::keyClicks(m_combo, "Alpha ");
    QCOMPARE(m_combo->currentText(), QString("Alpha 2"));
    QCOMPARE(selected(), QString("2"));
}

void TestFillComboBox::deletingKeysSuppressUntilNextKey() {
    QTest::keyClicks(m_combo, "a");
    QTest::keyClick(m_combo, Qt::Key_Backspace); // the letter took the item's case
    QCOMPARE(m_combo->currentText(), QString("A"));
    QVERIFY(m_combo->completionSuppressed());
    QTest::keyClicks(m_combo, "l");
    QCOMPARE(m_combo->currentText(), QString("Alpha"));
    QCOMPARE(selected(), QString("pha"));

    QTest::keyClick(m_combo, Qt::Key_Delete);
    QCOMPARE(m_combo->currentText(), QString("Al"));
    QTest::keyClick(m_combo, Qt::Key_Shift); // any other key lifts the suppression
    QVERIFY(!m_combo->completionSuppressed());
}

void TestFillComboBox::pickingFromListCompletes() {
    pick(0);
    QCOMPARE(m_combo->currentText(), QString("Alpha"));
    QCOMPARE(selected(), QString());

    // The first item in list order that begins with the chosen text wins.
    setItems({"Alpha 2", "Alpha", "Beta"});
    pick(1);
    QCOMPARE(m_combo->currentText(), QString("Alpha 2"));
    QCOMPARE(selected(), QString(" 2"));
}

void TestFillComboBox::pasteByKeyIsTyping() {
    QTest::keyClick(m_combo, Qt::Key_Backspace); // suppression on
    QApplication::clipboard()->setText("a");
    QTest::keyClick(m_combo, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(m_combo->currentText(), QString("Alpha"));
    QCOMPARE(selected(), QString("lpha"));
}

void TestFillComboBox::editRequestsSuppress() {
    QApplication::clipboard()->setText("a");
    m_combo->paste();
    QCOMPARE(m_combo->currentText(), QString("a"));
    QVERIFY(m_combo->completionSuppressed());
    QTest::keyClicks(m_combo, "l");
    QCOMPARE(m_combo->currentText(), QString("Alpha"));

    m_combo->setEditText("Bet");
    m_combo->lineEdit()->setSelection(2, 1);
    m_combo->cut();
    QCOMPARE(m_combo->currentText(), QString("Be"));
    QCOMPARE(QApplication::clipboard()->text(), QString("t"));

    m_combo->setEditText("Betx");
    m_combo->lineEdit()->setSelection(3, 1);
    m_combo->del();
    QCOMPARE(m_combo->currentText(), QString("Bet"));
}

void TestFillComboBox::contextMenuUsesSuppressingRequests() {
    QApplication::clipboard()->setText("b");
    std::unique_ptr<QMenu> menu(m_combo->createEditMenu());
    QAction *paste = menu->findChild<QAction *>("edit-paste");
    QVERIFY(paste);
    QVERIFY(paste->isEnabled());
    paste->trigger();
    QCOMPARE(m_combo->currentText(), QString("b"));

    m_combo->lineEdit()->selectAll();
    menu.reset(m_combo->createEditMenu());
    QAction *del = menu->findChild<QAction *>("edit-delete");
    QVERIFY(del && del->isEnabled());
    del->trigger();
    QCOMPARE(m_combo->currentText(), QString());
}

// The menu key and Shift+F10 address the combo box itself, not its edit
// field: the same Russian menu comes up, and its Paste is not completed.
void TestFillComboBox::keyboardMenuIsTheSameMenu_data() {
    QTest::addColumn<bool>("menuKey"); // else Shift+F10
    QTest::newRow("menu key") << true;
    QTest::newRow("Shift+F10") << false;
}

void TestFillComboBox::keyboardMenuIsTheSameMenu() {
    QFETCH(bool, menuKey);
    QApplication::clipboard()->setText("b");
    if (menuKey) { // what the window system makes of the key
        QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(4, 4), m_combo->mapToGlobal(QPoint(4, 4)));
        QApplication::sendEvent(m_combo, &key);
    } else {
        QTest::keyClick(m_combo, Qt::Key_F10, Qt::ShiftModifier);
    }
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    QVERIFY(menu);
    QAction *paste = menu->findChild<QAction *>("edit-paste");
    QVERIFY(paste);
    QCOMPARE(paste->text(), QStringLiteral("Вставить"));
    paste->trigger();
    menu->close();
    QCOMPARE(m_combo->currentText(), QString("b"));
}

void TestFillComboBox::plainWhenListOnlyOrAutoFillOff() {
    m_combo->setAllowAutoFill(false);
    QTest::keyClicks(m_combo, "a");
    QCOMPARE(m_combo->currentText(), QString("a"));

    m_combo->setAllowAutoFill(true);
    m_combo->setEditable(false);
    QVERIFY(!m_combo->lineEdit());
    m_combo->setCurrentIndex(0);
    QTest::keyClicks(m_combo, "b"); // the plain combo's keyboard search
    QCOMPARE(m_combo->currentText(), QString("Beta"));
    QApplication::clipboard()->setText("a");
    m_combo->paste();
    pick(1);
    QCOMPARE(m_combo->currentText(), QString("Alpha 2"));

    // Back to editable: the new edit field completes again.
    m_combo->setEditable(true);
    m_combo->setEditText(QString());
    QTest::keyClicks(m_combo, "b");
    QCOMPARE(m_combo->currentText(), QString("Beta"));
    QVERIFY(!m_combo->completer());
}

void TestFillComboBox::emptyListOrTextLeftAlone() {
    setItems({});
    QTest::keyClicks(m_combo, "a");
    QCOMPARE(m_combo->currentText(), QString("a"));

    // Every item starts with the empty text; still nothing is filled in.
    setItems({"Alpha", "Beta"});
    QTest::keyClicks(m_combo, "a");
    m_combo->lineEdit()->selectAll();
    QTest::keyClick(m_combo, Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(m_combo->currentText(), QString());
}

void TestFillComboBox::cyrillicIgnoresCase() {
    setItems({"Склад", "Командировка"});
    typeCyrillic("ко");
    QCOMPARE(m_combo->currentText(), QString("Командировка"));
    QCOMPARE(selected(), QString("мандировка"));

    m_combo->setRegisterFromLines(false);
    m_combo->setEditText(QString());
    typeCyrillic("СК");
    QCOMPARE(m_combo->currentText(), QString("СКлад"));
    QCOMPARE(selected(), QString("лад"));
}

void TestFillComboBox::ownerSeesTextBeforeCompletion() {
    QSignalSpy spy(m_combo, &TFillComboBox::changed);
    QTest::keyClicks(m_combo, "b");
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toString(), QString("b"));
    QCOMPARE(m_combo->currentText(), QString("Beta"));

    m_combo->setEditText("Alpha"); // programmatic text is neither reported nor completed
    QCOMPARE(spy.count(), 1);
    QCOMPARE(m_combo->currentText(), QString("Alpha"));
}

void TestFillComboBox::enterOrLeavingKeepsText() {
    // The stock combo would look the text up and pick (then complete) an item.
    setItems({"Alpha 2", "Alpha"});
    for (const QString &text : {QString("Alpha"), QString("alpha"), QString("Gamma")}) {
        m_combo->setEditText(text);
        QTest::keyClick(m_combo, Qt::Key_Return);
        QCOMPARE(m_combo->currentText(), text);
    }
    QCOMPARE(m_combo->count(), 2);

    auto *other = new QLineEdit(m_window);
    other->setGeometry(10, 40, 100, 24);
    other->show();
    m_combo->setEditText("Alpha");
    other->setFocus(Qt::TabFocusReason);
    QCOMPARE(m_combo->currentText(), QString("Alpha"));
}

void TestFillComboBox::enterPressesDialogDefaultButton() {
    auto *ok = new QPushButton("&Ok", m_window);
    ok->setDefault(true);
    ok->show();
    connect(ok, &QPushButton::clicked, m_window, &QDialog::accept);
    QTest::keyClicks(m_combo, "b");
    QTest::keyClick(m_combo, Qt::Key_Return);
    QVERIFY(!m_window->isVisible());
    QCOMPARE(m_window->result(), int(QDialog::Accepted));
    QCOMPARE(m_combo->currentText(), QString("Beta"));
}

QTEST_MAIN(TestFillComboBox)
#include "tst_fillcombobox.moc"
