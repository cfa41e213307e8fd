#include "report/ReportExporter.h"

#include "core/OrvetError.h"
#include "report/ReportCsv.h"
#include "report/ReportLines.h"
#include "report/ReportRenderer.h"
#include "report/ReportXlsx.h"

#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QStringDecoder>

namespace {
QString textLine(const ReportLine &row) {
    QString line;
    const double w = ReportExporter::TextCharWidth;
    for (const ReportItem *cell : row.cells) {
        const QString text = ReportLines::oneLine(cell->text);
        if (text.isEmpty())
            continue;
        const qsizetype column = qMax<qsizetype>(0, qRound(cell->rect.left() / w));
        const qsizetype width = qMax<qsizetype>(0, qRound(cell->rect.width() / w));
        qsizetype start = column;
        if (cell->alignment & Qt::AlignRight)
            start = column + width - text.size() - 1;
        else if (cell->alignment & Qt::AlignHCenter)
            start = column + (width - text.size()) / 2;
        start = qMax(start, column);
        // Never write over the text before: a long value pushes on instead.
        if (!line.isEmpty())
            start = qMax(start, line.size() + 1);
        line += QString(start - line.size(), QLatin1Char(' ')) + text;
    }
    return line;
}

QString html(const QString &text) {
    QString s = text.toHtmlEscaped();
    s.replace(QLatin1Char('\''), QLatin1String("&#39;"));
    return s;
}

QString mm(double v) {
    return QString::number(v, 'f', 2);
}

QString htmlText(const ReportItem &item) {
    // Set as on paper, so that a browser shows the whole text too.
    const ReportRenderer::TextFit fit = ReportRenderer::fitText(item);
    QString style = QStringLiteral("left:%1mm;top:%2mm;width:%3mm;height:%4mm;font-size:%5pt;")
                        .arg(mm(item.rect.left()), mm(item.rect.top()), mm(item.rect.width()),
                             mm(item.rect.height()), QString::number(fit.fontSize, 'f', 2));
    if (item.bold)
        style += QLatin1String("font-weight:bold;");
    if (item.italic)
        style += QLatin1String("font-style:italic;");
    const QString border = QStringLiteral("%1mm solid #000;").arg(mm(item.lineWidth));
    // A full frame as an inset outline: neighbouring cells then share one
    // line instead of drawing two side by side, as on paper.
    if (item.frames == ReportItem::FrameAll)
        style += QLatin1String("outline:") + border +
                 QStringLiteral("outline-offset:-%1mm;").arg(mm(item.lineWidth / 2));
    else {
        if (item.frames & ReportItem::FrameLeft)
            style += QLatin1String("border-left:") + border;
        if (item.frames & ReportItem::FrameTop)
            style += QLatin1String("border-top:") + border;
        if (item.frames & ReportItem::FrameRight)
            style += QLatin1String("border-right:") + border;
        if (item.frames & ReportItem::FrameBottom)
            style += QLatin1String("border-bottom:") + border;
    }
    const Qt::Alignment a = item.alignment;
    style += a & Qt::AlignTop      ? QLatin1String("align-items:flex-start;")
             : a & Qt::AlignBottom ? QLatin1String("align-items:flex-end;")
                                   : QLatin1String("align-items:center;");
    style += a & Qt::AlignRight     ? QLatin1String("justify-content:flex-end;text-align:right;")
             : a & Qt::AlignHCenter ? QLatin1String("justify-content:center;text-align:center;")
                                    : QLatin1String("justify-content:flex-start;");
    if (fit.wrap)
        style += QLatin1String("white-space:pre-wrap;");
    return QStringLiteral("<div class=\"t\" style=\"%1\"><span>%2</span></div>\n")
        .arg(style, html(item.text));
}

// The sheet a browser prints on.
QString cssPageSize(const QSizeF &size) {
    if (QPageSize(size, QPageSize::Millimeter, {}, QPageSize::ExactMatch).id() == QPageSize::A4)
        return QStringLiteral("A4 portrait");
    return QStringLiteral("%1mm %2mm").arg(mm(size.width()), mm(size.height()));
}

QString htmlShapes(const ReportPage &page, const QSizeF &size) {
    QString shapes;
    for (const ReportItem &item : page.items) {
        if (item.kind == ReportItem::Kind::Line)
            shapes += QStringLiteral("<line x1=\"%1\" y1=\"%2\" x2=\"%3\" y2=\"%4\" stroke-width=\"%5\"/>\n")
                          .arg(mm(item.line.x1()), mm(item.line.y1()), mm(item.line.x2()), mm(item.line.y2()),
                               mm(item.lineWidth));
        else if (item.kind == ReportItem::Kind::Rect)
            shapes +=
                QStringLiteral("<rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" stroke-width=\"%5\"/>\n")
                    .arg(mm(item.rect.x()), mm(item.rect.y()), mm(item.rect.width()), mm(item.rect.height()),
                         mm(item.lineWidth));
    }
    if (shapes.isEmpty())
        return {};
    return QStringLiteral(
               "<svg class=\"s\" width=\"%1mm\" height=\"%2mm\" viewBox=\"0 0 %1 %2\" fill=\"none\" "
               "stroke=\"#000\">\n%3</svg>\n")
        .arg(mm(size.width()), mm(size.height()), shapes);
}

// What a reader without Unicode shows in place of a \uN: the character in
// the declared code page, else "?". Readers skip it as one character; a
// literal one ("?") made some take the digits after it for part of it.
QString rtfFallback(QChar c) {
    static const QHash<ushort, uchar> codePage = [] {
        QHash<ushort, uchar> table;
        QStringDecoder decode("windows-1251");
        for (int byte = 0x80; decode.isValid() && byte < 0x100; ++byte) {
            const QString decoded = decode(QByteArray(1, char(byte)));
            if (decoded.size() == 1 && decoded.at(0) != QChar::ReplacementCharacter)
                table.insert(decoded.at(0).unicode(), uchar(byte));
        }
        return table;
    }();
    const auto byte = codePage.constFind(c.unicode());
    return byte == codePage.cend() ? QStringLiteral("?")
                                   : QStringLiteral("\\'%1").arg(*byte, 2, 16, QLatin1Char('0'));
}

QString rtf(const QString &text) {
    QString out;
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if (c == QLatin1Char('\\') || c == QLatin1Char('{') || c == QLatin1Char('}'))
            out += QLatin1Char('\\') + c;
        else if (c == QLatin1Char('\n'))
            out += QLatin1String("\\line ");
        else if (u < 0x20)
            out += QLatin1Char(' ');
        else if (u < 0x80)
            out += c;
        else // RTF wants a signed 16-bit number; surrogate pairs go as two.
            out += QStringLiteral("\\u%1").arg(int(qint16(u))) + rtfFallback(c);
    }
    return out;
}

int twips(double millimetres) {
    return qRound(millimetres * 1440.0 / 25.4);
}

QString rtfRow(const ReportLine &row, double leftMargin) {
    QString stops, body;
    for (const ReportItem *cell : row.cells) {
        const double left = cell->rect.left() - leftMargin + ReportRenderer::TextPadding;
        const double right = cell->rect.right() - leftMargin - ReportRenderer::TextPadding;
        if (cell->alignment & Qt::AlignRight)
            stops += QStringLiteral("\\tqr\\tx%1").arg(qMax(1, twips(right)));
        else if (cell->alignment & Qt::AlignHCenter)
            stops += QStringLiteral("\\tqc\\tx%1").arg(qMax(1, twips((left + right) / 2)));
        else
            stops += QStringLiteral("\\tx%1").arg(qMax(1, twips(left)));
        // Joined, not arg()-chained: a text holding "%1" would be taken
        // for a place of the next argument.
        body += QLatin1String("\\tab\\fs") + QString::number(qRound(cell->fontSize * 2)) +
                (cell->bold ? QLatin1String("\\b ") : QLatin1String("\\b0 ")) +
                rtf(ReportLines::oneLine(cell->text)) + (cell->bold ? QLatin1String("\\b0 ") : QLatin1String());
    }
    return QLatin1String("\\pard\\plain\\f0") + stops + QLatin1Char(' ') + body + QLatin1String("\\par\n");
}

void writeFile(const QString &fileName, const QByteArray &data) {
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit())
        throw OrvetError(QStringLiteral("Не удалось записать файл %1: %2").arg(fileName, file.errorString()));
}

double leftMargin(const PreparedReport &report) {
    double left = report.pageSize().width();
    for (const ReportPage &page : report.pages()) {
        for (const ReportItem &item : page.items)
            left = qMin(left, item.kind == ReportItem::Kind::Line ? qMin(item.line.x1(), item.line.x2())
                                                                  : item.rect.left());
    }
    return qBound(0.0, left, 50.0);
}
} // namespace

std::optional<ReportExporter::Format> ReportExporter::formatOf(const QString &fileName) {
    static const QHash<QString, Format> bySuffix = {
        {QStringLiteral("frp"), Format::Prepared}, {QStringLiteral("txt"), Format::Text},
        {QStringLiteral("csv"), Format::Csv},      {QStringLiteral("htm"), Format::Html},
        {QStringLiteral("html"), Format::Html},    {QStringLiteral("rtf"), Format::Rtf},
        {QStringLiteral("pdf"), Format::Pdf},      {QStringLiteral("xlsx"), Format::Xlsx}};
    const auto found = bySuffix.constFind(QFileInfo(fileName).suffix().toLower());
    if (found == bySuffix.cend())
        return std::nullopt;
    return *found;
}

ReportExporter::Format ReportExporter::formatForFileName(const QString &fileName) {
    return formatOf(fileName).value_or(Format::Prepared);
}

void ReportExporter::exportFile(const PreparedReport &report, const QString &fileName, Format format) {
    switch (format) {
    case Format::Prepared:
        report.save(fileName);
        break;
    case Format::Text:
        writeFile(fileName, toText(report));
        break;
    case Format::Csv:
        writeFile(fileName, toCsv(report));
        break;
    case Format::Html:
        writeFile(fileName, toHtml(report));
        break;
    case Format::Rtf:
        writeFile(fileName, toRtf(report));
        break;
    case Format::Pdf:
        writePdf(report, fileName);
        break;
    case Format::Xlsx:
        ReportXlsx::write(report, fileName);
        break;
    }
}

QByteArray ReportExporter::toText(const PreparedReport &report) {
    QString out;
    const double shift = leftMargin(report);
    for (int p = 0; p < report.pageCount(); ++p) {
        if (p > 0)
            out += QLatin1Char('\f');
        for (ReportLine row : ReportLines::of(report.pages().at(p))) {
            QList<ReportItem> shifted;
            for (const ReportItem *cell : row.cells) {
                shifted.append(*cell);
                shifted.last().rect.translate(-shift, 0);
            }
            for (qsizetype i = 0; i < row.cells.size(); ++i)
                row.cells[i] = &shifted.at(i);
            out += textLine(row) + QLatin1Char('\n');
        }
    }
    return out.toUtf8();
}

QByteArray ReportExporter::toCsv(const PreparedReport &report) {
    return ReportCsv::write(report, ReportCsv::separatorFor(QLocale()));
}

QByteArray ReportExporter::toHtml(const PreparedReport &report) {
    const QSizeF size = report.pageSize();
    QString out =
        QStringLiteral(
            "<!DOCTYPE html>\n<html lang=\"ru\">\n<head>\n<meta charset=\"utf-8\">\n<title>%1</title>\n"
            "<style>\n@page{size:%5;margin:0}\n"
            "body{background:#888;margin:0;padding:8px;font-family:\"DejaVu Sans\",Arial,sans-serif}\n"
            ".page{position:relative;width:%2mm;height:%3mm;margin:0 auto 8px;background:#fff}\n"
            ".t{position:absolute;box-sizing:border-box;display:flex;padding:0 %4mm;white-space:nowrap;"
            "line-height:1.1}\n.s{position:absolute;left:0;top:0}\n"
            "@media print{body{background:none;padding:0}.page{margin:0;break-after:page}"
            ".page:last-child{break-after:auto}}\n</style>\n</head>\n<body>\n")
            .arg(html(report.title()), mm(size.width()), mm(size.height()), mm(ReportRenderer::TextPadding),
                 cssPageSize(size));
    for (const ReportPage &page : report.pages()) {
        out += QLatin1String("<div class=\"page\">\n");
        out += htmlShapes(page, size);
        for (const ReportItem &item : page.items) {
            if (item.kind == ReportItem::Kind::Text && (!item.text.isEmpty() || item.frames))
                out += htmlText(item);
        }
        out += QLatin1String("</div>\n");
    }
    out += QLatin1String("</body>\n</html>\n");
    return out.toUtf8();
}

QByteArray ReportExporter::toRtf(const PreparedReport &report) {
    const double margin = leftMargin(report);
    const QString m = QString::number(twips(margin));
    QString out = QLatin1String("{\\rtf1\\ansi\\ansicpg1251\\deff0\\uc1\n"
                                "{\\fonttbl{\\f0\\fswiss\\fcharset204 Arial;}}\n"
                                "{\\info{\\title ") +
                  rtf(report.title()) + QLatin1String("}}\n\\paperw") +
                  QString::number(twips(report.pageSize().width())) + QLatin1String("\\paperh") +
                  QString::number(twips(report.pageSize().height())) + QLatin1String("\\margl") + m +
                  QLatin1String("\\margr") + m + QLatin1String("\\margt") + m + QLatin1String("\\margb") + m +
                  QLatin1Char('\n');
    for (int p = 0; p < report.pageCount(); ++p) {
        if (p > 0)
            out += QLatin1String("\\page\n");
        for (const ReportLine &row : ReportLines::of(report.pages().at(p)))
            out += rtfRow(row, margin);
    }
    out += QLatin1String("}\n");
    return out.toLatin1();
}

void ReportExporter::writePdf(const PreparedReport &report, const QString &fileName) {
    QPdfWriter writer(fileName);
    writer.setTitle(report.title());
    writer.setCreator(QStringLiteral("Путевые листы"));
    writer.setResolution(300);
    writer.setPageLayout(QPageLayout(QPageSize(report.pageSize(), QPageSize::Millimeter),
                                     QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
    QPainter painter;
    if (!painter.begin(&writer))
        throw OrvetError(QStringLiteral("Не удалось записать файл %1").arg(fileName));
    const QRectF target(0, 0, writer.width(), writer.height());
    for (int p = 0; p < report.pageCount(); ++p) {
        if (p > 0)
            writer.newPage();
        ReportRenderer::renderPage(painter, report.pages().at(p), report.pageSize(), target);
    }
    if (!painter.end())
        throw OrvetError(QStringLiteral("Не удалось записать файл %1").arg(fileName));
}
