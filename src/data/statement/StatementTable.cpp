#include "data/statement/StatementTable.h"

#include "core/DateText.h"
#include "core/OrvetError.h"

#include <QLocale>

QString StatementRow::text(qsizetype column) const {
    const QVariant v = cells.value(column);
    if (v.typeId() == QMetaType::Double)
        return QLocale().toString(v.toDouble(), 'g', 15);
    if (v.typeId() == QMetaType::QDate)
        return DateText::toText(v.toDate());
    return v.toString().trimmed();
}

bool StatementRow::isBlank() const {
    for (qsizetype c = 0; c < cells.size(); ++c)
        if (!text(c).isEmpty())
            return false;
    return true;
}

void StatementTable::tooManyCells(const QString &fileName, int line) {
    throw OrvetError(QStringLiteral("Файл «%1», строка %2: в файле больше %3 ячеек, это не выписка по карте")
                         .arg(fileName)
                         .arg(line)
                         .arg(MaxCells));
}

void StatementTable::tooLongCell(const QString &fileName, int line) {
    throw OrvetError(QStringLiteral("Файл «%1», строка %2: в ячейке больше %3 знаков, это не выписка по карте")
                         .arg(fileName)
                         .arg(line)
                         .arg(MaxCellLength));
}

qsizetype StatementTable::columnCount() const {
    qsizetype n = 0;
    for (const StatementRow &row : rows)
        n = qMax(n, row.cells.size());
    return n;
}
