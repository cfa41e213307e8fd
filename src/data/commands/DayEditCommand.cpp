#include "data/commands/DayEditCommand.h"

#include "controls/CalcEdit.h"
#include "controls/TFillComboBox.h"
#include "controls/TimeEdit.h"
#include "core/DialogHost.h"
#include "core/MemoryData.h"
#include "core/Names.h"
#include "core/NumberText.h"
#include "core/OrvetError.h"
#include "data/TDM1.h"
#include "data/commands/WaybillCommands.h"
#include "data/waybill/TripTypeList.h"
#include "data/waybill/WaybillRecalc.h"
#include "forms/TOrvet_New_Day_N_F.h"
#include "forms/TOrvet_New_F.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

namespace {
using M = MemoryData;

QString readingText(const QVariant &v) {
    return v.isNull() ? QString() : NumberText::general(v.toDouble());
}
} // namespace

DayEditCommand::DayEditCommand(TDM1 &dm) : m_dm(dm) {
    dm.actions().setHandler(Actions::New_Orvet_Day_Edit, [this] { New_Orvet_Day_EditExecute(); });
}

void DayEditCommand::New_Orvet_Day_EditExecute() {
    TOrvet_New_F *editor = m_dm.Orvet_New_F();
    TOrvet_New_Day_N_F *f = m_dm.Orvet_New_Day_N_F();
    if (!editor || !f)
        throw OrvetError(QStringLiteral("Окно редактирования дня не создано"));
    MemoryData &rows = *editor->MemoryData1;
    // A day off has nothing to edit; it becomes a working day by marking.
    if (rows.currentRow() < 0 || rows.asInteger(M::ID) == -1)
        return;
    const int row = rows.currentRow();

    f->setWindowTitle(TOrvet_New_Day_N_F::Caption);
    // The norm as it stands while the user types: a norm that is not a
    // number fails there, as it always has.
    const int day = rows.asString(M::Chislo).toInt();
    f->setFuelRule([this, editor, day](double distance) {
        return WaybillRecalc::fuelOn(distance, WaybillCommands::normOf(m_dm, editor->year(), editor->month()),
                                     day);
    });
    fillTrips(*f);
    f->CheckBox1->setChecked(rows.asInteger(M::Change) == 1);
    const double shown = fillControls(*f, rows);
    f->FillComboBox1->setFocus(Qt::OtherFocusReason);
    if (DialogHost::instance().execDialog(f) != QDialog::Accepted)
        return;
    rows.setCurrentRow(row);
    writeBack(*f, rows, shown);
}

// Names that differ only in letter case are listed once, as first written.
void DayEditCommand::fillTrips(TOrvet_New_Day_N_F &f) {
    TFillComboBox &box = *f.FillComboBox1;
    box.clear();
    const TripTypeList trips = TripTypeList::read(m_dm.LPoezd());
    for (int i = 0; i < trips.size(); ++i)
        if (box.findText(trips.at(i).name, Qt::MatchFixedString) < 0)
            box.addItem(trips.at(i).name);
}

double DayEditCommand::fillControls(TOrvet_New_Day_N_F &f, const MemoryData &rows) {
    f.Edit1->setText(rows.asString(M::Chislo));
    f.FillComboBox1->setEditText(rows.asString(M::Poezdka));
    f.MaskEdit1->setText(rows.asString(M::VROUT));
    f.MaskEdit2->setText(rows.asString(M::VRIN));
    f.Panel1->setText(readingText(rows.value(M::ProbOut)));
    f.Panel2->setText(readingText(rows.value(M::ProbIN)));
    // Setting the distance recomputes fuel and return reading when its text
    // changes; the stored fuel then replaces the computed one.
    f.CalcEdit1->setValue(rows.asFloat(M::Prob));
    f.showStoredFuel(rows.asFloat(M::Rashod));
    return f.CalcEdit1->value();
}

void DayEditCommand::writeBack(TOrvet_New_Day_N_F &f, MemoryData &rows, double shownDistance) {
    rows.setValue(M::Poezdka, f.FillComboBox1->currentText());
    rows.setValue(M::VROUT, f.MaskEdit1->text());
    rows.setValue(M::VRIN, f.MaskEdit2->text());
    // The distance box shows whole kilometres. A distance the user left as
    // it was keeps its stored value, fraction and all, so that the readings
    // and totals, which are not recomputed then, still agree with it.
    const double distance = f.CalcEdit1->value();
    const bool changed = distance != shownDistance;
    if (changed) {
        rows.setValue(M::Prob, distance);
        // The fuel shown for the new distance, so the fuel total follows it.
        if (const std::optional<double> fuel = f.typedFuel())
            rows.setValue(M::Rashod, *fuel);
    }
    rows.setValue(M::Change, f.CheckBox1->isChecked() ? 1 : 0);
    if (changed)
        m_dm.execute(Actions::New_Orvet_Recalk_List);
}
