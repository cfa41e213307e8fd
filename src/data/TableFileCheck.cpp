#include "data/TableFileCheck.h"

#include "data/Database.h"
#include "data/OrvetError.h"
#include "data/Table.h"

#include <QSqlQuery>

void TableFileCheck::verify(Database &db, const Table &table) {
    const QString file = table.fileName();
    QStringList problems;
    try {
        QSqlQuery q = db.exec(QStringLiteral("PRAGMA \"%1\".integrity_check(5)").arg(db.schemaFor(file)));
        while (q.next())
            problems.append(q.value(0).toString());
    } catch (const OrvetError &e) {
        problems = {e.message()};
    }
    if (problems != QStringList{QStringLiteral("ok")})
        throw OrvetError(
            QStringLiteral("Файл %1 повреждён: %2").arg(file, problems.join(QStringLiteral("; "))));
}
