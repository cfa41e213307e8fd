#pragma once

#include "data/table/FieldDef.h"
#include "data/waybill/WaybillValues.h"

#include <QtGlobal>

class Table;

// The fuel in the tank of each waybill, in a table file of its own
// ("OrvetBak.db": ID, IDJOIN, OSTVYEZD, OSTVOZVR), so that the four tables
// and everything that reads them stay as they are. A waybill without a row
// had an empty tank at both ends. The rows are written and deleted inside
// the transaction that writes or deletes their waybill.
class TankTable {
public:
    static FieldList fields();

    // The levels of one waybill; 0 and 0 without a row.
    static TankLevels read(const Table &tank, qint64 waybillId);
    // Replaces whatever row the waybill's ID has (one left by a waybill of
    // a restored copy that had the same ID, say) by one with `levels`.
    static void write(Table &tank, qint64 waybillId, const TankLevels &levels);
    // Deletes the rows of one waybill; the table is left unfiltered.
    static void remove(Table &tank, qint64 waybillId);
};
