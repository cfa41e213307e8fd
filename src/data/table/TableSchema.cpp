#include "data/table/TableSchema.h"

#include "core/Names.h"
#include "core/OrvetError.h"
#include "data/table/Database.h"

#include <QSqlQuery>

namespace {
QString kindOf(const QString &type) {
    if (type == QLatin1String("table"))
        return QStringLiteral("таблица");
    if (type == QLatin1String("index"))
        return QStringLiteral("индекс");
    if (type == QLatin1String("trigger"))
        return QStringLiteral("триггер");
    if (type == QLatin1String("view"))
        return QStringLiteral("представление");
    return type;
}

bool same(const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) == 0; }
} // namespace

void TableSchema::check(Database &db, const QString &fileName, const QString &tableName, const FieldList &fields) {
    const QString schema = db.schemaFor(fileName);
    QSqlQuery objects = db.exec(QStringLiteral("SELECT type, name, tbl_name FROM \"%1\".sqlite_master").arg(schema));
    while (objects.next()) {
        const QString type = objects.value(0).toString(), name = objects.value(1).toString(),
                      table = objects.value(2).toString();
        bool known = false;
        if (type == QLatin1String("table"))
            known = same(name, tableName) || name == QLatin1String("sqlite_sequence");
        if (type == QLatin1String("index") && same(table, tableName)) {
            // SQLite's own, or "<table>_<field>" as the program makes them.
            known = name.startsWith(QLatin1String("sqlite_autoindex_"), Qt::CaseInsensitive);
            for (const FieldDef &f : fields)
                known = known || same(name, tableName + QLatin1Char('_') + f.name);
        }
        if (!known)
            throw OrvetError(QStringLiteral("В файле %1 лишний объект: %2 «%3»").arg(fileName, kindOf(type), name));
    }
    // The key: only an INTEGER PRIMARY KEY is filled in by SQLite itself.
    QSqlQuery columns = db.exec(QStringLiteral("PRAGMA \"%1\".table_info(\"%2\")").arg(schema, tableName));
    bool keyed = false;
    int keys = 0;
    while (columns.next()) {
        const int pk = columns.value(5).toInt();
        keys += pk > 0 ? 1 : 0;
        if (same(columns.value(1).toString(), Fields::ID))
            keyed = pk == 1 && same(columns.value(2).toString(), QStringLiteral("INTEGER"));
    }
    if (!keyed || keys != 1)
        throw OrvetError(QStringLiteral("В таблице %1 поле %2 не ключ таблицы (INTEGER PRIMARY KEY)")
                             .arg(fileName, Fields::ID));
}
