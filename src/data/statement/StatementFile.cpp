#include "data/statement/StatementFile.h"

#include "core/OrvetError.h"
#include "data/statement/CsvStatement.h"
#include "data/statement/XlsxStatement.h"

#include <QFile>
#include <QFileInfo>

StatementTable StatementFile::read(const QString &path) {
    const QString name = QFileInfo(path).fileName();
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        throw OrvetError(QStringLiteral("Не удалось открыть файл «%1»: %2").arg(name, file.errorString()));
    if (file.size() > MaxSize)
        throw OrvetError(
            QStringLiteral("Файл «%1» больше 100 МБ: выписку такого размера программа не загружает")
                .arg(name));
    if (file.size() == 0)
        throw OrvetError(QStringLiteral("Файл «%1» пуст").arg(name));
    StatementTable table;
    if (file.peek(4) == QByteArray("PK\x03\x04", 4)) {
        file.close();
        table = XlsxStatement::read(path, name);
    } else {
        const QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            throw OrvetError(
                QStringLiteral("Не удалось прочитать файл «%1»: %2").arg(name, file.errorString()));
        table = CsvStatement::read(bytes, name);
    }
    if (table.rows.isEmpty())
        throw OrvetError(QStringLiteral("Файл «%1» пуст: в нём нет ни одной строки").arg(name));
    return table;
}
