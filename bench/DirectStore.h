#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>
#include <vector>

class MemoryData;
class TOrvet_New_F;
struct sqlite3;
struct sqlite3_stmt;

// The yardstick for storing a waybill: the same header and day rows
// inserted through the SQLite C API in one transaction, on a connection set
// up as the program sets up its own (the four files attached, rollback
// journals, full sync). Use it on a copy of the folder: two connections on
// one file throw away each other's page cache at every write.
class DirectStore {
public:
    // The rows and header as the editor holds them; month: the waybill's first day.
    DirectStore(const QString &folder, const MemoryData &rows, const TOrvet_New_F &editor,
                const QDate &month);
    ~DirectStore();
    DirectStore(const DirectStore &) = delete;
    DirectStore &operator=(const DirectStore &) = delete;

    // Both throw std::runtime_error on an SQLite error.
    qint64 store();
    void remove(qint64 id);

private:
    struct Day {
        QByteArray chislo, cel, vrout, vrin;
        double sprobs, sprobe, prob, rashod;
    };
    void check(int rc) const;
    void exec(const QString &sql);
    void step(sqlite3_stmt *statement);

    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_header = nullptr;
    sqlite3_stmt *m_day = nullptr;
    QByteArray m_date, m_number, m_year, m_month;
    std::vector<Day> m_days;
};
