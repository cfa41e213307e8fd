#include "data/commands/ReferenceCommands.h"

#include "controls/CalcEdit.h"
#include "controls/DateEdit.h"
#include "controls/TimeEdit.h"
#include "core/DialogHost.h"
#include "core/Names.h"
#include "data/commands/OkFlag.h"
#include "data/TDM1.h"
#include "forms/TChesk_New_F.h"
#include "forms/TPoezd_New_F.h"

#include <QLineEdit>

ReferenceCommands::ReferenceCommands(TDM1 &dm) : m_dm(dm) {
    ActionList &actions = m_dm.actions();
    actions.setHandler(Actions::Enter_chesk, [this] { Enter_cheskExecute(); });
    actions.setHandler(Actions::Delete_chesk, [this] { Delete_cheskExecute(); });
    actions.setHandler(Actions::NamePoezd_new, [this] { NamePoezd_newExecute(); });
    actions.setHandler(Actions::NamePoezd_Del, [this] { NamePoezd_DelExecute(); });
}

void ReferenceCommands::Enter_cheskExecute() {
    TChesk_New_F *f = m_dm.Chesk_New_F();
    if (!f)
        return;
    f->setWindowTitle(QStringLiteral("Введение нового чека"));
    f->DateEdit1->setFocus(Qt::OtherFocusReason);
    f->DateEdit1->setDate(QDate::currentDate());
    f->CalcEdit1->setValue(0);
    f->CalcEdit2->setValue(0);
    {
        OkFlag<TChesk_New_F> ok(f, m_cheskAccepted);
        DialogHost::instance().execDialog(f);
    }
    if (!m_cheskAccepted)
        return;
    m_dm.Chesks().insertRecord(
        {QVariant(), f->DateEdit1->date(), f->CalcEdit1->value(), f->CalcEdit2->value()});
}

// Removes the receipt selected in the grid, that is the current one of the period's view.
void ReferenceCommands::Delete_cheskExecute() {
    Table &chesks = m_dm.Chesks();
    if (chesks.isEmpty())
        return;
    if (!DialogHost::instance().confirm(QStringLiteral("Вы действительно отите удалить чек?")))
        return;
    chesks.deleteCurrent();
}

void ReferenceCommands::NamePoezd_newExecute() {
    TPoezd_New_F *f = m_dm.Poezd_New_F();
    if (!f)
        return;
    f->setWindowTitle(QStringLiteral("Новый тип поездки"));
    f->Edit1->setFocus(Qt::OtherFocusReason);
    f->Edit1->clear();
    f->MaskEdit1->setText(QStringLiteral("09:00"));
    f->MaskEdit2->setText(QStringLiteral("18:00"));
    f->CalcEdit1->setValue(0);
    {
        OkFlag<TPoezd_New_F> ok(f, m_poezdAccepted);
        DialogHost::instance().execDialog(f);
    }
    if (!m_poezdAccepted)
        return;
    // The table binding cuts the name to the 32 characters of NAME.
    m_dm.LPoezd().insertRecord(
        {QVariant(), f->Edit1->text(), f->MaskEdit1->text(), f->MaskEdit2->text(), f->CalcEdit1->value()});
}

void ReferenceCommands::NamePoezd_DelExecute() {
    Table &trips = m_dm.LPoezd();
    if (trips.isEmpty())
        return;
    if (!DialogHost::instance().confirm(QStringLiteral("Вы действительно отите удалить запись о поездке?")))
        return;
    trips.deleteCurrent();
}
