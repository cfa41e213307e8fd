#pragma once

#include "report/PreparedReport.h"

#include <QByteArray>
#include <QString>
#include <optional>

// Writes a prepared report in the formats the preview offers. Text, CSV,
// HTML and RTF are built in memory first (tests compare them byte for
// byte); PDF is painted through ReportRenderer, XLSX written by ReportXlsx.
class ReportExporter {
public:
    enum class Format { Prepared, Text, Csv, Html, Rtf, Pdf, Xlsx };

    // By the file's extension, any letter case; nothing for an extension
    // the program does not write.
    static std::optional<Format> formatOf(const QString &fileName);
    // The same, Prepared for anything unknown.
    static Format formatForFileName(const QString &fileName);
    // Throws OrvetError when the file cannot be written.
    static void exportFile(const PreparedReport &report, const QString &fileName, Format format);

    static QByteArray toText(const PreparedReport &report);
    static QByteArray toCsv(const PreparedReport &report);
    static QByteArray toHtml(const PreparedReport &report);
    static QByteArray toRtf(const PreparedReport &report);
    static void writePdf(const PreparedReport &report, const QString &fileName);

    static constexpr double TextCharWidth = 1.8; // mm per character of the plain text export
};
