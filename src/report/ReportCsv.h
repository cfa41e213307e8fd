#pragma once

#include "report/PreparedReport.h"

#include <QByteArray>
#include <QChar>
#include <QList>
#include <QStringList>

class QLocale;

// A report as a spreadsheet table. Its columns are the cells of the line
// printed most often (the day rows). A column header band becomes one row
// that names each column, sub-columns included; every other line puts each
// cell under the column it starts in.
class ReportCsv {
public:
    // One row of that table: the text of each column, and the item that
    // fills a column alone (nullptr where none or several do).
    struct Row {
        QStringList texts;
        QList<const ReportItem *> items;
        bool header = false;
    };
    // The rows, a column header written once however many pages repeat it.
    static QList<Row> table(const PreparedReport &report);

    // UTF-8 with a byte order mark, CRLF line ends, a field quoted when it
    // holds the separator or a quote (RFC 4180); every row as wide as the
    // table.
    static QByteArray write(const PreparedReport &report, QChar separator);
    // What a spreadsheet in that locale reads: ";" where numbers are
    // written with a decimal comma, "," otherwise.
    static QChar separatorFor(const QLocale &locale);
};
