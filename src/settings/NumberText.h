#pragma once

#include <QString>

// Numbers as the user's locale writes them in the general form: at most 15
// significant digits, no grouping, no trailing zeros, whole numbers without
// a decimal part.
class NumberText {
public:
    static QString general(double value);
    // Reads the locale's form, and the C form as a fallback.
    static double parse(const QString &text, bool *ok);
};
