#include "data/statement/XlsxStatement.h"

#include "core/OrvetError.h"
#include "data/statement/StatementFile.h"
#include "data/statement/StatementReceipts.h"

#include <QFile>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <memory>
#include <unzip.h>

namespace {
// Far above any statement's sheet, far below what would exhaust memory: a
// small package that unpacks to gigabytes is refused, not unpacked.
constexpr quint64 MaxPartSize = 256ull * 1024 * 1024;
// And all the parts read together: three parts each under the bound above
// would still take gigabytes once parsed.
constexpr quint64 MaxTotalSize = 256ull * 1024 * 1024;

struct ZipCloser {
    void operator()(void *zip) const { unzClose(zip); }
};
using Zip = std::unique_ptr<void, ZipCloser>;

[[noreturn]] void notWorkbook(const QString &fileName, const QString &why) {
    throw OrvetError(QStringLiteral("Файл «%1» не читается как книга Excel (XLSX): %2").arg(fileName, why));
}

// What a part says it unpacks to; 0 when it is not there.
quint64 declaredSize(void *zip, const QString &name) {
    unz_file_info64 info{};
    if (unzLocateFile(zip, name.toUtf8().constData(), 0) != UNZ_OK ||
        unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
        return 0;
    return info.uncompressed_size;
}

// One part of the package, or a null array when it is not there. `budget`
// is what the parts still to be read may unpack to; it shrinks by the
// bytes actually unpacked, whatever the package declares.
QByteArray part(void *zip, const QString &name, const QString &fileName, quint64 &budget) {
    if (unzLocateFile(zip, name.toUtf8().constData(), 0) != UNZ_OK)
        return {};
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
        notWorkbook(fileName, QStringLiteral("повреждена часть %1").arg(name));
    if (info.uncompressed_size > MaxPartSize || info.uncompressed_size > budget)
        notWorkbook(fileName, QStringLiteral("часть %1 слишком велика").arg(name));
    if (unzOpenCurrentFile(zip) != UNZ_OK)
        notWorkbook(fileName, QStringLiteral("не открывается часть %1").arg(name));
    QByteArray data;
    data.reserve(qsizetype(info.uncompressed_size));
    char buffer[65536];
    int got = 0;
    while ((got = unzReadCurrentFile(zip, buffer, sizeof buffer)) > 0) {
        data.append(buffer, got);
        if (quint64(data.size()) > MaxPartSize || quint64(data.size()) > budget)
            break;
    }
    // A damaged entry shows as a read error or a failed check at the close.
    const int closed = unzCloseCurrentFile(zip);
    if (quint64(data.size()) > MaxPartSize || quint64(data.size()) > budget)
        notWorkbook(fileName, QStringLiteral("часть %1 слишком велика").arg(name));
    if (got < 0 || closed != UNZ_OK)
        notWorkbook(fileName, QStringLiteral("повреждена часть %1").arg(name));
    budget -= quint64(data.size());
    return data.isNull() ? QByteArray("") : data;
}

// The text of an element with its runs (<r><t>), phonetic hints left out.
QString textOf(QXmlStreamReader &xml) {
    QString text;
    const QStringView end = xml.name();
    int depth = 0;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (xml.name() == QLatin1String("rPh"))
                xml.skipCurrentElement();
            else if (xml.name() == QLatin1String("t"))
                text += xml.readElementText(QXmlStreamReader::IncludeChildElements);
            else
                ++depth;
        } else if (token == QXmlStreamReader::EndElement) {
            if (depth == 0 && xml.name() == end)
                break;
            --depth;
        }
    }
    return text;
}
} // namespace

int XlsxStatement::columnOf(const QString &reference) {
    int column = 0;
    qsizetype i = 0;
    for (; i < reference.size() && reference.at(i).isLetter(); ++i) {
        const char16_t c = reference.at(i).toUpper().unicode();
        if (c < 'A' || c > 'Z' || i >= 3)
            return -1;
        column = column * 26 + (c - 'A' + 1);
    }
    return i == 0 ? -1 : column - 1;
}

QStringList XlsxStatement::sharedStrings(const QByteArray &data, const QString &fileName) {
    QStringList strings;
    QXmlStreamReader xml(data);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("si"))
            strings.append(textOf(xml));
    }
    if (xml.hasError())
        notWorkbook(fileName, xml.errorString());
    return strings;
}

QList<XlsxStatement::Sheet> XlsxStatement::sheetsOf(const QByteArray &workbook, const QByteArray &relations) {
    QList<Sheet> sheets;
    QStringList ids;
    QXmlStreamReader wb(workbook);
    while (!wb.atEnd()) {
        if (wb.readNext() == QXmlStreamReader::StartElement && wb.name() == QLatin1String("sheet")) {
            QString id;
            for (const QXmlStreamAttribute &a : wb.attributes())
                if (a.name() == QLatin1String("id"))
                    id = a.value().toString();
            sheets.append({wb.attributes().value(QLatin1String("name")).toString(), QString()});
            ids.append(id);
        }
    }
    QXmlStreamReader rels(relations);
    while (!rels.atEnd()) {
        if (rels.readNext() != QXmlStreamReader::StartElement || rels.name() != QLatin1String("Relationship"))
            continue;
        const qsizetype k = ids.indexOf(rels.attributes().value(QLatin1String("Id")).toString());
        if (k < 0)
            continue;
        const QString target = rels.attributes().value(QLatin1String("Target")).toString();
        sheets[k].path = target.startsWith(QLatin1Char('/')) ? target.mid(1) : QStringLiteral("xl/") + target;
    }
    for (qsizetype k = 0; k < sheets.size(); ++k)
        if (sheets[k].path.isEmpty()) // the usual place, for a package without relations
            sheets[k].path = QStringLiteral("xl/worksheets/sheet%1.xml").arg(k + 1);
    return sheets;
}

QString XlsxStatement::firstSheetPath(const QByteArray &workbook, const QByteArray &relations) {
    const QList<Sheet> sheets = sheetsOf(workbook, relations);
    return sheets.isEmpty() ? QStringLiteral("xl/worksheets/sheet1.xml") : sheets.constFirst().path;
}

QSet<int> XlsxStatement::dateStyles(const QByteArray &data) {
    // The built-in formats that show a date (ECMA-376, 18.8.30), and any
    // format of the file's own with a day, month or year in it once its
    // quoted text, escapes and [colour] or [$-419] parts are taken out.
    static const QSet<int> builtIn{14, 15, 16, 17, 22, 27, 30, 36, 45, 46, 47, 50, 57};
    static const QRegularExpression literal(QStringLiteral("\"[^\"]*\"|\\\\.|\\[[^\\]]*\\]"));
    static const QRegularExpression datePart(QStringLiteral("[dmy]"),
                                             QRegularExpression::CaseInsensitiveOption);
    QSet<int> dateFormats = builtIn;
    QSet<int> styles;
    QXmlStreamReader xml(data);
    bool inCellXfs = false;
    int index = 0;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::EndElement && xml.name() == QLatin1String("cellXfs"))
            inCellXfs = false;
        if (token != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes a = xml.attributes();
        if (xml.name() == QLatin1String("numFmt")) {
            QString code = a.value(QLatin1String("formatCode")).toString();
            code.remove(literal);
            if (datePart.match(code).hasMatch())
                dateFormats.insert(a.value(QLatin1String("numFmtId")).toInt());
        } else if (xml.name() == QLatin1String("cellXfs")) {
            inCellXfs = true;
        } else if (inCellXfs && xml.name() == QLatin1String("xf")) {
            if (dateFormats.contains(a.value(QLatin1String("numFmtId")).toInt()))
                styles.insert(index);
            ++index;
        }
    }
    return styles; // a damaged style part costs only the dates' look
}

QList<StatementRow> XlsxStatement::sheetRows(const QByteArray &data, const QStringList &shared,
                                             const QSet<int> &dateStyles, const QString &fileName) {
    QList<StatementRow> rows;
    qsizetype cells = 0;
    QXmlStreamReader xml(data);
    StatementRow row;
    int nextRow = 1;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::EndElement && xml.name() == QLatin1String("row")) {
            if (!row.isBlank())
                rows.append(row);
            continue;
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("row")) {
            const int r = xml.attributes().value(QLatin1String("r")).toInt();
            row = StatementRow{r > 0 ? r : nextRow, {}};
            nextRow = row.line + 1;
        } else if (xml.name() == QLatin1String("c")) {
            const QXmlStreamAttributes a = xml.attributes();
            const QString type = a.value(QLatin1String("t")).toString();
            int column = columnOf(a.value(QLatin1String("r")).toString());
            if (column < 0)
                column = int(row.cells.size());
            QVariant value;
            QString raw;
            bool hasRaw = false;
            while (xml.readNextStartElement()) {
                if (xml.name() == QLatin1String("v")) {
                    raw = xml.readElementText();
                    hasRaw = true;
                } else if (xml.name() == QLatin1String("is")) {
                    value = textOf(xml);
                } else {
                    xml.skipCurrentElement();
                }
            }
            if (hasRaw) {
                if (type == QLatin1String("s")) {
                    bool ok = false;
                    const int index = raw.toInt(&ok);
                    if (!ok || index < 0 || index >= shared.size())
                        notWorkbook(fileName,
                                    QStringLiteral("строка %1: нет общей строки %2").arg(row.line).arg(raw));
                    value = shared.at(index);
                } else if (type.isEmpty() || type == QLatin1String("n")) {
                    bool ok = false;
                    const double number = raw.toDouble(&ok);
                    value = ok ? QVariant(number) : QVariant(raw);
                    if (ok && dateStyles.contains(a.value(QLatin1String("s")).toInt()))
                        if (const QDate date = StatementReceipts::dateOf(number); date.isValid())
                            value = date;
                } else {
                    value = raw; // str, b, e, d: as written
                }
            }
            if (column > 16383)
                continue;
            if (value.typeId() == QMetaType::QString && value.toString().size() > StatementTable::MaxCellLength)
                StatementTable::tooLongCell(fileName, row.line);
            cells += qMax<qsizetype>(1, column + 1 - row.cells.size());
            if (cells > StatementTable::MaxCells)
                StatementTable::tooManyCells(fileName, row.line);
            while (row.cells.size() <= column)
                row.cells.append(QVariant(QString()));
            row.cells[column] = value.isValid() ? value : QVariant(QString());
        }
    }
    if (xml.hasError())
        notWorkbook(fileName, xml.errorString());
    return rows;
}

StatementTable XlsxStatement::read(const QString &path, const QString &fileName, int sheet) {
    const Zip zip(unzOpen64(QFile::encodeName(path).constData()));
    if (!zip)
        notWorkbook(fileName, QStringLiteral("это не ZIP-архив"));
    quint64 budget = MaxTotalSize;
    const QByteArray workbook = part(zip.get(), QStringLiteral("xl/workbook.xml"), fileName, budget);
    if (workbook.isNull())
        notWorkbook(fileName, QStringLiteral("в архиве нет книги (xl/workbook.xml)"));
    QList<Sheet> sheets =
        sheetsOf(workbook, part(zip.get(), QStringLiteral("xl/_rels/workbook.xml.rels"), fileName, budget));
    if (sheets.isEmpty())
        sheets.append({QStringLiteral("Лист1"), QStringLiteral("xl/worksheets/sheet1.xml")});
    const QString stringsPath = QStringLiteral("xl/sharedStrings.xml");
    const QString stylesPath = QStringLiteral("xl/styles.xml");
    // The large parts, by the sizes the central directory gives, before
    // any of them is unpacked. One sheet is held at a time.
    quint64 largestSheet = 0;
    for (const Sheet &s : std::as_const(sheets))
        largestSheet = qMax(largestSheet, declaredSize(zip.get(), s.path));
    if (largestSheet + declaredSize(zip.get(), stringsPath) + declaredSize(zip.get(), stylesPath) > budget)
        notWorkbook(fileName, QStringLiteral("части книги вместе слишком велики"));
    const QByteArray strings = part(zip.get(), stringsPath, fileName, budget);
    const QByteArray styles = part(zip.get(), stylesPath, fileName, budget);
    const QStringList shared = strings.isNull() ? QStringList() : sharedStrings(strings, fileName);
    const QSet<int> dates = dateStyles(styles);
    QStringList names;
    for (const Sheet &s : std::as_const(sheets))
        names.append(s.name);
    const auto readSheet = [&](int k) {
        quint64 left = budget;
        const QByteArray data = part(zip.get(), sheets.at(k).path, fileName, left);
        if (data.isNull())
            notWorkbook(fileName, QStringLiteral("в архиве нет листа «%1» (%2)").arg(names.at(k), sheets.at(k).path));
        StatementTable table;
        table.fileName = fileName;
        table.sheets = names;
        table.sheet = k;
        table.rows = sheetRows(data, shared, dates, fileName);
        return table;
    };
    if (sheet >= 0 && sheet < sheets.size())
        return readSheet(sheet);
    return StatementFile::firstRecognised(int(sheets.size()), readSheet);
}
