#include "data/waybill/WaybillStore.h"

#include "controls/CalcEdit.h"
#include "core/ControlsHold.h"
#include "core/MemoryData.h"
#include "core/Names.h"
#include "data/TDM1.h"
#include "data/waybill/WaybillRecalc.h"
#include "forms/TOrvet_New_F.h"

#include <QComboBox>
#include <QLineEdit>

void WaybillStore::remove(TDM1 &dm, qint64 id) {
    Table &days = dm.OrvetSost();
    {
        const ControlsHold<Table> hold(days);
        days.setFilter(QStringLiteral("IDJOIN=") + QString::number(id));
        days.setFiltered(true);
        for (days.first(); !days.isEmpty(); days.first())
            days.deleteCurrent();
    }
    Table &headers = dm.Orvet();
    const ControlsHold<Table> hold(headers);
    if (headers.locate(Fields::ID, id))
        headers.deleteCurrent();
}

qint64 WaybillStore::store(TDM1 &dm, TOrvet_New_F &editor, std::optional<qint64> replaceId) {
    const int year = editor.year();
    const QDate first(year, editor.month(), 1);
    // The rubles of the month as the receipts stand now.
    WaybillRecalc sums(dm, editor, TripTypeList());
    const double rubles = sums.CheskSumRUB();

    Transaction transaction(dm.database());
    if (replaceId)
        remove(dm, *replaceId);

    const qint64 id = dm.Orvet().insertRecord({QVariant(), first, editor.Edit1->text(), editor.Edit3->text(),
                                               editor.Edit2->currentText(), editor.CalcEdit1->value(),
                                               editor.CalcEdit2->value(), rubles, editor.CalcEdit4->value()});

    // Empty numbers are stored as 0 and empty texts as "": a day off's trip
    // and times are texts with nothing in them, not missing values.
    const MemoryData &rows = *editor.MemoryData1;
    const auto text = [&rows](int r, int field) {
        const QString t = rows.stringAt(r, field);
        return t.isNull() ? QStringLiteral("") : t;
    };
    Table &days = dm.OrvetSost();
    const ControlsHold<Table> hold(days);
    for (int r = 0; r < rows.recordCount(); ++r)
        days.insertRecord({QVariant(), id, text(r, MemoryData::Chislo), text(r, MemoryData::Poezdka),
                           text(r, MemoryData::VROUT), text(r, MemoryData::VRIN), rows.floatAt(r, MemoryData::ProbOut),
                           rows.floatAt(r, MemoryData::ProbIN), rows.floatAt(r, MemoryData::Prob),
                           rows.floatAt(r, MemoryData::Rashod)});
    transaction.commit();
    return id;
}
