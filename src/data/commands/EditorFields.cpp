#include "data/commands/EditorFields.h"

#include "controls/CalcEdit.h"
#include "core/NumberText.h"
#include "core/OrvetError.h"
#include "data/TDM1.h"
#include "data/waybill/WaybillValues.h"
#include "forms/TOrvet_New_F.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

TOrvet_New_F &EditorFields::editor(TDM1 &dm) {
    TOrvet_New_F *e = dm.Orvet_New_F();
    if (!e)
        throw OrvetError(QStringLiteral("Окно путевого листа не создано"));
    return *e;
}

WaybillHeader EditorFields::read(const TOrvet_New_F &editor) {
    WaybillHeader h;
    h.year = editor.year();
    h.yearText = editor.Edit3->text();
    h.month = editor.month();
    h.monthName = editor.Edit2->currentText();
    h.number = editor.Edit1->text();
    h.startReading = editor.CalcEdit1->value();
    h.endReading = editor.CalcEdit2->value();
    h.fuel = editor.CalcEdit4->value();
    h.tank.departure = editor.TankOut->value();
    h.tank.arrival = editor.TankIn->value();
    return h;
}

void EditorFields::show(TOrvet_New_F &editor, const WaybillHeader &header, const WaybillTotals &totals) {
    editor.Edit1->setText(header.number);
    editor.setMonth(header.month);
    editor.Edit3->setText(header.yearText);
    editor.CalcEdit3->setValue(totals.distance);
    editor.CalcEdit4->setValue(totals.fuel);
    editor.Label9->setText(NumberText::general(totals.receiptLitres));
    editor.CalcEdit1->setValue(header.startReading);
    editor.CalcEdit2->setValue(editor.CalcEdit3->value() + header.startReading);
    editor.TankOut->setValue(header.tank.departure);
    editor.TankIn->setValue(header.tank.arrival);
}
