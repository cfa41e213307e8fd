#pragma once

#include <QString>
#include <QVariant>

// Turns a resolved value into the text a report shows, in the default
// QLocale: numbers with its decimal separator, dates in its short form.
class ReportFormatter {
public:
    // format: empty for the default form; "0", "#0.##", "#,##0.00 руб."
    // for numbers (0 a digit always shown, # a digit shown when needed,
    // "," grouping, "." the decimal separator, anything else literal);
    // a QLocale date/time pattern for dates and times.
    static QString format(const QVariant &value, const QString &format = {});
    static QString formatNumber(double value, const QString &format);
    // A number from a value, accepting text with either "." or the
    // locale's separator. False when the value is not a number.
    static bool toNumber(const QVariant &value, double &result);

private:
    static QString formatSection(double value, const QString &pattern);
};
