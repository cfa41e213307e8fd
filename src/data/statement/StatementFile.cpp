#include "data/statement/StatementFile.h"

#include "core/OrvetError.h"
#include "data/statement/CsvStatement.h"
#include "data/statement/StatementLayout.h"
#include "data/statement/XlsStatement.h"
#include "data/statement/XlsxStatement.h"

#include <QFile>
#include <QFileInfo>

namespace {
// An Office file of the older kind (an OLE2 compound file) says what it is
// by the names in its directory, written in UTF-16.
bool names(const QByteArray &bytes, QStringView name) {
    QByteArray utf16le;
    for (const QChar c : name)
        utf16le.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
    return bytes.contains(utf16le);
}

// An Office file of the older kind that names another program's document,
// or a workbook that Excel encrypted with a password. Any other is read as
// a workbook, and a broken one is said to be broken.
void refuseCompound(QFile &file, const QString &name) {
    const QByteArray bytes = file.readAll();
    if (names(bytes, u"EncryptedPackage"))
        throw OrvetError(QStringLiteral("Файл «%1» — книга Excel, защищённая паролем: программа её не откроет. "
                                        "Снимите пароль в Excel и сохраните книгу как .xlsx или .csv")
                             .arg(name));
    if (names(bytes, u"WordDocument") || names(bytes, u"PowerPoint Document"))
        throw OrvetError(QStringLiteral("Файл «%1» — документ Microsoft Office старого формата, а не выписка: "
                                        "сохраните выписку как .xlsx или .csv")
                             .arg(name));
}
} // namespace

StatementTable StatementFile::firstRecognised(int count, const std::function<StatementTable(int)> &readSheet) {
    StatementTable first;
    for (int k = 0; k < count; ++k) {
        StatementTable table = readSheet(k);
        if (StatementLayout::guess(table).complete())
            return table;
        if (k == 0)
            first = std::move(table);
    }
    return first;
}

StatementTable StatementFile::read(const QString &path, const Options &options) {
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
    if (file.peek(8) == QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8)) {
        refuseCompound(file, name);
        file.close();
        table = XlsStatement::read(path, name, options.sheet);
    } else if (file.peek(4) == QByteArray("PK\x03\x04", 4)) {
        file.close();
        table = XlsxStatement::read(path, name, options.sheet);
    } else {
        const QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            throw OrvetError(
                QStringLiteral("Не удалось прочитать файл «%1»: %2").arg(name, file.errorString()));
        table = CsvStatement::read(bytes, name, options.separator);
    }
    if (table.rows.isEmpty())
        throw OrvetError(QStringLiteral("Файл «%1» пуст: в нём нет ни одной строки").arg(name));
    return table;
}
