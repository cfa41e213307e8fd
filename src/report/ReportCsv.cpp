#include "report/ReportCsv.h"

#include "report/ReportLines.h"

#include <QHash>
#include <QLocale>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>
#include <algorithm>

namespace {
constexpr double Tolerance = 0.5; // mm

struct Column {
    double left;
    double right;
};

struct Line {
    QList<const ReportItem *> cells;
    int band;
    QString shape; // the cells' places, to find the line printed most often
};

QString shapeOf(const QList<const ReportItem *> &cells) {
    QString shape;
    for (const ReportItem *cell : cells)
        shape +=
            QStringLiteral("%1-%2 ").arg(qRound(cell->rect.left() * 10)).arg(qRound(cell->rect.right() * 10));
    return shape;
}

QList<Line> linesOf(const PreparedReport &report) {
    QList<Line> lines;
    for (const ReportPage &page : report.pages()) {
        for (const ReportLine &line : ReportLines::of(page))
            lines.append({line.cells, line.cells.first()->band, shapeOf(line.cells)});
    }
    return lines;
}

// The table's columns: the cells of the line shape printed most often (of
// two as frequent, the one with more cells). A report without a repeated
// line gets a column at every left edge.
QList<Column> columnsOf(const QList<Line> &lines) {
    QHash<QString, int> counts;
    const Line *best = nullptr;
    for (const Line &line : lines) {
        const int count = ++counts[line.shape];
        if (!best || count > counts.value(best->shape) ||
            (count == counts.value(best->shape) && line.cells.size() > best->cells.size()))
            best = &line;
    }
    QList<Column> columns;
    if (best && counts.value(best->shape) > 1) {
        for (const ReportItem *cell : best->cells)
            columns.append({cell->rect.left(), cell->rect.right()});
        return columns;
    }
    QList<double> lefts;
    double right = 0.0;
    for (const Line &line : lines) {
        for (const ReportItem *cell : line.cells) {
            lefts.append(cell->rect.left());
            right = qMax(right, cell->rect.right());
        }
    }
    std::sort(lefts.begin(), lefts.end());
    for (const double left : lefts) {
        if (columns.isEmpty() || left > columns.last().left + Tolerance) {
            if (!columns.isEmpty())
                columns.last().right = left;
            columns.append({left, right});
        }
    }
    return columns;
}

// The column a cell starts in.
qsizetype columnAt(const QList<Column> &columns, double left) {
    qsizetype at = 0;
    for (qsizetype k = 0; k < columns.size(); ++k) {
        if (columns.at(k).left <= left + Tolerance)
            at = k;
    }
    return at;
}

void put(QStringList &row, qsizetype column, const QString &text, const QString &joiner) {
    const QString value = ReportLines::oneLine(text);
    if (value.isEmpty())
        return;
    QString &slot = row[column];
    slot = slot.isEmpty() ? value : slot + joiner + value;
}

// A header's lines as one row: each column named by every cell above it,
// top down ("Показания спидометра, км: при выезде").
QStringList headerRow(const QList<const ReportItem *> &cells, const QList<Column> &columns) {
    QList<const ReportItem *> ordered = cells;
    std::stable_sort(ordered.begin(), ordered.end(), [](const ReportItem *a, const ReportItem *b) {
        return a->rect.top() < b->rect.top() - Tolerance;
    });
    QStringList row(columns.size());
    for (const ReportItem *cell : ordered) {
        for (qsizetype k = 0; k < columns.size(); ++k) {
            const Column &c = columns.at(k);
            if (qMin(c.right, cell->rect.right()) - qMax(c.left, cell->rect.left()) > Tolerance)
                put(row, k, cell->text, QStringLiteral(": "));
        }
    }
    return row;
}

// A signed number as a spreadsheet reads one: sign, digits, one decimal
// mark. Grouped digits after a sign are not taken for one (a space is a
// formula operator in Excel).
bool isNumber(const QString &text) {
    static const QRegularExpression number(QStringLiteral("^[+-]?[0-9]+([.,][0-9]+)?$"));
    return number.match(text).hasMatch();
}

// A text a spreadsheet would take for a formula gets an apostrophe in
// front. Quoting alone does not help: Excel, and LibreOffice when it
// evaluates formulas on import, evaluate a quoted "=1+2" all the same;
// after an apostrophe both keep the whole field as text (showing the
// apostrophe) and evaluate nothing (seen in LibreOffice 7.4). Numbers
// ("-5,5") stay numbers.
QString field(const QString &value, QChar separator) {
    static const QString formulaStart = QStringLiteral("=+-@\t\r");
    const bool formula = !value.isEmpty() && formulaStart.contains(value.front()) && !isNumber(value);
    const QString text = formula ? QLatin1Char('\'') + value : value;
    if (!formula && !text.contains(separator) && !text.contains(QLatin1Char('"')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}
} // namespace

QChar ReportCsv::separatorFor(const QLocale &locale) {
    return locale.decimalPoint() == QLatin1String(",") ? QLatin1Char(';') : QLatin1Char(',');
}

QList<ReportCsv::Row> ReportCsv::table(const PreparedReport &report) {
    const QList<Line> lines = linesOf(report);
    const QList<Column> columns = columnsOf(lines);
    QList<Row> rows;
    QSet<QStringList> headers; // repeated on every page the table runs on: written once
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const Line &line = lines.at(i);
        Row row{QStringList(columns.size()), QList<const ReportItem *>(columns.size(), nullptr), false};
        if (line.cells.first()->columnHeader) {
            QList<const ReportItem *> cells;
            for (; i < lines.size() && lines.at(i).band == line.band; ++i)
                cells += lines.at(i).cells;
            --i;
            row.texts = headerRow(cells, columns);
            row.header = true;
            if (headers.contains(row.texts))
                continue;
            headers.insert(row.texts);
        } else {
            QList<int> fillers(columns.size(), 0);
            for (const ReportItem *cell : line.cells) {
                const qsizetype at = columnAt(columns, cell->rect.left());
                put(row.texts, at, cell->text, QStringLiteral(" "));
                row.items[at] = cell;
                ++fillers[at];
            }
            for (qsizetype k = 0; k < columns.size(); ++k)
                if (fillers.at(k) != 1)
                    row.items[k] = nullptr;
        }
        rows.append(row);
    }
    return rows;
}

QByteArray ReportCsv::write(const PreparedReport &report, QChar separator) {
    QString out;
    for (const Row &row : table(report)) {
        QStringList fields;
        for (const QString &text : row.texts)
            fields.append(field(text, separator));
        out += fields.join(separator) + QLatin1String("\r\n");
    }
    return QByteArray("\xEF\xBB\xBF") + out.toUtf8();
}
