#pragma once

#include "report/PreparedReport.h"

#include <QList>
#include <QString>

// The text items of a page as the exports read them: the items that sit on
// one line of one printed band, left to right, lines from the top down.
struct ReportLine {
    QList<const ReportItem *> cells;
};

class ReportLines {
public:
    // Lines whose cells are all blank are left out.
    static QList<ReportLine> of(const ReportPage &page);
    // The text on one line: breaks and tabs become spaces, ends trimmed.
    static QString oneLine(const QString &text);
    // The page as a screen reader reads it: its lines, the non-blank cells
    // of each separated by spaces.
    static QString reading(const ReportPage &page);
};
