#include "data/backup/CopyCheck.h"

#include "core/Names.h"
#include "core/OrvetError.h"
#include "data/table/Database.h"
#include "data/table/Table.h"
#include "data/table/TableFileCheck.h"
#include "data/table/TableSchema.h"

#include <QFileInfo>
#include <QSqlQuery>

QList<CopyCheck::TableSpec> CopyCheck::specsOf(const QList<Table *> &tables) {
    QList<TableSpec> specs;
    for (const Table *t : tables)
        specs.append({t->fileName(), t->tableName(), t->fields()});
    return specs;
}

void CopyCheck::check(const QString &folder, const QList<TableSpec> &tables) {
    // Looked for first: opening a missing file would make an empty one.
    for (const TableSpec &s : tables)
        if (!QFileInfo(folder + QLatin1Char('/') + s.fileName).isFile())
            throw OrvetError(QStringLiteral("Нет файла %1").arg(s.fileName));
    Database db(folder);
    for (const TableSpec &s : tables) {
        TableFileCheck::lookOver(db, s.fileName);
        Table t(db, s.fileName, s.tableName, s.fields);
        t.open(); // throws when the table or one of its fields is missing
        TableSchema::check(db, s.fileName, s.tableName, s.fields);
    }
}

CopyCheck::Summary CopyCheck::summary(const QString &folder, const TableSpec &waybills) {
    if (!QFileInfo(folder + QLatin1Char('/') + waybills.fileName).isFile())
        throw OrvetError(QStringLiteral("Нет файла %1").arg(waybills.fileName));
    Database db(folder);
    const QString table =
        QStringLiteral("\"%1\".\"%2\"").arg(db.schemaFor(waybills.fileName), waybills.tableName);
    Summary s;
    QSqlQuery count = db.exec(QStringLiteral("SELECT count(*) FROM %1").arg(table));
    if (count.next())
        s.waybills = count.value(0).toInt();
    QSqlQuery last = db.exec(QStringLiteral("SELECT \"%2\", \"%3\", \"%4\" FROM %1 ORDER BY \"%5\" DESC LIMIT 1")
                                 .arg(table, Fields::MOUNTH, Fields::YEAR, Fields::NUMBL, Fields::ID));
    if (last.next()) {
        s.lastMonth = last.value(0).toString();
        s.lastYear = last.value(1).toString();
        s.lastNumber = last.value(2).toString();
    }
    return s;
}
