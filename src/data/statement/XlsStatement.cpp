#include "data/statement/XlsStatement.h"

#include "core/LazyLibrary.h"
#include "core/OrvetError.h"
#include "data/statement/StatementFile.h"

#include <QDate>
#include <QFile>
#include <QSet>
#include <freexl.h>
#include <memory>

namespace {
LazyLibrary &freexl() {
    static LazyLibrary library(QStringLiteral(ORVET_FREEXL_SONAME));
    return library;
}

[[noreturn]] void notWorkbook(const QString &fileName, const QString &why) {
    throw OrvetError(QStringLiteral("Файл «%1» не читается как книга Excel (XLS): %2").arg(fileName, why));
}

QString why(int code) {
    switch (code) {
    case FREEXL_INSUFFICIENT_MEMORY:
        return QStringLiteral("не хватило памяти");
    case FREEXL_BIFF_WORKBOOK_NOT_FOUND:
        return QStringLiteral("в файле нет книги");
    case FREEXL_CRAFTED_FILE:
        return QStringLiteral("файл испорчен или составлен со злым умыслом");
    case FREEXL_INVALID_CHARACTER:
    case FREEXL_UNSUPPORTED_CHARSET:
        return QStringLiteral("текст в неизвестной кодировке");
    default:
        return QStringLiteral("файл испорчен или обрезан (код %1)").arg(code);
    }
}

quint32 u32(const QByteArray &b, qint64 at) {
    if (at < 0 || at + 4 > b.size())
        return 0xFFFFFFFF;
    const auto *p = reinterpret_cast<const uchar *>(b.constData() + at);
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}
quint16 u16(const QByteArray &b, qint64 at) {
    if (at < 0 || at + 2 > b.size())
        return 0xFFFF;
    const auto *p = reinterpret_cast<const uchar *>(b.constData() + at);
    return quint16(p[0] | p[1] << 8);
}

// The compound file's sectors as its allocation table chains them; every
// chain ends, visits no sector twice and stays inside the file, or the
// file is broken.
class Compound {
public:
    explicit Compound(const QByteArray &file) : m_file(file) {
        const quint16 shift = u16(file, 0x1E);
        if (u16(file, 0x1C) != 0xFFFE || (shift != 9 && shift != 12) || u16(file, 0x20) != 6)
            return;
        m_sector = 1 << shift;
        // The table's own sectors: 109 in the header, the rest in a chain;
        // never more than the file has.
        const qint64 sectors = file.size() / m_sector;
        QList<quint32> fatSectors;
        for (int k = 0; k < 109; ++k)
            fatSectors.append(u32(file, 0x4C + 4 * k));
        quint32 difat = u32(file, 0x44);
        for (qint64 guard = 0; difat < 0xFFFFFFFA && guard < sectors && fatSectors.size() <= sectors + 109;
             ++guard) {
            for (int k = 0; k < m_sector / 4 - 1; ++k)
                fatSectors.append(u32(file, offset(difat) + 4 * k));
            difat = u32(file, offset(difat) + m_sector - 4);
        }
        QSet<quint32> seen;
        for (const quint32 s : std::as_const(fatSectors)) {
            if (s >= 0xFFFFFFFA)
                continue;
            if (offset(s) + m_sector > file.size() || seen.contains(s) || seen.size() > sectors)
                return;
            seen.insert(s);
            for (int k = 0; k < m_sector / 4; ++k)
                m_fat.append(u32(file, offset(s) + 4 * k));
        }
        m_valid = !m_fat.isEmpty();
    }
    bool valid() const { return m_valid; }

    // The bytes of a chain of `unit`-sized sectors of `source`, `size` of
    // them (-1: up to the chain's end); null when the chain is broken.
    static QByteArray chain(quint32 start, qint64 size, const QList<quint32> &table, const QByteArray &source,
                            qint64 base, int unit) {
        QByteArray out;
        QSet<quint32> seen;
        quint32 s = start;
        for (; size < 0 ? s != 0xFFFFFFFE : out.size() < size; s = table.value(s, 0xFFFFFFFF)) {
            if (s >= quint32(table.size()) || seen.contains(s))
                return {};
            seen.insert(s);
            const qint64 at = base + qint64(s) * unit;
            if (at + unit > source.size())
                return {};
            out.append(source.constData() + at, unit);
        }
        if (size >= 0)
            out.truncate(size);
        return out.isNull() ? QByteArray("") : out;
    }
    // A stream of the file's own sectors.
    QByteArray stream(quint32 start, qint64 size) const {
        return chain(start, size, m_fat, m_file, m_sector, m_sector);
    }
    qint64 offset(quint32 sector) const { return (qint64(sector) + 1) * m_sector; }

private:
    const QByteArray &m_file;
    int m_sector = 512;
    QList<quint32> m_fat;
    bool m_valid = false;
};

struct Closer {
    void operator()(const void *handle) const { ORVET_LAZY(freexl(), freexl_close)(handle); }
};
using Handle = std::unique_ptr<const void, Closer>;

QVariant valueOf(const FreeXL_CellValue &cell) {
    switch (cell.type) {
    case FREEXL_CELL_INT:
        return double(cell.value.int_value);
    case FREEXL_CELL_DOUBLE:
        return cell.value.double_value;
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME: {
        const QString text = QString::fromUtf8(cell.value.text_value);
        const QDate date = QDate::fromString(text.left(10), Qt::ISODate);
        return date.isValid() ? QVariant(date) : QVariant(text);
    }
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
    case FREEXL_CELL_TIME:
        return QString::fromUtf8(cell.value.text_value);
    default:
        return QString();
    }
}
} // namespace

qint64 XlsStatement::declaredCells(const QByteArray &file) {
    const Compound cf(file);
    if (!cf.valid())
        return -1;
    const QByteArray directory = cf.stream(u32(file, 0x30), -1);
    if (directory.size() < 128)
        return -1;
    // The root entry holds the mini stream, where streams under 4 KB live.
    const auto entryStart = [&](qint64 e) { return u32(directory, e + 116); };
    const auto entrySize = [&](qint64 e) { return qint64(u32(directory, e + 120)); };
    QByteArray workbook;
    bool found = false;
    for (qint64 e = 0; e + 128 <= directory.size() && !found; e += 128) {
        const QString name =
            QString::fromUtf16(reinterpret_cast<const char16_t *>(directory.constData() + e),
                               qBound(0, u16(directory, e + 64) / 2 - 1, 31));
        if (directory.at(e + 66) != 2 || (name != QLatin1String("Workbook") && name != QLatin1String("Book")))
            continue;
        found = true;
        if (entrySize(e) >= qint64(u32(file, 0x38))) {
            workbook = cf.stream(entryStart(e), entrySize(e));
        } else {
            const QByteArray mini = cf.stream(entryStart(0), entrySize(0));
            const QByteArray miniFatBytes = cf.stream(u32(file, 0x3C), -1);
            QList<quint32> miniFat;
            for (qint64 k = 0; k + 4 <= miniFatBytes.size(); k += 4)
                miniFat.append(u32(miniFatBytes, k));
            if (!mini.isNull() && !miniFatBytes.isNull())
                workbook = Compound::chain(entryStart(e), entrySize(e), miniFat, mini, 0, 64);
        }
    }
    if (workbook.isNull())
        return -1;
    // The records: a type, a length, the data. DIMENSIONS gives a sheet's
    // last row and column (32-bit rows since BIFF8), SST the number of
    // distinct shared strings.
    qint64 declared = 0;
    for (qint64 at = 0; at + 4 <= workbook.size(); at += 4 + u16(workbook, at + 2)) {
        const quint16 type = u16(workbook, at), length = u16(workbook, at + 2);
        if (type == 0x0200 && length >= 14)
            declared += qint64(u32(workbook, at + 8)) * u16(workbook, at + 14);
        else if (type == 0x0200 && length >= 10)
            declared += qint64(u16(workbook, at + 6)) * u16(workbook, at + 10);
        else if (type == 0x00FC && length >= 8)
            declared += u32(workbook, at + 8);
    }
    return declared;
}

StatementTable XlsStatement::read(const QString &path, const QString &fileName, int sheet) {
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            throw OrvetError(QStringLiteral("Не удалось открыть файл «%1»: %2").arg(fileName, file.errorString()));
        const qint64 declared = declaredCells(file.readAll());
        if (declared < 0)
            notWorkbook(fileName, QStringLiteral("файл испорчен или обрезан"));
        if (declared > MaxDeclared)
            notWorkbook(fileName, QStringLiteral("книга объявляет больше %1 ячеек, это не выписка по карте")
                                      .arg(MaxDeclared));
    }
    const void *opened = nullptr;
    const int code = ORVET_LAZY(freexl(), freexl_open)(QFile::encodeName(path).constData(), &opened);
    const Handle handle(opened); // closed even when the opening failed
    if (code != FREEXL_OK)
        notWorkbook(fileName, why(code));
    unsigned int count = 0;
    if (ORVET_LAZY(freexl(), freexl_get_info)(opened, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK || count == 0)
        notWorkbook(fileName, QStringLiteral("в книге нет листов"));
    QStringList names;
    for (unsigned int k = 0; k < count && k < 0xFFFF; ++k) {
        const char *name = nullptr;
        ORVET_LAZY(freexl(), freexl_get_worksheet_name)(opened, (unsigned short)k, &name);
        names.append(name ? QString::fromUtf8(name) : QStringLiteral("Лист%1").arg(k + 1));
    }
    const auto readSheet = [&](int k) {
        if (ORVET_LAZY(freexl(), freexl_select_active_worksheet)(opened, (unsigned short)k) != FREEXL_OK)
            notWorkbook(fileName, QStringLiteral("не открывается лист «%1»").arg(names.at(k)));
        unsigned int rows = 0;
        unsigned short columns = 0;
        ORVET_LAZY(freexl(), freexl_worksheet_dimensions)(opened, &rows, &columns);
        // Refused by the sheet's declared size, before a cell is read.
        if (qint64(rows) * columns > StatementTable::MaxCells)
            StatementTable::tooManyCells(fileName, 1);
        StatementTable table;
        table.fileName = fileName;
        table.sheets = names;
        table.sheet = k;
        for (unsigned int r = 0; r < rows; ++r) {
            StatementRow row{int(r + 1), {}};
            for (unsigned short c = 0; c < columns; ++c) {
                FreeXL_CellValue cell{};
                if (ORVET_LAZY(freexl(), freexl_get_cell_value)(opened, r, c, &cell) != FREEXL_OK)
                    notWorkbook(fileName, QStringLiteral("строка %1: ячейка не читается").arg(r + 1));
                const QVariant value = valueOf(cell);
                if (value.typeId() == QMetaType::QString &&
                    value.toString().size() > StatementTable::MaxCellLength)
                    StatementTable::tooLongCell(fileName, row.line);
                row.cells.append(value);
            }
            while (!row.cells.isEmpty() && row.cells.constLast().toString().isEmpty() &&
                   row.cells.constLast().typeId() == QMetaType::QString)
                row.cells.removeLast();
            if (!row.isBlank())
                table.rows.append(row);
        }
        return table;
    };
    if (sheet >= 0 && sheet < names.size())
        return readSheet(sheet);
    return StatementFile::firstRecognised(int(names.size()), readSheet);
}
