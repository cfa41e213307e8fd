#include "data/statement/CsvStatement.h"

#include "core/OrvetError.h"
#include "data/statement/StatementLayout.h"

#include <QStringDecoder>

namespace {
// Windows-1251 maps every byte but 0x98 to a character, so what decides
// is whether the text reads as text: no control characters but line ends
// and tabs (a binary file, UTF-16 or another single-byte code page with
// its own control range decoded this way would show them).
bool readsAsText(const QString &text) {
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if ((u < 0x20 && u != '\t' && u != '\n' && u != '\r') || u == 0x7f ||
            c == QChar::ReplacementCharacter)
            return false;
    }
    return true;
}

// The line of the first byte that is not UTF-8 in a file that is meant to
// be UTF-8: one with its byte order mark, or with a few well-formed
// multi-byte sequences (Windows-1251 Russian text almost never forms one:
// its capitals would have to be followed by «, », ё or №). 0 when the file
// reads as UTF-8 throughout or is not meant to.
int brokenUtf8Line(const QByteArray &bytes) {
    const bool marked = bytes.startsWith("\xEF\xBB\xBF");
    int line = 1, firstBad = 0, wellFormed = 0;
    const auto continuation = [&](qsizetype at) { return at < bytes.size() && (uchar(bytes[at]) & 0xC0) == 0x80; };
    for (qsizetype i = marked ? 3 : 0; i < bytes.size(); ++i) {
        const uchar b = uchar(bytes[i]);
        if (b == '\n')
            ++line;
        if (b < 0x80)
            continue;
        const int tail = b >= 0xC2 && b <= 0xDF ? 1 : b >= 0xE0 && b <= 0xEF ? 2 : b >= 0xF0 && b <= 0xF4 ? 3 : -1;
        bool ok = tail > 0;
        for (int k = 1; ok && k <= tail; ++k)
            ok = continuation(i + k);
        if (ok) {
            ++wellFormed;
            i += tail;
        } else if (firstBad == 0) {
            firstBad = line;
        }
    }
    return firstBad > 0 && (marked || wellFormed >= 3) ? firstBad : 0;
}
} // namespace

QString CsvStatement::decode(const QByteArray &bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString text = utf8(bytes.mid(3));
        return utf8.hasError() || !readsAsText(text) ? QString() : text;
    }
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        return {}; // UTF-16: no card issuer's statement comes so
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return readsAsText(text) ? text : QString();
    QStringDecoder cp1251("windows-1251", QStringDecoder::Flag::Stateless);
    if (!cp1251.isValid())
        throw OrvetError(QStringLiteral("Кодировка Windows-1251 недоступна в этой системе"));
    text = cp1251(bytes);
    return cp1251.hasError() || !readsAsText(text) ? QString() : text;
}

QList<QChar> CsvStatement::separators() {
    return {QLatin1Char('\t'), QLatin1Char(';'), QLatin1Char(',')};
}

namespace {
// The separator the first line that has any holds most of: for a file
// where no separator gives rows alike (a single column, a damaged file).
QChar firstLineSeparator(const QString &text) {
    const QList<QChar> candidates = CsvStatement::separators();
    int counts[3] = {0, 0, 0};
    bool quoted = false;
    for (const QChar c : text) {
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (!quoted && (c == QLatin1Char('\n') || c == QLatin1Char('\r'))) {
            if (counts[0] + counts[1] + counts[2] > 0)
                break;
        } else if (!quoted) {
            for (int k = 0; k < 3; ++k)
                counts[k] += c == candidates[k];
        }
    }
    // A tab or a semicolon is never part of a number; a comma may be.
    int best = 2;
    for (int k = 0; k < 2; ++k)
        if (counts[k] > 0 && counts[k] >= counts[best])
            best = k;
    return candidates[best];
}
} // namespace

QChar CsvStatement::separatorOf(const QString &text) {
    // Enough lines for a title, a client, the titles and a screen of rows.
    constexpr int SampleLines = 60;
    QChar best = QLatin1Char(',');
    int bestScore = -1;
    for (const QChar candidate : separators()) {
        StatementTable sample;
        try {
            sample = parse(text, candidate, QString(), SampleLines);
        } catch (const OrvetError &) {
            continue; // a quote left open in the sample: judged by the others
        }
        const StatementLayout layout = StatementLayout::guess(sample);
        const int titles = (layout.date >= 0) + (layout.litres >= 0) + (layout.rubles >= 0 || layout.price >= 0);
        // Rows under the titles (or all, without titles) as wide as the
        // titles row, or as the widest row when there are none.
        const qsizetype width = layout.headerRow >= 0 ? sample.rows.at(layout.headerRow).cells.size()
                                                      : sample.columnCount();
        int even = 0;
        for (qsizetype r = layout.headerRow + 1; r < sample.rows.size(); ++r)
            even += width > 1 && sample.rows.at(r).cells.size() == width;
        const int score = titles * 1000 + even;
        if (score > bestScore) { // ties keep the earlier candidate
            best = candidate;
            bestScore = score;
        }
    }
    return bestScore > 0 ? best : firstLineSeparator(text);
}

StatementTable CsvStatement::read(const QByteArray &bytes, const QString &fileName, QChar separator) {
    // Read as Windows-1251 it would load as nonsense with no column found.
    if (const int line = brokenUtf8Line(bytes))
        throw OrvetError(QStringLiteral("Файл «%1», строка %2: текст не в кодировке UTF-8, хотя остальной файл в "
                                        "ней (файл испорчен или собран из частей в разных кодировках). "
                                        "Сохраните выписку заново целиком в UTF-8 или в Windows-1251")
                             .arg(fileName)
                             .arg(line));
    const QString text = decode(bytes);
    if (text.isNull())
        throw OrvetError(QStringLiteral("Файл «%1»: не удалось определить кодировку. Выписка должна быть в "
                                        "кодировке UTF-8 или Windows-1251")
                             .arg(fileName));
    return parse(text, separator.isNull() ? separatorOf(text) : separator, fileName);
}

StatementTable CsvStatement::parse(const QString &text, QChar separator, const QString &fileName, int maxLines) {
    StatementTable table;
    table.fileName = fileName;
    table.separator = separator;
    StatementRow row{1, {}};
    QString cell;
    bool quoted = false;
    bool wasQuoted = false;
    int line = 1;
    qsizetype cells = 0;
    const auto endCell = [&] {
        if (++cells > StatementTable::MaxCells)
            StatementTable::tooManyCells(fileName, row.line);
        row.cells.append(wasQuoted ? cell : cell.trimmed());
        cell.clear();
        wasQuoted = false;
    };
    const auto endRow = [&] {
        endCell();
        if (!row.isBlank())
            table.rows.append(row);
        row = StatementRow{line, {}};
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"')) {
                    cell += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (c == QLatin1Char('\n'))
                    ++line;
                if (c != QLatin1Char('\r'))
                    cell += c;
            }
        } else if (c == QLatin1Char('"') && cell.trimmed().isEmpty()) {
            quoted = wasQuoted = true;
            cell.clear();
        } else if (c == separator) {
            endCell();
        } else if (c == QLatin1Char('\n')) {
            ++line;
            endRow();
            if (maxLines > 0 && line > maxLines)
                return table;
        } else if (c != QLatin1Char('\r')) {
            cell += c;
        }
        if (cell.size() > StatementTable::MaxCellLength)
            StatementTable::tooLongCell(fileName, row.line);
    }
    if (quoted)
        throw OrvetError(QStringLiteral("Файл «%1», строка %2: кавычка, открытая в этой строке, не закрыта")
                             .arg(fileName)
                             .arg(row.line));
    endRow();
    return table;
}
