#pragma once

#include "data/statement/StatementTable.h"

#include <QByteArray>
#include <QChar>
#include <QString>

// A statement saved as delimited text. The encoding (UTF-8 with or without
// its byte order mark, or Windows-1251) and the separator (";", "," or a
// tab) are found from the bytes; quoted fields may hold separators, quotes
// doubled and line breaks.
class CsvStatement {
public:
    // Throws OrvetError naming the file (and the line where there is one).
    static StatementTable read(const QByteArray &bytes, const QString &fileName);

    // The text, or a null string when the bytes are in neither encoding.
    static QString decode(const QByteArray &bytes);
    // The separator of the first line that has one, outside quotes.
    static QChar separatorOf(const QString &text);
};
