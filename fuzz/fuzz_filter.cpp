// The filter parser over any text. A text it accepts must become SQL that
// SQLite prepares on the real table, with one bound value per parameter:
// nothing of the text may reach SQL but through a parameter.
#include "core/OrvetError.h"
#include "data/table/FilterParser.h"
#include "data/TDM1.h"

#include <QLocale>
#include <cstdint>
#include <cstdlib>
#include <sqlite3.h>

namespace {
struct Schema {
    const char *create;
    const char *select;
    FieldList fields;
};

sqlite3 *database() {
    static sqlite3 *db = [] {
        sqlite3 *d = nullptr;
        if (sqlite3_open(":memory:", &d) != SQLITE_OK)
            abort();
        return d;
    }();
    return db;
}

const Schema &schema(int which) {
    static const Schema all[] = {{"CREATE TABLE \"Chesks\" (\"ID\" INTEGER PRIMARY KEY, \"DATE\" DATE, "
                                  "\"LITRS\" REAL, \"SUMRUB\" REAL)",
                                  "SELECT \"ID\" FROM \"Chesks\" WHERE ", TDM1::receiptFields()},
                                 {"CREATE TABLE \"OrvetSost\" (\"ID\" INTEGER PRIMARY KEY, \"IDJOIN\" "
                                  "INTEGER, \"CHISLO\" VARCHAR(16), "
                                  "\"CEL\" VARCHAR(32), \"VROUT\" VARCHAR(16), \"VRIN\" VARCHAR(16), "
                                  "\"SPROBS\" REAL, \"SPROBE\" REAL, "
                                  "\"PROB\" REAL, \"RASHOD\" REAL)",
                                  "SELECT \"ID\" FROM \"OrvetSost\" WHERE ", TDM1::dayRowFields()}};
    return all[which];
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    for (int i = 0; i < 2; ++i)
        if (sqlite3_exec(database(), schema(i).create, nullptr, nullptr, nullptr) != SQLITE_OK)
            abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0)
        return 0;
    const Schema &s = schema(data[0] & 1);
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));
    FilterParser::Result r;
    try {
        r = FilterParser(s.fields).parse(text);
    } catch (const OrvetError &e) {
        if (e.message().isEmpty())
            abort(); // a refusal must say why
        return 0;
    }
    if (r.where.isEmpty())
        return 0;
    const QByteArray sql = QByteArray(s.select) + r.where.toUtf8();
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(database(), sql.constData(), int(sql.size()), &stmt, nullptr) != SQLITE_OK ||
        !stmt)
        abort();
    const int params = sqlite3_bind_parameter_count(stmt);
    sqlite3_finalize(stmt);
    if (params != r.binds.size())
        abort();
    return 0;
}
