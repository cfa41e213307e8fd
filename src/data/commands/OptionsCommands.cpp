#include "data/commands/OptionsCommands.h"

#include "controls/CalcEdit.h"
#include "core/DialogHost.h"
#include "core/Names.h"
#include "core/OrvetError.h"
#include "data/TDM1.h"
#include "forms/TOptions_F.h"
#include "settings/BackupSettings.h"
#include "settings/CalendarSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QLineEdit>

namespace {
const int TextIndexes[] = {StoredValues::Organizaciya, StoredValues::Adress,  StoredValues::MarkaAvto,
                           StoredValues::GosNomer,     StoredValues::Voditel, StoredValues::Utvejdaushiy,
                           StoredValues::GlavBuh,      StoredValues::Proveril};
} // namespace

OptionsCommands::OptionsCommands(TDM1 &dm) : m_dm(dm) {
    m_dm.actions().setHandler(Actions::Options_Main, [this] { Options_MainExecute(); });
    m_dm.actions().setHandler(Actions::Options_Main_Close, [this] { Options_Main_CloseExecute(); });
}

void OptionsCommands::Options_MainExecute() {
    TOptions_F *f = m_dm.Options_F();
    if (!f)
        return;
    const StoredValues &values = m_dm.FS1();
    f->setWindowTitle(QStringLiteral("Настройки"));
    // A number or flag typed into the file by hand fails here, before the dialog shows.
    const double norm = values.number(StoredValues::Rashodna100km);
    const bool winter = values.flag(StoredValues::Winter);
    const double start = values.number(StoredValues::StartoviyProbeg);
    for (int i : TextIndexes)
        f->setFieldText(i, values.text(i));
    for (int i = 0; i < WaybillDetails::Count; ++i)
        f->setDetailText(i, m_dm.details().text(i));
    f->CalcEdit1->setValue(norm);
    f->CheckBox1->setChecked(winter);
    f->CalcEdit2->setValue(start);
    fillBackupGroup();
    for (int i = 0; i < NormSurcharges::Count; ++i)
        f->fuelField(i)->setText(m_dm.surcharges().text(i));
    DialogHost::instance().execDialog(f);
}

// A refused write leaves the dialog open with the new values already held
// in memory; the action's error display reports it.
void OptionsCommands::Options_Main_CloseExecute() {
    TOptions_F *f = m_dm.Options_F();
    if (!f)
        return;
    // The file's code page holds Cyrillic but not every character; one it
    // cannot hold would come back as another, so the Ok is refused first.
    QList<QLineEdit *> fields;
    for (int i : TextIndexes)
        fields.append(f->textField(i));
    for (int i = 0; i < WaybillDetails::Count; ++i)
        fields.append(f->detailField(i));
    fields.append(f->BackupFolder);
    // The surcharges are checked before anything is held or written.
    NormSurcharges surcharges;
    for (int i = 0; i < NormSurcharges::Count; ++i)
        surcharges.setText(i, f->fuelField(i)->text().trimmed());
    if (const QString refused = surcharges.refusal(); !refused.isEmpty()) {
        f->fuelField(NormSurcharges::Zima)->setFocus(Qt::OtherFocusReason);
        throw OrvetError(refused);
    }
    f->CalcEdit1->checkTyped();
    f->CalcEdit2->checkTyped();
    for (QLineEdit *field : std::as_const(fields)) {
        if (const QString c = IniFile::unwritable(field->text()); !c.isEmpty()) {
            field->setFocus(Qt::OtherFocusReason);
            field->setSelection(int(field->text().indexOf(c)), int(c.size()));
            throw OrvetError(QStringLiteral("Поле «%1»: символ «%2» нельзя сохранить в файле настроек "
                                            "(кодировка Windows-1251). Замените или удалите его")
                                 .arg(field->accessibleName(), c));
        }
    }
    refuseDetails(*f);
    if (const QString refused = BackupSettings::refusal(m_dm.database().directory(), f->BackupFolder->text());
        !refused.isEmpty()) {
        f->BackupFolder->setFocus(Qt::OtherFocusReason);
        f->BackupFolder->selectAll();
        throw OrvetError(refused);
    }
    StoredValues &values = m_dm.FS1();
    for (int i = StoredValues::Organizaciya; i < StoredValues::Count; ++i) {
        switch (i) {
        case StoredValues::Rashodna100km:
            values.setValue(i, f->CalcEdit1->value());
            break;
        case StoredValues::Winter:
            values.setValue(i, f->CheckBox1->isChecked());
            break;
        case StoredValues::StartoviyProbeg:
            values.setValue(i, f->CalcEdit2->value());
            break;
        default:
            values.setValue(i, f->textField(i)->text());
            break;
        }
    }
    WaybillDetails &details = m_dm.details();
    for (int i = 0; i < WaybillDetails::Count; ++i)
        details.setText(i, f->detailField(i)->text());
    values.writeAll();
    details.writeAll();
    BackupSettings(&m_dm.iniFile()).write(f->BackupOn->isChecked(), f->BackupFolder->text().trimmed());
    CalendarSettings(&m_dm.iniFile()).write(f->CalendarOn->isChecked());
    for (int i = 0; i < NormSurcharges::Count; ++i)
        m_dm.surcharges().setText(i, surcharges.text(i));
    m_dm.surcharges().writeAll();
    f->accept();
}

// The printed form would otherwise carry a date that is none, or a kind of
// communication the order does not know.
void OptionsCommands::refuseDetails(TOptions_F &f) {
    QLineEdit *date = f.detailField(WaybillDetails::UdostoverenieData);
    const QString dateText = date->text().trimmed();
    if (!dateText.isEmpty() && !QDate::fromString(dateText, QStringLiteral("dd.MM.yyyy")).isValid()) {
        date->setFocus(Qt::OtherFocusReason);
        date->selectAll();
        throw OrvetError(QStringLiteral("Поле «Дата выдачи»: «%1» - не дата. Введите её как ДД.ММ.ГГГГ, "
                                        "например 15.03.2021")
                             .arg(dateText));
    }
    QLineEdit *kind = f.detailField(WaybillDetails::VidSoobsheniya);
    const QString kindText = kind->text().trimmed();
    if (!kindText.isEmpty() && !WaybillDetails::Soobsheniya.contains(kindText)) {
        f.DetailSoobshenie->setFocus(Qt::OtherFocusReason);
        kind->selectAll();
        throw OrvetError(QStringLiteral("Поле «Вид сообщения»: выберите из списка одно из четырёх: %1")
                             .arg(WaybillDetails::Soobsheniya.join(QStringLiteral(", "))));
    }
}

void OptionsCommands::fillBackupGroup() {
    TOptions_F *f = m_dm.Options_F();
    const BackupSettings backup(&m_dm.iniFile());
    f->BackupOn->setChecked(backup.enabled());
    f->BackupFolder->setText(backup.folder());
    f->CalendarOn->setChecked(CalendarSettings(&m_dm.iniFile()).enabled());
}
