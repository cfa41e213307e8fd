#include "data/waybill/TankTable.h"

#include "core/ControlsHold.h"
#include "core/Names.h"
#include "data/table/Table.h"
#include "data/waybill/WaybillStore.h"

FieldList TankTable::fields() {
    return {{Fields::ID, FieldType::AutoInc},
            {Fields::IDJOIN, FieldType::Integer},
            {Fields::OSTVYEZD, FieldType::Float},
            {Fields::OSTVOZVR, FieldType::Float}};
}

TankLevels TankTable::read(const Table &tank, qint64 waybillId) {
    TankLevels levels;
    const QVariant departure = tank.lookup(Fields::IDJOIN, waybillId, Fields::OSTVYEZD);
    if (departure.isNull())
        return levels;
    levels.departure = tank.floatOf(departure);
    levels.arrival = tank.floatOf(tank.lookup(Fields::IDJOIN, waybillId, Fields::OSTVOZVR));
    return levels;
}

void TankTable::remove(Table &tank, qint64 waybillId) {
    const ControlsHold<Table> hold(tank);
    tank.setFilter(WaybillStore::dayRowsFilter(waybillId));
    tank.setFiltered(true);
    for (tank.first(); !tank.isEmpty(); tank.first())
        tank.deleteCurrent();
    tank.setFiltered(false);
    tank.setFilter(QString());
}

void TankTable::write(Table &tank, qint64 waybillId, const TankLevels &levels) {
    remove(tank, waybillId);
    tank.insertRecord({QVariant(), waybillId, levels.departure, levels.arrival});
}
