#include "report/ReportXlsx.h"

#include "core/LazyLibrary.h"
#include "core/NumberText.h"
#include "core/OrvetError.h"
#include "report/ReportCsv.h"

#include <QDate>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include <QTemporaryDir>
#include <clocale>
#include <cmath>
#include <locale.h>
#include <map>
#include <memory>
#include <tuple>
#include <vector>
#include <xlsxwriter.h>

namespace {
constexpr double MillimetresPerCharacter = 1.9; // of the sheet's default font

QString columnName(int column) {
    QString name;
    for (int c = column + 1; c > 0; c = (c - 1) / 26)
        name.prepend(QChar(u'A' + (c - 1) % 26));
    return name;
}

QString sheetName(const QString &title) {
    QString name = title;
    name.replace(QRegularExpression(QStringLiteral("[\\[\\]:*?/\\\\]")), QStringLiteral(" "));
    name = name.simplified().left(31);
    return name.isEmpty() ? QStringLiteral("Отчёт") : name;
}

// One section of a template number format: the digits part becomes the
// spreadsheet's, the text around it is quoted.
QString formatSection(const QString &section) {
    static const QRegularExpression digits(QStringLiteral("[#0][#0,]*(\\.[#0]*)?|\\.[#0]+"));
    const QRegularExpressionMatch m = digits.match(section);
    if (!m.hasMatch())
        return section.isEmpty()
                   ? QString()
                   : QLatin1Char('"') + QString(section).remove(QLatin1Char('"')) + QLatin1Char('"');
    QString pattern = m.captured(0);
    const qsizetype point = pattern.indexOf(QLatin1Char('.'));
    const QString whole = point < 0 ? pattern : pattern.left(point);
    const QString fraction = point < 0 ? QString() : pattern.mid(point + 1);
    const qsizetype shown = fraction.count(QLatin1Char('0'));
    QString out;
    if (shown == 0 && !fraction.isEmpty())
        out = QStringLiteral("General"); // "12" and "12.5", never "12."
    else {
        out = whole.contains(QLatin1Char(',')) ? QStringLiteral("#,##0") : QStringLiteral("0");
        if (shown > 0)
            out += QLatin1Char('.') + QString(shown, QLatin1Char('0')) +
                   QString(fraction.size() - shown, QLatin1Char('#'));
    }
    // Signs and brackets stand in a number format as they are; words are quoted.
    static const QRegularExpression plain(QStringLiteral("^[-+() ]*$"));
    const auto quoted = [](const QString &text) {
        return plain.match(text).hasMatch() ? text : QLatin1Char('"') + text + QLatin1Char('"');
    };
    return quoted(section.left(m.capturedStart())) + out + quoted(section.mid(m.capturedEnd()));
}

// Opened on the first export, not at every start.
LazyLibrary &xlsxwriter() {
    static LazyLibrary library(QStringLiteral(ORVET_XLSXWRITER_SONAME));
    return library;
}

#define LXW(fn) ORVET_LAZY(xlsxwriter(), fn)

// Looked up before there is a workbook, so that closing one never fails.
struct WorkbookCloser {
    decltype(&::workbook_close) close;
    void operator()(lxw_workbook *wb) const {
        if (wb)
            close(wb);
    }
};

class SheetWriter {
public:
    SheetWriter(lxw_workbook *wb, const PreparedReport &report) : m_wb(wb), m_rows(ReportCsv::table(report)) {
        m_sheet = LXW(workbook_add_worksheet)(wb, sheetName(report.title()).toUtf8().constData());
    }

    void write() {
        findDataColumns();
        for (int r = 0; r < int(m_rows.size()); ++r)
            writeRow(r);
        addTables();
        setWidths();
    }

private:
    struct Range {
        int column = -1;
        int first = -1;
        int last = -1;
    };

    struct Style {
        QString numberFormat;
        bool bold = false;
        bool border = false;
        bool wrap = false;
        bool date = false;
        bool operator<(const Style &o) const {
            return std::tie(numberFormat, bold, border, wrap, date) <
                   std::tie(o.numberFormat, o.bold, o.border, o.wrap, o.date);
        }
    };

    lxw_format *format(const Style &style) {
        const auto found = m_formats.find(style);
        if (found != m_formats.end())
            return found->second;
        lxw_format *f = LXW(workbook_add_format)(m_wb);
        if (style.date)
            LXW(format_set_num_format)(f, "dd.mm.yyyy");
        else if (!style.numberFormat.isEmpty())
            LXW(format_set_num_format)(f, style.numberFormat.toUtf8().constData());
        if (style.bold)
            LXW(format_set_bold)(f);
        if (style.border)
            LXW(format_set_border)(f, LXW_BORDER_THIN);
        if (style.wrap) {
            LXW(format_set_text_wrap)(f);
            LXW(format_set_align)(f, LXW_ALIGN_VERTICAL_CENTER);
        }
        m_formats.emplace(style, f);
        return f;
    }

    static bool isData(const ReportItem *item) { return item && !item->field.isEmpty() && !item->total; }

    // Where each field's data cells are: their column and their rows.
    void findDataColumns() {
        for (int r = 0; r < int(m_rows.size()); ++r) {
            const QList<const ReportItem *> &items = m_rows.at(r).items;
            for (int c = 0; c < int(items.size()); ++c) {
                if (!isData(items.at(c)))
                    continue;
                Range &range = m_fields[items.at(c)->field];
                if (range.first < 0) {
                    range = {c, r, r};
                } else if (range.column == c) {
                    range.last = r;
                }
                if (items.at(c)->value.typeId() == QMetaType::Double) {
                    Range &numbers = m_numberColumns[c];
                    numbers.column = c;
                    numbers.first = numbers.first < 0 ? r : numbers.first;
                    numbers.last = r;
                }
            }
        }
    }

    bool rowIsData(int r) const {
        for (const ReportItem *item : m_rows.at(r).items)
            if (isData(item))
                return true;
        return false;
    }

    // A total: the template's SUM of a field, or a number right under the
    // data rows of a column of numbers that is their sum (a stored total
    // printed there, as the waybill's fuel under the days' fuel).
    QString totalFormula(int r, int c, const ReportItem &item) const {
        const Range *range = nullptr;
        if (item.total)
            range = m_fields.contains(item.field) ? &*m_fields.constFind(item.field) : nullptr;
        else if (item.field.isEmpty() && r > 0 && rowIsData(r - 1) && !rowIsData(r) &&
                 m_numberColumns.contains(c) &&
                 std::abs(columnSum(m_numberColumns.value(c)) - item.value.toDouble()) < 0.005)
            range = &*m_numberColumns.constFind(c);
        if (!range || range->first < 0)
            return {};
        return QStringLiteral("=SUM(%1%2:%1%3)")
            .arg(columnName(range->column))
            .arg(range->first + 1)
            .arg(range->last + 1);
    }

    double columnSum(const Range &range) const {
        double sum = 0;
        for (int r = range.first; r <= range.last; ++r) {
            const ReportItem *item = m_rows.at(r).items.value(range.column);
            if (isData(item) && item->value.typeId() == QMetaType::Double)
                sum += item->value.toDouble();
        }
        return sum;
    }

    void writeRow(int r) {
        const ReportCsv::Row &row = m_rows.at(r);
        for (int c = 0; c < int(row.texts.size()); ++c) {
            const ReportItem *item = row.items.at(c);
            Style style;
            style.bold = item && item->bold;
            style.border = item && item->frames != 0;
            style.wrap = row.header;
            const QString text = row.texts.at(c);
            if (row.header || !item) {
                if (!text.isEmpty() || style.border)
                    LXW(worksheet_write_string)(m_sheet, r, c, text.toUtf8().constData(), format(style));
                continue;
            }
            if (item->value.typeId() == QMetaType::QDate) {
                const QDate d = item->value.toDate();
                lxw_datetime when{d.year(), d.month(), d.day(), 0, 0, 0};
                style.date = true;
                LXW(worksheet_write_datetime)(m_sheet, r, c, &when, format(style));
                continue;
            }
            bool isNumber = item->value.typeId() == QMetaType::Double;
            double number = item->value.toDouble();
            // A number the template printed as text; "04", a waybill's or a
            // day's number, keeps its zero as text.
            static const QRegularExpression code(QStringLiteral("^0\\d"));
            if (!isNumber && !text.isEmpty() && !code.match(text).hasMatch())
                number = NumberText::parse(text, &isNumber);
            if (!isNumber) {
                LXW(worksheet_write_string)(m_sheet, r, c, text.toUtf8().constData(), format(style));
                continue;
            }
            style.numberFormat = ReportXlsx::numberFormat(item->format);
            const QString formula = totalFormula(r, c, *item);
            if (!formula.isEmpty())
                LXW(worksheet_write_formula_num)
                (m_sheet, r, c, formula.toUtf8().constData(), format(style), number);
            else
                LXW(worksheet_write_number)(m_sheet, r, c, number, format(style));
        }
    }

    // A column header with data rows right under it is an Excel table, so
    // that the clerk sorts and filters the days.
    void addTables() {
        for (int r = 0; r + 1 < int(m_rows.size()); ++r) {
            if (!m_rows.at(r).header || !rowIsData(r + 1))
                continue;
            int last = r + 1;
            while (last + 1 < int(m_rows.size()) && rowIsData(last + 1))
                ++last;
            const QStringList &titles = m_rows.at(r).texts;
            std::vector<QByteArray> names;
            std::vector<lxw_table_column> columns(titles.size());
            std::vector<lxw_table_column *> pointers;
            QSet<QString> used;
            for (int c = 0; c < int(titles.size()); ++c) {
                QString name = titles.at(c).simplified();
                if (name.isEmpty())
                    name = QStringLiteral("Столбец %1").arg(c + 1);
                for (int n = 2; used.contains(name.toLower()); ++n)
                    name = titles.at(c).simplified() + QStringLiteral(" (%1)").arg(n);
                used.insert(name.toLower());
                names.push_back(name.toUtf8());
            }
            Style header;
            header.bold = header.border = header.wrap = true;
            for (int c = 0; c < int(titles.size()); ++c) {
                columns[c] = lxw_table_column{};
                columns[c].header = names[c].data();
                columns[c].header_format = format(header);
                pointers.push_back(&columns[c]);
            }
            pointers.push_back(nullptr);
            lxw_table_options options{};
            options.style_type = LXW_TABLE_STYLE_TYPE_LIGHT;
            options.style_type_number = 1;
            options.columns = pointers.data();
            LXW(worksheet_add_table)(m_sheet, r, 0, last, lxw_col_t(titles.size() - 1), &options);
            r = last;
        }
    }

    void setWidths() {
        QHash<int, double> widths;
        for (const ReportCsv::Row &row : m_rows)
            for (int c = 0; c < int(row.items.size()); ++c)
                if (const ReportItem *item = row.items.at(c))
                    widths[c] = qMax(widths.value(c), item->rect.width());
        for (auto it = widths.cbegin(); it != widths.cend(); ++it)
            LXW(worksheet_set_column)
            (m_sheet, it.key(), it.key(), qBound(4.0, it.value() / MillimetresPerCharacter, 80.0), nullptr);
    }

    lxw_workbook *m_wb;
    lxw_worksheet *m_sheet = nullptr;
    QList<ReportCsv::Row> m_rows;
    std::map<Style, lxw_format *> m_formats;
    QHash<QString, Range> m_fields;    // by field
    QHash<int, Range> m_numberColumns; // data numbers by column
};
} // namespace

QString ReportXlsx::numberFormat(const QString &templateFormat) {
    if (templateFormat.isEmpty())
        return QStringLiteral("General");
    QStringList sections = templateFormat.split(QLatin1Char(';'));
    for (QString &s : sections)
        s = formatSection(s);
    // An empty third section hides zeros, in both formats.
    return sections.join(QLatin1Char(';'));
}

namespace {
// libxlsxwriter prints numbers through the C library, which follows the
// session's LC_NUMERIC: under ru_RU a number came out as "45252,5", which
// no spreadsheet reads as one. The book is written with C numbers, on
// this thread only and for the time of the write.
class CNumbers {
public:
    CNumbers() : m_c(::newlocale(LC_ALL_MASK, "C", locale_t(nullptr))), m_old(m_c ? ::uselocale(m_c) : nullptr) {}
    ~CNumbers() {
        if (m_c) {
            ::uselocale(m_old);
            ::freelocale(m_c);
        }
    }
    CNumbers(const CNumbers &) = delete;
    CNumbers &operator=(const CNumbers &) = delete;

private:
    locale_t m_c;
    locale_t m_old;
};
} // namespace

void ReportXlsx::write(const PreparedReport &report, const QString &fileName) {
    // libxlsxwriter writes where it is told: into a folder of our own
    // first, then over the file in one step.
    QTemporaryDir dir;
    const QString scratch = dir.filePath(QStringLiteral("report.xlsx"));
    const auto fail = [&fileName](const QString &why) {
        return OrvetError(QStringLiteral("Не удалось записать файл %1: %2").arg(fileName, why));
    };
    if (!dir.isValid())
        throw fail(dir.errorString());
    {
        const CNumbers numbers;
        const WorkbookCloser closer{LXW(workbook_close)};
        std::unique_ptr<lxw_workbook, WorkbookCloser> wb(
            LXW(workbook_new)(QFile::encodeName(scratch).constData()), closer);
        if (!wb)
            throw fail(QStringLiteral("не создаётся книга"));
        SheetWriter(wb.get(), report).write();
        const lxw_error closed = closer.close(wb.release());
        if (closed != LXW_NO_ERROR)
            throw fail(QString::fromUtf8(LXW(lxw_strerror)(closed)));
    }
    QFile made(scratch);
    if (!made.open(QIODevice::ReadOnly))
        throw fail(made.errorString());
    const QByteArray bytes = made.readAll();
    QSaveFile out(fileName);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
        throw fail(out.errorString());
}
