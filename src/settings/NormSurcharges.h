#pragma once

#include <QDate>
#include <QString>
#include <array>
#include <vector>

class IniFile;

// The surcharges to the fuel norm, in percent, as the Ministry of
// Transport's recommendations count them: Qn = 0.01 x Hs x S x (1 + 0.01 x D),
// D the sum of the surcharges that apply on the day. A winter surcharge
// with the days its period starts and ends (they vary by region), and an
// urban, an age or mileage and an air-conditioning surcharge. Kept as text
// in a section of their own, so that "DataM" stays as it is.
//
// Without a winter period the winter mode of the stored values stands as it
// always has (10 % for the whole month, when it is on); with nothing set at
// all, the norm is computed exactly as before.
class NormSurcharges {
public:
    // ObemBaka, the tank's volume in litres, is kept here too: the
    // statement of consumption checks the remainders against it.
    enum Index { Zima = 0, ZimaS, ZimaPo, Gorod, Vozrast, Kondicioner, ObemBaka, Count };
    static inline const QString Section = QStringLiteral("Toplivo");
    static constexpr double WinterModePercent = 10;

    explicit NormSurcharges(IniFile *ini = nullptr) : m_ini(ini) {}

    static QString name(int index);
    QString text(int index) const { return m_values.at(size_t(index)); }
    void setText(int index, const QString &text) { m_values.at(size_t(index)) = text; }

    // Each value absent from the file keeps what it holds.
    void readAll();
    // All seven, in index order, in one write of the file.
    void writeAll() const;

    // A surcharge in percent; empty is 0. Throws "Invalid variant type
    // conversion" for a text that is no number.
    double percent(int index) const;
    // "01.11" as day and month (any year holds 29.02); false otherwise.
    static bool dayMonth(const QString &text, int *day, int *month);
    // Both ends of the winter period given; the period may run over the
    // new year.
    bool hasWinterPeriod() const;
    bool inWinter(const QDate &date) const;
    // The tank's volume; 0 when not set (no check).
    double tankVolume() const { return percent(ObemBaka); }
    // Why the texts cannot be used (a number that is none, one end of the
    // winter period without the other); empty when they can.
    QString refusal() const;
    // Any surcharge or a winter period set.
    bool anySet() const;

    // D on a day: the other surcharges, and the winter one inside the period
    // (or 10 in winter mode, when no period is set).
    double percentOn(const QDate &date, bool winterMode) const;
    // Each day's norm of a month with the surcharges, Hs x (100 + D) / 100;
    // empty when nothing is set, so that the norm stays the specified one.
    std::vector<double> dayNorms(double norm, int year, int month, bool winterMode) const;
    // The basis of the norm on one line: "Норма 8,5 л/100 км; надбавки:
    // зимняя 10 %, город 5 % — 9,78 л/100 км". A month that winter starts or
    // ends in names the winter days and gives both norms.
    QString basis(double norm, int year, int month, bool winterMode) const;

private:
    IniFile *m_ini;
    std::array<QString, Count> m_values;
};
