#include "data/statement/XlsStatement.h"

#include "core/LazyLibrary.h"
#include "core/OrvetError.h"
#include "data/statement/StatementFile.h"

#include <QDate>
#include <QFile>
#include <QSet>
#include <freexl.h>
#include <QElapsedTimer>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

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

namespace {
// FreeXL's functions, looked up before the child process starts.
struct Library {
    decltype(&::freexl_open) open = ORVET_LAZY(freexl(), freexl_open);
    decltype(&::freexl_close) close = ORVET_LAZY(freexl(), freexl_close);
    decltype(&::freexl_get_info) info = ORVET_LAZY(freexl(), freexl_get_info);
    decltype(&::freexl_get_worksheet_name) sheetName = ORVET_LAZY(freexl(), freexl_get_worksheet_name);
    decltype(&::freexl_select_active_worksheet) select = ORVET_LAZY(freexl(), freexl_select_active_worksheet);
    decltype(&::freexl_worksheet_dimensions) dimensions = ORVET_LAZY(freexl(), freexl_worksheet_dimensions);
    decltype(&::freexl_get_cell_value) cell = ORVET_LAZY(freexl(), freexl_get_cell_value);
};

// What the child writes: records of a tag and fixed-size fields, texts as
// a length and their UTF-8 bytes.
class Out {
public:
    explicit Out(int fd) : m_fd(fd) {}
    ~Out() { flush(); }
    template <typename T> void put(T v) { m_buffer.append(reinterpret_cast<const char *>(&v), sizeof v); spill(); }
    void text(const char *t) {
        const qint32 n = t ? qint32(qMin<size_t>(std::strlen(t), 1 << 20)) : 0;
        put(n);
        m_buffer.append(t, n);
        spill();
    }
    void flush() {
        for (qsizetype at = 0; at < m_buffer.size();) {
            const ssize_t n = ::write(m_fd, m_buffer.constData() + at, size_t(m_buffer.size() - at));
            if (n <= 0)
                _exit(3);
            at += n;
        }
        m_buffer.clear();
    }

private:
    void spill() {
        if (m_buffer.size() > (1 << 16))
            flush();
    }
    int m_fd;
    QByteArray m_buffer;
};

// The child's whole work: every sheet's name and non-empty cells, or the
// library's error. Nothing of the program's own runs here.
[[noreturn]] void readInChild(const Library &lib, const char *path, int fd) {
    {
        Out out(fd);
        const void *h = nullptr;
        const int code = lib.open(path, &h);
        unsigned int count = 0;
        if (code != FREEXL_OK || lib.info(h, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK) {
            out.put('E');
            out.put(qint32(code != FREEXL_OK ? code : FREEXL_BIFF_WORKBOOK_NOT_FOUND));
        } else {
            count = qMin(count, 0xFFFFu);
            out.put('N');
            out.put(qint32(count));
            for (unsigned int k = 0; k < count; ++k) {
                const char *name = nullptr;
                lib.sheetName(h, (unsigned short)k, &name);
                out.text(name);
            }
            for (unsigned int k = 0; k < count; ++k) {
                unsigned int rows = 0;
                unsigned short columns = 0;
                if (lib.select(h, (unsigned short)k) != FREEXL_OK ||
                    lib.dimensions(h, &rows, &columns) != FREEXL_OK) {
                    out.put('E');
                    out.put(qint32(FREEXL_BIFF_ILLEGAL_SHEET_INDEX));
                    break;
                }
                out.put('S');
                out.put(quint32(rows));
                out.put(quint16(columns));
                if (qint64(rows) * columns > StatementTable::MaxCells)
                    break; // refused by the parent from the size
                for (unsigned int r = 0; r < rows; ++r)
                    for (unsigned short c = 0; c < columns; ++c) {
                        FreeXL_CellValue v{};
                        if (lib.cell(h, r, c, &v) != FREEXL_OK) {
                            out.put('R');
                            out.put(quint32(r));
                            break;
                        }
                        if (v.type == FREEXL_CELL_NULL)
                            continue;
                        out.put('C');
                        out.put(quint32(r));
                        out.put(quint16(c));
                        out.put(qint32(v.type));
                        if (v.type == FREEXL_CELL_INT)
                            out.put(double(v.value.int_value));
                        else if (v.type == FREEXL_CELL_DOUBLE)
                            out.put(v.value.double_value);
                        else
                            out.text(v.value.text_value);
                    }
            }
        }
        out.put('Z');
        lib.close(h);
    }
    _exit(0);
}

// Reads what the child wrote, or says why not.
class In {
public:
    In(const QByteArray &data, const QString &fileName) : m_data(data), m_fileName(fileName) {}
    template <typename T> T get() {
        if (m_at + qsizetype(sizeof(T)) > m_data.size())
            notWorkbook(m_fileName, QStringLiteral("файл испорчен или обрезан"));
        T v;
        std::memcpy(&v, m_data.constData() + m_at, sizeof v);
        m_at += sizeof v;
        return v;
    }
    QByteArray text() {
        const qint32 n = get<qint32>();
        if (n < 0 || m_at + n > m_data.size())
            notWorkbook(m_fileName, QStringLiteral("файл испорчен или обрезан"));
        const QByteArray t = m_data.mid(m_at, n);
        m_at += n;
        return t;
    }

private:
    const QByteArray &m_data;
    QString m_fileName;
    qsizetype m_at = 0;
};

// Runs the library in a child process: a file crafted against it can crash
// or overrun only the child, which is given a few seconds and, outside the
// sanitizers' builds, a bounded address space.
QByteArray readThroughChild(const QString &path, const QString &fileName) {
    constexpr int Seconds = 10;
    constexpr qsizetype MaxOutput = 512 << 20;
    const Library lib;
    const QByteArray nativePath = QFile::encodeName(path);
    int fds[2];
    if (::pipe(fds) != 0)
        notWorkbook(fileName, QStringLiteral("не удалось начать чтение"));
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        notWorkbook(fileName, QStringLiteral("не удалось начать чтение"));
    }
    if (child == 0) {
        ::close(fds[0]);
#if !defined(__SANITIZE_ADDRESS__) && !(defined(__has_feature) && __has_feature(address_sanitizer))
        const rlimit memory{1ull << 30, 1ull << 30};
        ::setrlimit(RLIMIT_AS, &memory);
#endif
        readInChild(lib, nativePath.constData(), fds[1]);
    }
    ::close(fds[1]);
    QByteArray data;
    bool overrun = false;
    QElapsedTimer clock;
    clock.start();
    char buffer[1 << 16];
    for (;;) {
        const qint64 left = Seconds * 1000 - clock.elapsed();
        if (left <= 0) {
            overrun = true;
            break;
        }
        pollfd p{fds[0], POLLIN, 0};
        const int ready = ::poll(&p, 1, int(left));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready == 0)
            overrun = true;
        if (ready <= 0)
            break;
        const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        data.append(buffer, n);
        if (data.size() > MaxOutput)
            break;
    }
    ::close(fds[0]);
    ::kill(child, SIGKILL); // gone already, unless it overran
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (overrun)
        notWorkbook(fileName, QStringLiteral("чтение книги не закончилось за %1 секунд").arg(Seconds));
    if (data.size() > MaxOutput)
        notWorkbook(fileName, QStringLiteral("в книге больше данных, чем в любой выписке"));
    if (!data.endsWith('Z') || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        notWorkbook(fileName, QStringLiteral("файл испорчен или составлен со злым умыслом"));
    return data;
}

QVariant valueOf(qint32 type, const QByteArray &text) {
    const QString t = QString::fromUtf8(text);
    if (type == FREEXL_CELL_DATE || type == FREEXL_CELL_DATETIME) {
        const QDate date = QDate::fromString(t.left(10), Qt::ISODate);
        return date.isValid() ? QVariant(date) : QVariant(t);
    }
    return t;
}
} // namespace

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
    const QByteArray data = readThroughChild(path, fileName);
    In in(data, fileName);
    QList<StatementTable> tables;
    QStringList names;
    StatementRow row;
    const auto endRow = [&] {
        if (!tables.isEmpty() && !row.isBlank())
            tables.last().rows.append(row);
        row = StatementRow{};
    };
    for (char tag = in.get<char>(); tag != 'Z'; tag = in.get<char>()) {
        if (tag == 'E') {
            notWorkbook(fileName, why(in.get<qint32>()));
        } else if (tag == 'N') {
            const qint32 count = in.get<qint32>();
            for (qint32 k = 0; k < count; ++k) {
                const QString name = QString::fromUtf8(in.text());
                names.append(name.isEmpty() ? QStringLiteral("Лист%1").arg(k + 1) : name);
            }
        } else if (tag == 'S') {
            endRow();
            const quint32 rows = in.get<quint32>();
            const quint16 columns = in.get<quint16>();
            // Refused by the sheet's declared size, before a cell is read.
            if (qint64(rows) * columns > StatementTable::MaxCells)
                StatementTable::tooManyCells(fileName, 1);
            StatementTable table;
            table.fileName = fileName;
            table.sheet = int(tables.size());
            tables.append(table);
        } else if (tag == 'R') {
            notWorkbook(fileName, QStringLiteral("строка %1: ячейка не читается").arg(in.get<quint32>() + 1));
        } else if (tag == 'C' && !tables.isEmpty()) {
            const int r = int(in.get<quint32>()) + 1;
            const int c = in.get<quint16>();
            const qint32 type = in.get<qint32>();
            QVariant value;
            if (type == FREEXL_CELL_INT || type == FREEXL_CELL_DOUBLE)
                value = in.get<double>();
            else
                value = valueOf(type, in.text());
            if (value.typeId() == QMetaType::QString && value.toString().size() > StatementTable::MaxCellLength)
                StatementTable::tooLongCell(fileName, r);
            if (r != row.line) {
                endRow();
                row.line = r;
            }
            while (row.cells.size() < c)
                row.cells.append(QVariant(QString()));
            row.cells.append(value);
        } else {
            notWorkbook(fileName, QStringLiteral("файл испорчен или обрезан"));
        }
    }
    endRow();
    if (tables.isEmpty())
        notWorkbook(fileName, QStringLiteral("в книге нет листов"));
    for (StatementTable &t : tables)
        t.sheets = names.mid(0, tables.size());
    if (sheet >= 0 && sheet < tables.size())
        return tables.at(sheet);
    return StatementFile::firstRecognised(int(tables.size()), [&tables](int k) { return tables.at(k); });
}
