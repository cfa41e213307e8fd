#include "data/waybill/WaybillStore.h"

#include "core/ControlsHold.h"
#include "core/MemoryData.h"
#include "core/Names.h"
#include "data/table/Database.h"
#include "data/table/Table.h"
#include "data/waybill/TankTable.h"
#include "data/waybill/WaybillValues.h"

QString WaybillStore::dayRowsFilter(qint64 id) {
    return Fields::IDJOIN + QLatin1Char('=') + QString::number(id);
}

void WaybillStore::remove(qint64 id) {
    {
        const ControlsHold<Table> hold(m_days);
        m_days.setFilter(dayRowsFilter(id));
        m_days.setFiltered(true);
        for (m_days.first(); !m_days.isEmpty(); m_days.first())
            m_days.deleteCurrent();
    }
    if (m_tank)
        TankTable::remove(*m_tank, id);
    const ControlsHold<Table> hold(m_headers);
    if (m_headers.locate(Fields::ID, id))
        m_headers.deleteCurrent();
}

qint64 WaybillStore::store(const WaybillHeader &header, const MemoryData &rows, double rubles,
                           std::optional<qint64> replaceId) {
    const QDate first(header.year, header.month, 1);
    Transaction transaction(m_db);
    if (replaceId)
        remove(*replaceId);

    const qint64 id =
        m_headers.insertRecord({QVariant(), first, header.number, header.yearText, header.monthName,
                                header.startReading, header.endReading, rubles, header.fuel});

    // Empty numbers are stored as 0 and empty texts as "": a day off's trip
    // and times are texts with nothing in them, not missing values.
    const auto text = [&rows](int r, int field) {
        const QString t = rows.stringAt(r, field);
        return t.isNull() ? QStringLiteral("") : t;
    };
    const ControlsHold<Table> hold(m_days);
    for (int r = 0; r < rows.recordCount(); ++r)
        m_days.insertRecord({QVariant(), id, text(r, MemoryData::Chislo), text(r, MemoryData::Poezdka),
                             text(r, MemoryData::VROUT), text(r, MemoryData::VRIN),
                             rows.floatAt(r, MemoryData::ProbOut), rows.floatAt(r, MemoryData::ProbIN),
                             rows.floatAt(r, MemoryData::Prob), rows.floatAt(r, MemoryData::Rashod)});
    if (m_tank)
        TankTable::write(*m_tank, id, header.tank);
    transaction.commit();
    return id;
}
