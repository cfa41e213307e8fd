#include "data/commands/WaybillCommands.h"

#include "core/ControlsHold.h"
#include "core/DialogHost.h"
#include "core/MemoryData.h"
#include "core/Names.h"
#include "core/OrvetError.h"
#include "data/commands/EditorFields.h"
#include "data/commands/OkFlag.h"
#include "data/TDM1.h"
#include "data/waybill/MonthGenerator.h"
#include "data/waybill/ProductionCalendar.h"
#include "data/waybill/ReceiptSums.h"
#include "data/waybill/TankTable.h"
#include "data/waybill/WaybillNumber.h"
#include "data/waybill/WaybillRecalc.h"
#include "data/waybill/WaybillStore.h"
#include "forms/TOrvet_New_F.h"
#include "settings/CalendarSettings.h"

#include <QComboBox>
#include <QDir>
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

QString WaybillCommands::calendarMissingMessage(int year, const QString &file) {
    return QStringLiteral("В производственном календаре нет %1 года: праздничные дни и переносы выходных "
                          "этого года не учтены, поездки поставлены на дни с понедельника по пятницу. "
                          "Дни %1 года можно добавить в файл %2.")
        .arg(year)
        .arg(QDir::toNativeSeparators(file));
}

WaybillCommands::WaybillCommands(TDM1 &dm) : m_dm(dm) {
    ActionList &a = dm.actions();
    a.setHandler(Actions::New_Orvet, [this] { New_OrvetExecute(); });
    a.setHandler(Actions::New_Orvet_Recalk_List, [this] { New_Orvet_Recalk_ListExecute(); });
    a.setHandler(Actions::New_Orvet_Mark_HDay, [this] { New_Orvet_Mark_HDayExecute(); });
    a.setHandler(Actions::New_Orvet_Mark_RDay, [this] { New_Orvet_Mark_RDayExecute(); });
}

TOrvet_New_F &WaybillCommands::editor() const { return EditorFields::editor(m_dm); }

bool WaybillCommands::isWinterMonth(int month) {
    return month <= 4 || month >= 11;
}

WaybillRecalc::Norm WaybillCommands::readNorm() const {
    const TOrvet_New_F &ed = editor();
    return normOf(m_dm, ed.year(), ed.month());
}

WaybillRecalc::Norm WaybillCommands::normOf(TDM1 &dm, int year, int month) {
    const StoredValues &v = dm.FS1();
    WaybillRecalc::Norm norm{v.norm(), v.winterFactor(), {}};
    norm.dayNorms = dm.surcharges().dayNorms(norm.litresPer100, year, month, v.flag(StoredValues::Winter));
    return norm;
}

void WaybillCommands::recalculate(TOrvet_New_F &ed, TripTypeList trips) {
    const WaybillRecalc::Norm norm = readNorm();
    WaybillHeader header = EditorFields::read(ed);
    const EditorState &state = m_dm.editorState();
    const double litres = ReceiptSums::CheskSummL(m_dm.Chesks(), header.year, header.month, state.daysInMonth);
    WaybillRecalc recalc(*ed.MemoryData1, state, std::move(trips), m_dm.random());
    // The month uses what was bought and what the tank gave; the label
    // still shows the receipts alone.
    WaybillTotals totals = recalc.recalculate(header.tank.used(litres), norm);
    totals.receiptLitres = litres;
    header.startReading = state.startReading;
    EditorFields::show(ed, header, totals);
}

void WaybillCommands::New_Orvet_Recalk_ListExecute() {
    recalculate(editor(), TripTypeList::read(m_dm.LPoezd()));
}

void WaybillCommands::New_Orvet_Mark_HDayExecute() {
    TOrvet_New_F &ed = editor();
    WaybillRecalc day(*ed.MemoryData1, m_dm.editorState(), TripTypeList::read(m_dm.LPoezd()), m_dm.random());
    if (day.markDayOff())
        recalculate(ed, day.tripTypes());
}

void WaybillCommands::New_Orvet_Mark_RDayExecute() {
    TOrvet_New_F &ed = editor();
    WaybillRecalc day(*ed.MemoryData1, m_dm.editorState(), TripTypeList::read(m_dm.LPoezd()), m_dm.random());
    if (ed.MemoryData1->currentRow() >= 0 && day.markWorkingDay(readNorm()))
        recalculate(ed, day.tripTypes());
}

qint64 WaybillCommands::store(TDM1 &dm, TOrvet_New_F &editor, std::optional<qint64> replaceId) {
    const WaybillHeader header = EditorFields::read(editor);
    const double rubles =
        ReceiptSums::CheskSumRUB(dm.Chesks(), header.year, header.month, dm.editorState().daysInMonth);
    return WaybillStore(dm.database(), dm.Orvet(), dm.OrvetSost(), &dm.OrvetBak())
        .store(header, *editor.MemoryData1, rubles, replaceId);
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
    const double litres = ReceiptSums::sum(m_dm.Chesks(), from, m_dm.periodTo(), Fields::LITRS);
    if (!(litres > 0)) {
        host.showMessage(NoReceiptsMessage);
        return;
    }
    ed.setWindowTitle(NewCaption);

    // The month before continues into this one: its number and end reading.
    QString number = QStringLiteral("01");
    TankLevels tank;
    {
        Table &waybills = m_dm.Orvet();
        const ControlsHold<Table> hold(waybills);
        if (waybills.locate(Fields::DATE, from.addMonths(-1))) {
            state.startReading = waybills.asFloat(Fields::PROBE);
            number = WaybillNumber::next(waybills.asString(Fields::NUMBL));
            // The tank starts with what the last month left in it; until
            // the clerk enters the month's remainder it stays as it was.
            const qint64 previous = waybills.value(Fields::ID).toLongLong();
            tank.departure = TankTable::read(m_dm.OrvetBak(), previous).arrival;
            tank.arrival = tank.departure;
        } else {
            state.startReading = m_dm.FS1().number(StoredValues::StartoviyProbeg);
        }
    }

    // Read once: every draw of this command, the fitting's included, uses this list.
    TripTypeList trips = TripTypeList::read(m_dm.LPoezd());
    state.tripTypeCount = trips.size();

    const int year = from.year(), month = from.month();
    WaybillHeader header;
    header.number = number;
    header.year = year;
    header.yearText = QString::number(year);
    header.month = month;
    header.startReading = state.startReading;
    header.tank = tank;
    EditorFields::show(ed, header, WaybillTotals());
    // A winter period set with the surcharges decides winter by itself.
    if (isWinterMonth(month) && !m_dm.FS1().flag(StoredValues::Winter) &&
        !m_dm.surcharges().hasWinterPeriod())
        host.showMessage(WinterWarning);

    MonthGenerator::Month m;
    m.year = year;
    m.month = month;
    m.startReading = state.startReading;
    const WaybillRecalc::Norm norm = readNorm();
    m.norm = norm.litresPer100;
    m.winterFactor = norm.winterFactor;
    std::optional<ProductionCalendar> calendar;
    if (CalendarSettings(&m_dm.iniFile()).enabled()) {
        const QString dir = m_dm.database().directory();
        calendar = ProductionCalendar::load(dir);
        m.calendar = &*calendar;
        if (!calendar->covers(year) && !m_yearsSaidMissing.contains(year)) {
            m_yearsSaidMissing.insert(year);
            const QString file = QDir(dir).absoluteFilePath(ProductionCalendar::FileName);
            host.showMessage(calendarMissingMessage(year, file));
        }
    }
    m.dayNorms = norm.dayNorms;
    state.daysInMonth = QDate(year, month, 1).daysInMonth();
    m_dm.random().seedFromClock();
    MonthGenerator::generate(*ed.MemoryData1, trips, state.tripTypeCount, m_dm.random(), m);

    // Called directly, not through the action, so that its error ends this command.
    recalculate(ed, std::move(trips));

    {
        const OkFlag<TOrvet_New_F> ok(&ed, state.confirmed);
        host.execDialog(&ed);
    }
    if (state.confirmed)
        store(m_dm, ed);
}
