#pragma once

#include "report/PreparedReport.h"

#include <QString>

// A report as one spreadsheet sheet, written with libxlsxwriter: the rows
// and columns the CSV export finds, but numbers as numbers in the
// template's format, dates as dates, a column header with the data rows
// under it as a table, and the totals under a data column as formulas.
class ReportXlsx {
public:
    // Throws OrvetError when the file cannot be written; the file is
    // replaced whole or not at all.
    static void write(const PreparedReport &report, const QString &fileName);

    // The spreadsheet's number format for a template format ("0.##",
    // "#,##0.00 руб.", sections by ";"); "General" for none.
    static QString numberFormat(const QString &templateFormat);
};
