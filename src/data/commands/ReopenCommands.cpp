#include "data/commands/ReopenCommands.h"

#include "controls/CalcEdit.h"
#include "core/ControlsHold.h"
#include "core/DialogHost.h"
#include "core/MemoryData.h"
#include "core/Names.h"
#include "core/NumberText.h"
#include "core/OrvetError.h"
#include "data/TDM1.h"
#include "data/commands/EditorFields.h"
#include "data/commands/OkFlag.h"
#include "data/commands/WaybillCommands.h"
#include "data/waybill/ReceiptSums.h"
#include "data/waybill/TankTable.h"
#include "data/waybill/WaybillRecalc.h"
#include "data/waybill/WaybillStore.h"
#include "forms/TOrvet_New_F.h"

#include <QLabel>
#include <QLineEdit>

const QString ReopenCommands::EditCaption = QStringLiteral("Редактирование Путевого листа ");
const QString ReopenCommands::DeleteQuestion = QStringLiteral("Вы действительно отите удалить путевой лист?");

ReopenCommands::ReopenCommands(TDM1 &dm) : m_dm(dm) {
    ActionList &a = dm.actions();
    a.setHandler(Actions::New_Orvet_Edit, [this] { New_Orvet_EditExecute(); });
    a.setHandler(Actions::New_Orvet_Del, [this] { New_Orvet_DelExecute(); });
}

TOrvet_New_F &ReopenCommands::editor() const {
    return EditorFields::editor(m_dm);
}

void ReopenCommands::New_Orvet_EditExecute() {
    if (m_dm.Orvet().isEmpty())
        return;
    TOrvet_New_F &ed = editor();
    ed.setWindowTitle(EditCaption);
    const WaybillHeader header = readStored();
    const qint64 id = m_dm.Orvet().value(Fields::ID).toLongLong();
    fillDays(ed, id);
    showTotals(ed, header);

    EditorState &state = m_dm.editorState();
    {
        const OkFlag<TOrvet_New_F> ok(&ed, state.confirmed);
        DialogHost::instance().execDialog(&ed);
    }
    if (!state.confirmed)
        return;
    // The old header and rows go and the new ones come in one transaction:
    // a failure half-way leaves the stored waybill as it was.
    WaybillCommands::store(m_dm, ed, id);
}

WaybillHeader ReopenCommands::readStored() {
    EditorState &state = m_dm.editorState();
    Table &waybills = m_dm.Orvet();
    WaybillHeader h;
    state.startReading = waybills.asFloat(Fields::PROBB);
    h.startReading = state.startReading;
    h.number = waybills.asString(Fields::NUMBL);
    {
        Table &trips = m_dm.LPoezd();
        const ControlsHold<Table> hold(trips);
        state.tripTypeCount = trips.recordCount();
    }
    const QDate date = waybills.asDate(Fields::DATE);
    if (!date.isValid())
        throw OrvetError(QStringLiteral("Неверная дата путевого листа"));
    h.month = date.month();
    h.yearText = waybills.asString(Fields::YEAR);
    h.year = NumberText::integer(h.yearText);
    state.daysInMonth = date.daysInMonth();
    h.tank = TankTable::read(m_dm.OrvetBak(), waybills.value(Fields::ID).toLongLong());
    return h;
}

namespace {
// A reading or the fuel as stored: empty stays empty, a text is refused as
// the distance is, never read as 0.
QVariant storedNumber(const Table &days, const QString &field) {
    const QVariant v = days.value(field);
    return v.isNull() ? v : QVariant(days.floatOf(v));
}
} // namespace

void ReopenCommands::loadDay(MemoryData &rows, const Table &days, const Table &trips) {
    const QString trip = days.asString(Fields::CEL);
    const double distance = days.asFloat(Fields::PROB);
    if (trip.isEmpty() && distance == 0) {
        rows.insertRecord({-1, days.asString(Fields::CHISLO), QString(), QString(), QString()});
        return;
    }
    // Exact name, letter case included; the first of several of that name.
    const QVariant found = trip.isEmpty() ? QVariant() : trips.lookup(Fields::NAME, trip, Fields::ID);
    rows.insertRecord({found.isNull() ? 0 : found.toInt(), days.asString(Fields::CHISLO), trip,
                       days.asString(Fields::VROUT), days.asString(Fields::VRIN),
                       storedNumber(days, Fields::SPROBS), storedNumber(days, Fields::SPROBE), distance,
                       storedNumber(days, Fields::RASHOD)});
}

void ReopenCommands::fillDays(TOrvet_New_F &ed, qint64 id) {
    MemoryData &rows = *ed.MemoryData1;
    const ControlsHold<MemoryData> holdRows(rows);
    rows.clear();
    Table &days = m_dm.OrvetSost();
    const ControlsHold<Table> holdDays(days);
    days.setFilter(WaybillStore::dayRowsFilter(id));
    days.setFiltered(true);
    const Table &trips = m_dm.LPoezd();
    for (days.first(); !days.eof(); days.next())
        loadDay(rows, days, trips);
    rows.sortByChislo();
}

// The totals follow the days, and the end reading the totals, whatever was stored.
void ReopenCommands::showTotals(TOrvet_New_F &ed, const WaybillHeader &header) {
    WaybillTotals totals;
    totals.distance = WaybillRecalc::OrvetSummKM(*ed.MemoryData1);
    totals.fuel = WaybillRecalc::OrvetSummL(*ed.MemoryData1);
    totals.receiptLitres =
        ReceiptSums::CheskSummL(m_dm.Chesks(), header.year, header.month, m_dm.editorState().daysInMonth);
    EditorFields::show(ed, header, totals);
}

void ReopenCommands::New_Orvet_DelExecute() {
    Table &waybills = m_dm.Orvet();
    if (waybills.isEmpty())
        return;
    if (!DialogHost::instance().confirm(DeleteQuestion))
        return;
    const qint64 id = waybills.value(Fields::ID).toLongLong();
    // Rows and header go together or not at all; the list then stands on
    // the waybill after the deleted one (or the new last one).
    Transaction transaction(m_dm.database());
    WaybillStore(m_dm.database(), m_dm.Orvet(), m_dm.OrvetSost(), &m_dm.OrvetBak()).remove(id);
    transaction.commit();
}
