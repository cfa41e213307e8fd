#pragma once

#include <QtGlobal>
#include <optional>

class TDM1;
class TOrvet_New_F;

// Writes what the editor holds as a stored waybill: one header row, then one
// day row per editor row in their order, days off included. Everything is
// written in one transaction, so a failure stores nothing.
class WaybillStore {
public:
    // When replaceId names a stored waybill, its day rows and header are
    // deleted first, in the same transaction. Returns the new header's ID.
    static qint64 store(TDM1 &dm, TOrvet_New_F &editor, std::optional<qint64> replaceId = std::nullopt);

    // Deletes the day rows of one waybill (the day-row filter is left on
    // them, as the deletion has always left it) and then, when it can be
    // found, its header. Runs inside the caller's transaction.
    static void remove(TDM1 &dm, qint64 id);
};
