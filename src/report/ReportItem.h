#pragma once

#include <QLineF>
#include <QRectF>
#include <QString>
#include <QVariant>

// One drawable thing of a report page, in millimetres from the page's
// top-left corner (in a template: from the band's top-left corner).
struct ReportItem {
    enum class Kind { Text, Line, Rect };
    enum Frame { FrameLeft = 1, FrameTop = 2, FrameRight = 4, FrameBottom = 8, FrameAll = 15 };

    Kind kind = Kind::Text;
    QRectF rect;  // Text and Rect
    QLineF line;  // Line
    QString text; // Text
    double fontSize = 8.0;
    bool bold = false;
    bool italic = false;
    bool wrap = false;
    // Shrinks the font until a single line fits the width, so a long value
    // never spills into the neighbouring cell.
    bool shrink = false;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    int frames = 0;
    double lineWidth = 0.2;
    // Which printed band this item belongs to, counted over the report;
    // exports put the items of one band together.
    int band = -1;
    // Printed in the column header of a data band: the CSV export makes one
    // row of it that names the table's columns.
    bool columnHeader = false;
    // For a spreadsheet, when the text is one value and nothing else: the
    // value itself (a number or a date), the template's format of it, and
    // the data field it shows ("FRD2.PROB") or totals (`total`).
    QVariant value;
    QString format;
    QString field;
    bool total = false;

    bool operator==(const ReportItem &other) const = default;
};
