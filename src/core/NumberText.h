#pragma once

#include <QString>

// Numbers as the user's locale writes them in the general form: at most 15
// significant digits, no grouping, no trailing zeros, whole numbers without
// a decimal part.
class NumberText {
public:
    static QString general(double value);
    // Reads the locale's form, and a decimal comma or point in any locale.
    // Digit grouping is refused: "8,500" must not become eight thousand.
    static double parse(const QString &text, bool *ok);
    // A whole number in decimal (surrounding blanks ignored); throws
    // OrvetError("'<text>' is not a valid integer value") when it is none
    // or does not fit 32 bits.
    static int integer(const QString &text);
};
