#include "DirectStore.h"

#include "core/MemoryData.h"
#include "forms/TOrvet_New_F.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <sqlite3.h>
#include <stdexcept>
#include <string>

namespace {
void bindText(sqlite3_stmt *s, int col, const QByteArray &v) {
    sqlite3_bind_text(s, col, v.constData(), int(v.size()), SQLITE_STATIC);
}
} // namespace

DirectStore::DirectStore(const QString &folder, const MemoryData &rows, const TOrvet_New_F &editor,
                         const QDate &month) {
    const QDir dir(folder);
    check(sqlite3_open_v2(dir.filePath(QStringLiteral("Orvet.db")).toUtf8().constData(), &m_db,
                          SQLITE_OPEN_READWRITE, nullptr));
    for (const char *schema : {"OrvetSost", "Chesks", "LPoezd"})
        exec(QStringLiteral("ATTACH DATABASE '%1' AS \"%2\"")
                 .arg(dir.filePath(QLatin1String(schema) + QStringLiteral(".db")), QLatin1String(schema)));
    for (const char *schema : {"main", "OrvetSost", "Chesks", "LPoezd"}) {
        exec(QStringLiteral("PRAGMA \"%1\".journal_mode=DELETE").arg(QLatin1String(schema)));
        exec(QStringLiteral("PRAGMA \"%1\".synchronous=FULL").arg(QLatin1String(schema)));
    }
    check(sqlite3_prepare_v2(
        m_db,
        "INSERT INTO \"main\".\"Orvet\" (\"DATE\", \"NUMBL\", \"YEAR\", \"MOUNTH\", \"PROBB\", "
        "\"PROBE\", \"SUMRUB\", \"SUMLITR\") VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
        -1, &m_header, nullptr));
    check(sqlite3_prepare_v2(
        m_db,
        "INSERT INTO \"OrvetSost\".\"OrvetSost\" (\"IDJOIN\", \"CHISLO\", \"CEL\", \"VROUT\", "
        "\"VRIN\", \"SPROBS\", \"SPROBE\", \"PROB\", \"RASHOD\") "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)",
        -1, &m_day, nullptr));
    m_date = month.toString(Qt::ISODate).toUtf8();
    m_number = editor.Edit1->text().toUtf8();
    m_year = editor.Edit3->text().toUtf8();
    m_month = editor.Edit2->currentText().toUtf8();
    for (int r = 0; r < rows.recordCount(); ++r)
        m_days.push_back(
            {rows.stringAt(r, MemoryData::Chislo).toUtf8(), rows.stringAt(r, MemoryData::Poezdka).toUtf8(),
             rows.stringAt(r, MemoryData::VROUT).toUtf8(), rows.stringAt(r, MemoryData::VRIN).toUtf8(),
             rows.floatAt(r, MemoryData::ProbOut), rows.floatAt(r, MemoryData::ProbIN),
             rows.floatAt(r, MemoryData::Prob), rows.floatAt(r, MemoryData::Rashod)});
}

DirectStore::~DirectStore() {
    sqlite3_finalize(m_header);
    sqlite3_finalize(m_day);
    sqlite3_close(m_db);
}

void DirectStore::check(int rc) const {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        throw std::runtime_error(std::string("SQLite: ") + (m_db ? sqlite3_errmsg(m_db) : "cannot open"));
}

void DirectStore::exec(const QString &sql) {
    check(sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, nullptr));
}

void DirectStore::step(sqlite3_stmt *statement) {
    check(sqlite3_step(statement));
    sqlite3_reset(statement);
}

qint64 DirectStore::store() {
    exec(QStringLiteral("BEGIN IMMEDIATE"));
    bindText(m_header, 1, m_date);
    bindText(m_header, 2, m_number);
    bindText(m_header, 3, m_year);
    bindText(m_header, 4, m_month);
    for (int c = 5; c <= 8; ++c)
        sqlite3_bind_double(m_header, c, 1000.0 * c);
    step(m_header);
    const sqlite3_int64 id = sqlite3_last_insert_rowid(m_db);
    for (const Day &d : m_days) {
        sqlite3_bind_int64(m_day, 1, id);
        bindText(m_day, 2, d.chislo);
        bindText(m_day, 3, d.cel);
        bindText(m_day, 4, d.vrout);
        bindText(m_day, 5, d.vrin);
        sqlite3_bind_double(m_day, 6, d.sprobs);
        sqlite3_bind_double(m_day, 7, d.sprobe);
        sqlite3_bind_double(m_day, 8, d.prob);
        sqlite3_bind_double(m_day, 9, d.rashod);
        step(m_day);
    }
    exec(QStringLiteral("COMMIT"));
    return id;
}

void DirectStore::remove(qint64 id) {
    exec(QStringLiteral("BEGIN IMMEDIATE; DELETE FROM \"OrvetSost\".\"OrvetSost\" WHERE \"IDJOIN\" = %1; "
                        "DELETE FROM \"main\".\"Orvet\" WHERE \"ID\" = %1; COMMIT")
             .arg(id));
}
