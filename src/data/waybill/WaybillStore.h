#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

class Database;
class MemoryData;
class Table;
struct WaybillHeader;

// Writes a composed waybill as a stored one: one header row, then one day
// row per editor row in their order, days off included. Everything is
// written in one transaction, so a failure stores nothing.
class WaybillStore {
public:
    // `tank`, when given, is the table of the fuel in the tank, kept in step
    // with the headers in the same transaction.
    WaybillStore(Database &db, Table &headers, Table &days, Table *tank = nullptr)
        : m_db(db), m_headers(headers), m_days(days), m_tank(tank) {}

    // When replaceId names a stored waybill, its day rows and header are
    // deleted first, in the same transaction. `rubles` is the month's
    // receipt sum as it stands now. Returns the new header's ID.
    qint64 store(const WaybillHeader &header, const MemoryData &rows, double rubles,
                 std::optional<qint64> replaceId = std::nullopt);

    // Deletes the day rows of one waybill (the day-row filter is left on
    // them, as the deletion has always left it) and then, when it can be
    // found, its header. Runs inside the caller's transaction.
    void remove(qint64 id);

    // The day-row filter of one waybill: "IDJOIN=<id>".
    static QString dayRowsFilter(qint64 id);

private:
    Database &m_db;
    Table &m_headers;
    Table &m_days;
    Table *m_tank;
};
