#include "report/ReportLines.h"

#include <algorithm>

namespace {
constexpr double SameLine = 0.5; // mm between tops that still count as one line

bool sameLine(const ReportItem *a, const ReportItem *b) {
    return a->band == b->band && qAbs(a->rect.top() - b->rect.top()) <= SameLine;
}
} // namespace

QList<ReportLine> ReportLines::of(const ReportPage &page) {
    QList<const ReportItem *> items;
    for (const ReportItem &item : page.items) {
        if (item.kind == ReportItem::Kind::Text)
            items.append(&item);
    }
    std::stable_sort(items.begin(), items.end(), [](const ReportItem *a, const ReportItem *b) {
        if (a->band != b->band)
            return a->band < b->band;
        if (!sameLine(a, b))
            return a->rect.top() < b->rect.top();
        return a->rect.left() < b->rect.left();
    });
    QList<ReportLine> lines;
    const ReportItem *lineStart = nullptr;
    for (const ReportItem *item : items) {
        if (!lineStart || !sameLine(lineStart, item)) {
            lines.append(ReportLine());
            lineStart = item;
        }
        lines.last().cells.append(item);
    }
    lines.erase(std::remove_if(lines.begin(), lines.end(),
                               [](const ReportLine &line) {
                                   return std::all_of(
                                       line.cells.cbegin(), line.cells.cend(),
                                       [](const ReportItem *c) { return c->text.trimmed().isEmpty(); });
                               }),
                lines.end());
    return lines;
}

QString ReportLines::oneLine(const QString &text) {
    QString s = text;
    s.replace(QLatin1String("\r\n"), QLatin1String(" "));
    s.replace(QLatin1Char('\n'), QLatin1Char(' '));
    s.replace(QLatin1Char('\r'), QLatin1Char(' '));
    s.replace(QLatin1Char('\t'), QLatin1Char(' '));
    return s.trimmed();
}

QString ReportLines::reading(const ReportPage &page) {
    QStringList lines;
    for (const ReportLine &line : of(page)) {
        QStringList cells;
        for (const ReportItem *cell : line.cells) {
            const QString text = oneLine(cell->text);
            if (!text.isEmpty())
                cells.append(text);
        }
        lines.append(cells.join(QLatin1Char(' ')));
    }
    return lines.join(QLatin1Char('\n'));
}
