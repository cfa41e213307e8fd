#include "data/commands/WaybillCommands.h"

#include "core/ControlsHold.h"
#include "core/DialogHost.h"
#include "core/MemoryData.h"
#include "core/Names.h"
#include "core/OrvetError.h"
#include "data/TDM1.h"
#include "data/waybill/MonthGenerator.h"
#include "data/waybill/WaybillNumber.h"
#include "data/waybill/WaybillRecalc.h"
#include "data/waybill/WaybillStore.h"
#include "forms/TOrvet_New_F.h"

#include <QComboBox>
#include <QLineEdit>

// The carriage return alone, without a line feed, is how these messages
// have always been written.
const QString WaybillCommands::NoTripTypesMessage =
    QStringLiteral("У Вас нет ни одного типа поездки! ") + QChar(13) +
    QStringLiteral("Добавть несколько типов и только после этого продолжайте ...");
const QString WaybillCommands::NoReceiptsMessage =
    QStringLiteral("Не ни одного бензинового чека за выбранный период! ") + QChar(13) +
    QStringLiteral("Добавть несколько чеков и только после этого продолжайте ...");
const QString WaybillCommands::WinterWarning =
    QStringLiteral("В настройках не отмечен зимний режим - проверьте !");
const QString WaybillCommands::NewCaption = QStringLiteral("Новый Путевой лист ");

WaybillCommands::WaybillCommands(TDM1 &dm) : m_dm(dm) {
    ActionList &a = dm.actions();
    a.setHandler(Actions::New_Orvet, [this] { New_OrvetExecute(); });
    a.setHandler(Actions::New_Orvet_Recalk_List, [this] { New_Orvet_Recalk_ListExecute(); });
    a.setHandler(Actions::New_Orvet_Mark_HDay, [this] { New_Orvet_Mark_HDayExecute(); });
    a.setHandler(Actions::New_Orvet_Mark_RDay, [this] { New_Orvet_Mark_RDayExecute(); });
}

TOrvet_New_F &WaybillCommands::editor() const {
    TOrvet_New_F *e = m_dm.Orvet_New_F();
    if (!e)
        throw OrvetError(QStringLiteral("Окно путевого листа не создано"));
    return *e;
}

bool WaybillCommands::isWinterMonth(int month) {
    return month <= 4 || month >= 11;
}

void WaybillCommands::New_Orvet_Recalk_ListExecute() {
    WaybillRecalc(m_dm, editor()).recalculate();
}

void WaybillCommands::New_Orvet_Mark_HDayExecute() {
    WaybillRecalc(m_dm, editor()).markDayOff();
}

void WaybillCommands::New_Orvet_Mark_RDayExecute() {
    WaybillRecalc(m_dm, editor()).markWorkingDay();
}

void WaybillCommands::New_OrvetExecute() {
    TOrvet_New_F &ed = editor();
    DialogHost &host = DialogHost::instance();
    EditorState &state = m_dm.editorState();

    if (m_dm.LPoezd().isEmpty()) {
        host.showMessage(NoTripTypesMessage);
        return;
    }
    const QDate from = m_dm.periodFrom();
    const double litres =
        WaybillRecalc::receiptSum(m_dm.Chesks(), from, m_dm.periodTo(), Fields::LITRS);
    if (!(litres > 0)) {
        host.showMessage(NoReceiptsMessage);
        return;
    }
    ed.setWindowTitle(NewCaption);

    // The month before continues into this one: its number and end reading.
    QString number = QStringLiteral("01");
    {
        Table &waybills = m_dm.Orvet();
        const ControlsHold<Table> hold(waybills);
        if (waybills.locate(Fields::DATE, from.addMonths(-1))) {
            state.startReading = waybills.asFloat(Fields::PROBE);
            number = WaybillNumber::next(waybills.asString(Fields::NUMBL));
        } else {
            state.startReading = m_dm.FS1().number(StoredValues::StartoviyProbeg);
        }
    }
    ed.Edit1->setText(number);

    // Read once: every draw of this command, the fitting's included, uses this list.
    TripTypeList trips = TripTypeList::read(m_dm.LPoezd());
    state.tripTypeCount = trips.size();

    const int year = from.year(), month = from.month();
    ed.setMonth(month);
    ed.Edit3->setText(QString::number(year));
    if (isWinterMonth(month) && !m_dm.FS1().flag(StoredValues::Winter))
        host.showMessage(WinterWarning);

    MonthGenerator::Month m;
    m.year = year;
    m.month = month;
    m.startReading = state.startReading;
    m.norm = m_dm.FS1().norm();
    m.winterFactor = m_dm.FS1().winterFactor();
    state.daysInMonth = QDate(year, month, 1).daysInMonth();
    m_dm.random().seedFromClock();
    MonthGenerator::generate(*ed.MemoryData1, trips, state.tripTypeCount, m_dm.random(), m);

    // Called directly, not through the action, so that its error ends this command.
    WaybillRecalc(m_dm, ed, std::move(trips)).recalculate();

    state.confirmed = false;
    host.execDialog(&ed);
    if (state.confirmed)
        WaybillStore::store(m_dm, ed);
}
