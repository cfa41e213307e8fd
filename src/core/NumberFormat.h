#pragma once

#include <QString>

// How a numeric box writes its value: a display pattern in the style of
// ",0.##" (grouping, up to two decimals), "#0." (whole numbers) or "#0.##",
// capped by the box's own number of decimals. The value a box gives back is
// the number it shows, so rounding lives here too.
class NumberFormat {
public:
    explicit NumberFormat(const QString &pattern = QStringLiteral(",0.##"), int decimals = 2);

    QString pattern() const { return m_pattern; }
    void setPattern(const QString &pattern);
    int decimals() const { return m_decimals; }
    void setDecimals(int decimals);

    // Decimals actually shown: the fewer of the pattern's and the box's.
    int maxDecimals() const;
    bool grouping() const { return m_grouping; }

    // The text for a value in the default locale; 0 gives an empty text.
    QString toText(double value) const;
    // The value rounded as toText shows it.
    double round(double value) const;

    // Half away from zero, applied to the value's 15-digit decimal form,
    // so that 12.345 (stored as 12.34499...) rounds to 12.35 as the user expects.
    static double roundHalfAway(double value, int decimals);
    // Reads a number written in the default locale; '.' is accepted as the
    // decimal separator too. Empty text is 0; *ok is false when the text is not a number.
    static double parse(const QString &text, bool *ok = nullptr);

    // A number as typed, taken apart. Spaces of every kind group digits.
    // Where both '.' and ',' stand, the last one is the decimal sign and the
    // other groups thousands (1.234,56 and 1,234.56 are both 1234.56); one
    // sign standing more than once groups; one standing once is the decimal
    // sign unless it is the locale's group separator (',' in en_US).
    struct Reading {
        bool wellFormed = false;  // nothing but the above, groups of three digits
        bool complete = false;    // no group still being typed ("1.23")
        QString plain;            // the number in C form ("-1234.56")
        bool decimalSign = false; // a decimal sign was typed
        int places = 0;           // digits after the decimal sign
        // A single sign that is not the locale's decimal one, followed by
        // three digits: 1.234 in ru_RU may be 1 234 or 1,234.
        bool maybeGroup = false;
    };
    static Reading read(const QString &text);

private:
    QString m_pattern;
    int m_decimals = 2;
    bool m_grouping = true;
    int m_patternMin = 0; // decimals the pattern always shows ('0' after the point)
    int m_patternMax = 2; // decimals the pattern may show ('0' and '#' after the point)
};
