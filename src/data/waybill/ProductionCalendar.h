#pragma once

#include <QDate>
#include <QHash>
#include <QSet>
#include <QString>

// Which days of a year are worked: Monday to Friday, less the public
// holidays and the days off the government moves onto weekdays, plus the
// Saturdays (or Sundays) it makes working days. Known years come built in;
// the user adds later ones (or corrects a day) in a plain text file beside
// the tables, in the same form: one "ДД.ММ.ГГГГ выходной|рабочий" a line.
class ProductionCalendar {
public:
    static inline const QString FileName = QStringLiteral("Orvet_Calendar.txt");

    // The built-in years, then the user's file in `directory` when there
    // is one; a day the file names is as the file says.
    static ProductionCalendar load(const QString &directory);

    // Adds the days of `text`. A line that is not a date and a kind is
    // refused with `source` and its number, so that a typing slip does not
    // quietly put a trip on a holiday.
    void read(const QString &text, const QString &source);

    // A year is known when any of its days is listed.
    bool covers(int year) const { return m_years.contains(year); }
    // Monday to Friday outside a known year.
    bool isWorkingDay(const QDate &date) const;

private:
    QHash<QDate, bool> m_days; // listed days: true for a working one
    QSet<int> m_years;
};
