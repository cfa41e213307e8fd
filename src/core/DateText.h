#pragma once

#include <QDate>
#include <QString>

// Dates as the user writes them: the locale's short date form, always with
// a four-digit year so that a date written into a filter reads back as the
// same date.
class DateText {
public:
    static QString format();
    static QString toText(const QDate &date);
    // An invalid QDate when the text is not a date in that form.
    static QDate fromText(const QString &text);
    // The filter of a period: "DATE>='<from>' and DATE<='<to>'".
    static QString periodFilter(const QDate &from, const QDate &to);
};
