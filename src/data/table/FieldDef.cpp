#include "data/table/FieldDef.h"

#include "core/Names.h"

QString FieldDef::sqlType() const {
    switch (type) {
    case FieldType::AutoInc:
        return QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
    case FieldType::Integer:
        return QStringLiteral("INTEGER");
    case FieldType::Date:
        return Fields::DATE;
    case FieldType::String:
        return QStringLiteral("VARCHAR(%1)").arg(size);
    case FieldType::Float:
        return QStringLiteral("REAL");
    }
    return QString();
}
