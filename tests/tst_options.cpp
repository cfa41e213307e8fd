#include "Program.h"

#include "controls/CalcEdit.h"
#include "core/Names.h"
#include "data/TDM1.h"
#include "forms/TOptions_F.h"
#include "settings/NormSurcharges.h"
#include "settings/WaybillDetails.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

namespace {
// The program with its settings dialog. With `iniIsFolder` the settings
// file's path is taken by a folder, so every write of it fails.
struct Fixture : Program {
    explicit Fixture(bool iniIsFolder = false)
        : Program(QString(), [iniIsFolder](const QString &folder) {
              if (iniIsFolder)
                  QDir().mkpath(folder + QStringLiteral("/Orvet.ini"));
          }) {}

    TOptions_F &form = options();

    void writeIni(const QString &text) {
        QFile f(ini());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QStringEncoder("windows-1251").encode(text));
        f.close();
        dm.FS1().readAll();
    }

    QString readIni() const {
        QFile f(ini());
        if (!f.open(QIODevice::ReadOnly))
            return QString();
        return QStringDecoder("windows-1251").decode(f.readAll());
    }
};

// Test macros return from the function they are in, so a script's checks
// live in a void body; the dialog's result is handed back as it stands.
ScriptedDialogHost::DialogScript script(std::function<void(TOptions_F *)> body) {
    return [body](QDialog *d) {
        body(qobject_cast<TOptions_F *>(d));
        return d->result();
    };
}

void showActive(QWidget *w) {
    w->show();
    QApplication::setActiveWindow(w);
    QVERIFY(QTest::qWaitForWindowActive(w));
}
} // namespace

class TestOptions : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }

    void okWritesAllElevenValuesInIndexOrder();
    void openFillsControlsAfreshFromStoredValues();
    void closeBoxAndEscChangeNothing();
    void enterPressesOk();
    void unconvertibleStoredValueShowsNoDialog_data();
    void unconvertibleStoredValueShowsNoDialog();
    void refusedWriteKeepsDialogOpen();
    void charactersTheFileCannotHoldAreRefused();
    void storedValuesReadWhenATableFails();
    void unreadableFileIsNeverWritten();
    void tabOrderAndLabels();
    void backupSettingsInTheirOwnGroupAndSection();
    void amendedDetailsAndCalendarOption();
};

void TestOptions::okWritesAllElevenValuesInIndexOrder() {
    Fixture fx;
    ScriptedDialogHost host;
    host.expectDialog(script([](TOptions_F *f) {
        f->Edit1->setText(QStringLiteral("ООО Ромашка"));
        f->Edit6->setText(QStringLiteral("\"Иванов И.И.\""));
        f->CalcEdit1->setValue(8.5);
        f->CheckBox1->setChecked(true);
        f->CalcEdit2->setValue(12000);
        f->Edit7->setText(QStringLiteral("Петрова"));
        f->detailField(WaybillDetails::OGRN)->setText(QStringLiteral("1027700132195"));
        f->detailField(WaybillDetails::Medrabotnik)->setText(QStringLiteral("Смирнова Е.В."));
        f->detailField(WaybillDetails::UdostoverenieSeriya)->setText(QStringLiteral("77 01"));
        f->detailField(WaybillDetails::UdostoverenieData)->setText(QStringLiteral("15.03.2021"));
        f->DetailSoobshenie->setCurrentIndex(2);
        QVERIFY(!f->CalendarOn->isChecked());
        f->BitBtn1->click();
    }));
    fx.dm.execute(QStringLiteral("Options_Main"));
    QCOMPARE(host.dialogTitles, QStringList{QStringLiteral("Настройки")});
    QVERIFY(host.errors.isEmpty());
    QCOMPARE(fx.form.result(), int(QDialog::Accepted));

    const QStringList lines = fx.readIni().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const QStringList expected = {
        QStringLiteral("[DataM]"),
        QStringLiteral("Organizaciya=ООО Ромашка"),
        QStringLiteral("Adress="),
        QStringLiteral("MarkaAvto="),
        QStringLiteral("GosNomer="),
        QStringLiteral("Voditel="),
        QStringLiteral("Utvejdaushiy=\"\"Иванов И.И.\"\""),
        QStringLiteral("Rashodna100km=8,5"),
        QStringLiteral("Winter=-1"),
        QStringLiteral("StartoviyProbeg=12000"),
        QStringLiteral("GlavBuh=Петрова"),
        QStringLiteral("Proveril=Главный бухгалтер"),
        // The waybill's details, in their own section after it.
        QStringLiteral("[Rekvizity]"),
        QStringLiteral("OGRN=1027700132195"),
        QStringLiteral("Telefon="),
        QStringLiteral("TipTS="),
        QStringLiteral("ModelTS="),
        QStringLiteral("Udostoverenie="),
        QStringLiteral("Kategoriya="),
        QStringLiteral("Medrabotnik=Смирнова Е.В."),
        QStringLiteral("Mehanik="),
        QStringLiteral("VidPerevozki="),
        QStringLiteral("UdostoverenieSeriya=77 01"),
        QStringLiteral("UdostoverenieData=15.03.2021"),
        QStringLiteral("VidSoobsheniya=пригородное"),
        // The automatic copies' own section, after the stored values.
        QStringLiteral("[Backup]"),
        QStringLiteral("Enabled=1"),
        QStringLiteral("Folder="),
        // The production calendar, off until the user turns it on.
        QStringLiteral("[Kalendar]"),
        QStringLiteral("Prazdniki=0"),
        // The surcharges to the norm and the tank, in a section of their own too.
        QStringLiteral("[Toplivo]"),
        QStringLiteral("Zima="),
        QStringLiteral("ZimaS="),
        QStringLiteral("ZimaPo="),
        QStringLiteral("Gorod="),
        QStringLiteral("Vozrast="),
        QStringLiteral("Kondicioner="),
        QStringLiteral("ObemBaka="),
    };
    QStringList trimmed;
    for (const QString &l : lines)
        if (!l.trimmed().isEmpty()) // the line between sections
            trimmed.append(l.trimmed());
    QCOMPARE(trimmed, expected);

    // Held as the kinds other commands convert from.
    StoredValues &v = fx.dm.FS1();
    QCOMPARE(v.value(StoredValues::Rashodna100km).typeId(), int(QMetaType::Double));
    QCOMPARE(v.value(StoredValues::Winter).typeId(), int(QMetaType::Bool));
    QCOMPARE(v.norm(), 8.5);
    QCOMPARE(v.winterFactor(), 1.1);

    // A fresh start reads back what was written, quotation marks included.
    StoredValues again(&fx.dm.iniFile());
    again.readAll();
    QCOMPARE(again.text(StoredValues::Utvejdaushiy), QStringLiteral("\"Иванов И.И.\""));
    QCOMPARE(again.number(StoredValues::StartoviyProbeg), 12000.0);
    QVERIFY(again.flag(StoredValues::Winter));
    WaybillDetails details(&fx.dm.iniFile());
    details.readAll();
    QCOMPARE(details.text(WaybillDetails::Medrabotnik), QStringLiteral("Смирнова Е.В."));
}

void TestOptions::openFillsControlsAfreshFromStoredValues() {
    Fixture fx;
    // An address longer than the field takes (written by hand, or by an
    // older version) is shown whole, so Ok cannot cut it.
    const QString address = QStringLiteral("г. Тверь, ").repeated(40).trimmed();
    fx.writeIni(
        QStringLiteral("[DataM]\nOrganizaciya=Автобаза\nAdress=%1\nGosNomer=А123ВС\nRashodna100km=9,25\n"
                       "Winter=-1\nStartoviyProbeg=45000\nGlavBuh=Сидоров\n[Rekvizity]\nMehanik=Кузнецов А.Н.\n")
            .arg(address));
    fx.dm.details().readAll();
    ScriptedDialogHost host;
    host.expectDialog(script([&](TOptions_F *f) {
        QCOMPARE(f->Edit1->text(), QStringLiteral("Автобаза"));
        QCOMPARE(f->Edit2->text(), address);
        // What is typed stops where the printed form would no longer show it whole.
        f->Edit3->setText(QStringLiteral("Lada Granta ").repeated(10));
        QCOMPARE(f->Edit3->text().size(), TOptions_F::maxLength(StoredValues::MarkaAvto));
        QCOMPARE(f->Edit4->text(), QStringLiteral("А123ВС"));
        QCOMPARE(f->CalcEdit1->value(), 9.25);
        QVERIFY(f->CheckBox1->isChecked());
        QCOMPARE(f->CalcEdit2->value(), 45000.0);
        QCOMPARE(f->Edit7->text(), QStringLiteral("Сидоров"));
        QCOMPARE(f->Edit8->text(), QStringLiteral("Главный бухгалтер"));
        QCOMPARE(f->detailField(WaybillDetails::Mehanik)->text(), QStringLiteral("Кузнецов А.Н."));
        // Edits left behind without Ok must not show up next time.
        f->Edit1->setText(QStringLiteral("черновик"));
        f->detailField(WaybillDetails::Mehanik)->setText(QStringLiteral("черновик"));
        f->CheckBox1->setChecked(false);
        f->CalcEdit1->setValue(1);
    }));
    host.expectDialog(script([](TOptions_F *f) {
        QCOMPARE(f->Edit1->text(), QStringLiteral("Автобаза"));
        QVERIFY(f->CheckBox1->isChecked());
        QCOMPARE(f->CalcEdit1->value(), 9.25);
        QCOMPARE(f->detailField(WaybillDetails::Mehanik)->text(), QStringLiteral("Кузнецов А.Н."));
    }));
    fx.dm.execute(QStringLiteral("Options_Main"));
    fx.dm.execute(QStringLiteral("Options_Main"));
    QCOMPARE(host.pendingDialogs(), 0);
    QVERIFY(host.errors.isEmpty());
}

void TestOptions::closeBoxAndEscChangeNothing() {
    Fixture fx;
    const QString before = QStringLiteral("[DataM]\nVoditel=Козлов\nRashodna100km=7\n");
    fx.writeIni(before);
    ScriptedDialogHost host;
    host.expectDialog(script([](TOptions_F *f) {
        showActive(f);
        f->Edit5->setText(QStringLiteral("Новиков"));
        f->CalcEdit1->setValue(11);
        f->CheckBox1->setChecked(true);
        QTest::keyClick(f->Edit5, Qt::Key_Escape);
        QVERIFY2(f->isVisible(), "Esc must not close the settings dialog");
        f->close();
        QVERIFY(!f->isVisible());
    }));
    fx.dm.execute(QStringLiteral("Options_Main"));
    QCOMPARE(fx.readIni(), before);
    QCOMPARE(fx.dm.FS1().text(StoredValues::Voditel), QStringLiteral("Козлов"));
    QCOMPARE(fx.dm.FS1().number(StoredValues::Rashodna100km), 7.0);
    QVERIFY(!fx.dm.FS1().flag(StoredValues::Winter));
}

void TestOptions::enterPressesOk() {
    Fixture fx;
    ScriptedDialogHost host;
    host.expectDialog(script([](TOptions_F *f) {
        showActive(f);
        f->Edit3->setFocus();
        QTest::keyClicks(f->Edit3, QStringLiteral("VAZ-2107"));
        QTest::keyClick(f->Edit3, Qt::Key_Return);
        QVERIFY(!f->isVisible());
    }));
    fx.dm.execute(QStringLiteral("Options_Main"));
    QVERIFY(host.errors.isEmpty());
    QVERIFY(fx.readIni().contains(QStringLiteral("MarkaAvto=VAZ-2107")));
}

void TestOptions::unconvertibleStoredValueShowsNoDialog_data() {
    QTest::addColumn<QString>("line");
    QTest::newRow("norm") << QStringLiteral("Rashodna100km=восемь");
    QTest::newRow("winter") << QStringLiteral("Winter=да");
    QTest::newRow("start") << QStringLiteral("StartoviyProbeg=12 000 км");
    QTest::newRow("empty norm") << QStringLiteral("Rashodna100km=");
    QTest::newRow("empty winter") << QStringLiteral("Winter=");
    QTest::newRow("infinite norm") << QStringLiteral("Rashodna100km=inf");
    QTest::newRow("start not a number") << QStringLiteral("StartoviyProbeg=nan");
}

void TestOptions::unconvertibleStoredValueShowsNoDialog() {
    QFETCH(QString, line);
    Fixture fx;
    fx.writeIni(QStringLiteral("[DataM]\n") + line + QLatin1Char('\n'));
    ScriptedDialogHost host;
    fx.dm.execute(QStringLiteral("Options_Main"));
    QVERIFY(host.dialogTitles.isEmpty());
    QCOMPARE(host.errors, QStringList{QStringLiteral("Invalid variant type conversion.")});
}

void TestOptions::refusedWriteKeepsDialogOpen() {
    Fixture fx(true);
    ScriptedDialogHost host;
    bool stayedOpen = false;
    host.expectDialog(script([&](TOptions_F *f) {
        f->show();
        f->Edit1->setText(QStringLiteral("Новая организация"));
        f->CalcEdit2->setValue(500);
        f->BitBtn1->click();
        stayedOpen = f->isVisible();
        f->close();
    }));
    fx.dm.execute(QStringLiteral("Options_Main"));
    QVERIFY(stayedOpen);
    QCOMPARE(host.errors.size(), 1);
    QVERIFY2(host.errors.first().startsWith(QStringLiteral("Unable to write to ")),
             qPrintable(host.errors.first()));
    // Memory already holds the new entries; only the file missed them.
    QCOMPARE(fx.dm.FS1().text(StoredValues::Organizaciya), QStringLiteral("Новая организация"));
    QCOMPARE(fx.dm.FS1().number(StoredValues::StartoviyProbeg), 500.0);
}

void TestOptions::charactersTheFileCannotHoldAreRefused() {
    Fixture fx;
    fx.writeIni(QStringLiteral("[DataM]\nAdress=г. Москва\n"));
    const QString before = fx.readIni();
    ScriptedDialogHost host;
    bool stayedOpen = false;
    host.expectDialog(script([&](TOptions_F *f) {
        f->show();
        f->Edit1->setText(QStringLiteral("ООО «Ромашка» №1"));
        f->Edit2->setText(QStringLiteral("г. Москва 😀"));
        f->BitBtn1->click();
        stayedOpen = f->isVisible();
        f->close();
    }));
    fx.dm.execute(QStringLiteral("Options_Main"));
    QVERIFY(stayedOpen);
    QCOMPARE(host.errors, QStringList{QStringLiteral("Поле «Адрес»: символ «😀» нельзя сохранить в файле настроек "
                                                     "(кодировка Windows-1251). Замените или удалите его.")});
    QCOMPARE(fx.dm.FS1().text(StoredValues::Organizaciya), QString()); // nothing taken over
    QCOMPARE(fx.readIni(), before);
}

// A table that fails to open does not keep the saved settings from being
// read, so the settings dialog's Ok cannot write defaults over them.
void TestOptions::storedValuesReadWhenATableFails() {
    Program p(QString(), [](const QString &folder) {
        QFile table(folder + QStringLiteral("/LPoezd.db"));
        QVERIFY(table.open(QIODevice::WriteOnly));
        table.write("not a table at all");
        QFile ini(folder + QStringLiteral("/Orvet.ini"));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write(QStringEncoder("windows-1251").encode(QStringLiteral("[DataM]\r\nOrganizaciya=ООО Ромашка\r\n"
                                                                       "Rashodna100km=9,5\r\n")));
    });
    QCOMPARE(p.host.errors.size(), 1);
    QVERIFY2(p.host.errors.first().contains(QStringLiteral("LPoezd.db")), qPrintable(p.host.errors.first()));
    QCOMPARE(p.dm.FS1().text(StoredValues::Organizaciya), QStringLiteral("ООО Ромашка"));
    QCOMPARE(p.dm.FS1().number(StoredValues::Rashodna100km), 9.5);
}

// A settings file that is there but cannot be read is reported at the
// start; the dialog's Ok then refuses to replace it with what it shows.
void TestOptions::unreadableFileIsNeverWritten() {
    Program p(QString(), [](const QString &folder) { // every read of the file fails
        QVERIFY(QFile::link(QStringLiteral("/proc/self/mem"), folder + QStringLiteral("/Orvet.ini")));
    });
    QCOMPARE(p.host.errors.size(), 1);
    QVERIFY(p.host.errors.first().startsWith(QStringLiteral("Не удалось прочитать файл настроек ")));
    bool stayedOpen = false;
    p.host.expectDialog(script([&](TOptions_F *f) {
        f->show();
        f->BitBtn1->click();
        stayedOpen = f->isVisible();
        f->close();
    }));
    p.dm.execute(Actions::Options_Main);
    QVERIFY(stayedOpen);
    QCOMPARE(p.host.errors.size(), 2);
    QVERIFY2(p.host.errors.last().startsWith(QStringLiteral("Файл настроек ")), qPrintable(p.host.errors.last()));
    QVERIFY(QFileInfo(p.ini()).isSymLink());
}

void TestOptions::tabOrderAndLabels() {
    Fixture fx;
    TOptions_F &f = fx.form;
    showActive(&f);
    QCOMPARE(QApplication::focusWidget(), f.CheckBox1);

    QStringList order{QApplication::focusWidget()->objectName()};
    for (int i = 0; i < 16 + WaybillDetails::Count + NormSurcharges::Count; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order.append(QApplication::focusWidget()->objectName());
    }
    // The waybill's details and the copies after Ok, before the round starts again.
    QStringList expected{"CheckBox1", "Edit1",     "Edit2",     "Edit3", "Edit4", "Edit5",
                         "Edit6",     "CalcEdit1", "CalcEdit2", "Edit8", "Edit7", "BitBtn1"};
    for (int i = 0; i < WaybillDetails::Count; ++i)
        expected.append(i == WaybillDetails::VidSoobsheniya ? f.DetailSoobshenie->objectName()
                                                            : f.detailField(i)->objectName());
    expected << "BackupOn" << "BackupFolder" << "BackupChoose" << "CalendarOn";
    for (int i = 0; i < NormSurcharges::Count; ++i)
        expected.append(f.fuelField(i)->objectName());
    QCOMPARE(order, expected << "CheckBox1");
    // Opened again, it starts from the first control, not where it was left.
    f.Edit2->setFocus(Qt::TabFocusReason);
    f.close();
    showActive(&f);
    QCOMPARE(QApplication::focusWidget(), f.CheckBox1);

    // Each label names its field and stands at its left on the same row.
    QList<QLabel *> labels = f.findChildren<QLabel *>();
    // The groups' labels are tested with their groups.
    labels.removeIf([&f](QLabel *l) { return l->parent() == f.BackupGroup || l->parent() == f.FuelGroup; });
    QCOMPARE(labels.size(), 10 + WaybillDetails::Count);
    for (QLabel *l : labels) {
        QWidget *field = l->buddy();
        QVERIFY2(field, qPrintable(l->text()));
        QCOMPARE(field->accessibleName(), l->text());
        QVERIFY(l->geometry().right() < field->geometry().left());
        QCOMPARE(l->geometry().center().y(), field->geometry().center().y());
    }
    QCOMPARE(f.Edit6->accessibleName(), QStringLiteral("\"Утверждаю\""));
    QCOMPARE(f.CheckBox1->accessibleName(), QStringLiteral("Зимний режим"));
    // Two columns: plate and approver to the right of make and driver, Ok right of all.
    QVERIFY(f.Edit4->x() > f.Edit3->geometry().right());
    QCOMPARE(f.Edit4->y(), f.Edit3->y());
    QCOMPARE(f.Edit6->x(), f.Edit4->x());
    QVERIFY(f.BitBtn1->x() > f.Edit1->geometry().right());
    QVERIFY(f.BitBtn1->isDefault());
    QCOMPARE(f.BitBtn1->text(), QStringLiteral("&Ok"));
    QVERIFY(f.width() >= 488 && f.height() >= 200);
    // The details' group stands under the fields of the eleven values, as wide as the dialog.
    const auto *group = f.findChild<QGroupBox *>();
    QVERIFY(group->y() > f.Edit7->geometry().bottom());
    QVERIFY(group->geometry().bottom() < f.height());
    QCOMPARE(group->x() + group->width() / 2, f.width() / 2);
    QVERIFY(group->isAncestorOf(f.detailField(WaybillDetails::VidPerevozki)));
    QVERIFY(!f.findChild<QPushButton *>(QStringLiteral("BitBtn2")));
    f.close();
}

// The copies' group sits under every drawn control and is read and written
// with the dialog, in its own section; [DataM] stays as it was.
void TestOptions::backupSettingsInTheirOwnGroupAndSection() {
    Fixture fx;
    fx.writeIni(QStringLiteral("[DataM]\r\nVoditel=Петров\r\n[Backup]\r\nEnabled=0\r\nFolder=/mnt/флешка\r\n"));
    TOptions_F &f = fx.form;
    for (QWidget *w : f.findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        if (w != f.BackupGroup && w != f.CalendarGroup && w != f.FuelGroup)
            QVERIFY2(w->geometry().bottom() < f.BackupGroup->y(), qPrintable(w->objectName()));
    QVERIFY(f.BackupGroup->geometry().bottom() < f.height());
    ScriptedDialogHost host;
    host.expectDialog(script([](TOptions_F *d) {
        QVERIFY(!d->BackupOn->isChecked());
        QCOMPARE(d->BackupFolder->text(), QStringLiteral("/mnt/флешка"));
        d->BackupOn->setChecked(true);
        d->BackupFolder->setText(QStringLiteral("  /srv/копии  "));
        d->BitBtn1->click();
    }));
    fx.dm.execute(Actions::Options_Main);
    QVERIFY(host.errors.isEmpty());
    const QString text = fx.readIni().remove(QLatin1Char('\r'));
    QVERIFY2(text.contains(QStringLiteral("[Backup]\nEnabled=1\nFolder=/srv/копии\n")), qPrintable(text));
    QVERIFY(text.startsWith(QStringLiteral("[DataM]\n")));
}

// A licence date that is no date and a kind of communication not among the
// four are refused before anything is written; the calendar option is
// read and written in its own section.
void TestOptions::amendedDetailsAndCalendarOption() {
    Fixture fx;
    fx.writeIni(QStringLiteral("[Kalendar]\nPrazdniki=1\n"));
    const QString before = fx.readIni();
    ScriptedDialogHost host;
    host.expectDialog(script([](TOptions_F *f) {
        f->show();
        QVERIFY(f->CalendarOn->isChecked());
        QCOMPARE(f->DetailSoobshenie->count(), 5); // empty and the four
        f->detailField(WaybillDetails::UdostoverenieData)->setText(QStringLiteral("31.02.2021"));
        f->BitBtn1->click();
        f->detailField(WaybillDetails::UdostoverenieData)->setText(QStringLiteral("28.02.2021"));
        f->DetailSoobshenie->setEditText(QStringLiteral("местное"));
        f->BitBtn1->click();
        QVERIFY(f->isVisible());
        f->DetailSoobshenie->setEditText(QStringLiteral("международное"));
        f->CalendarOn->setChecked(false);
        f->BitBtn1->click();
    }));
    fx.dm.execute(Actions::Options_Main);
    QCOMPARE(host.errors.size(), 2);
    QVERIFY(host.errors.at(0).startsWith(QStringLiteral("Поле «Дата выдачи»: «31.02.2021» - не дата")));
    QVERIFY(host.errors.at(1).startsWith(QStringLiteral("Поле «Вид сообщения»")));
    const QString text = fx.readIni().remove(QLatin1Char('\r'));
    QVERIFY2(text.contains(QStringLiteral("UdostoverenieData=28.02.2021\nVidSoobsheniya=международное\n")),
             qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("[Kalendar]\nPrazdniki=0")));
    QVERIFY(before != text);
}

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
