#pragma once

#include "data/statement/StatementTable.h"

#include <QByteArray>
#include <QChar>
#include <QString>

// A statement saved as delimited text. The encoding (UTF-8 with or without
// its byte order mark, or Windows-1251) and the separator (";", "," or a
// tab) are found from the bytes, the separator from the column titles and
// the rows under them (a title above them may hold any of the three);
// quoted fields may hold separators, quotes doubled and line breaks.
class CsvStatement {
public:
    // Throws OrvetError naming the file (and the line where there is one).
    // A null `separator` is found from the text.
    static StatementTable read(const QByteArray &bytes, const QString &fileName, QChar separator = QChar());

    // The text, or a null string when the bytes are in neither encoding.
    static QString decode(const QByteArray &bytes);
    // The separator that gives the file column titles the import knows
    // and rows as wide as them; among equals, a tab, then ";", then ",".
    static QChar separatorOf(const QString &text);
    // The separators a user may choose.
    static QList<QChar> separators();

private:
    // The rows of the text, up to `maxLines` lines when it is not 0.
    static StatementTable parse(const QString &text, QChar separator, const QString &fileName,
                                int maxLines = 0);
};
