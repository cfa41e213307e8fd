#pragma once

#include <locale.h>

// Holds this thread in the C locale while a C library writes numbers into a
// file: under ru_RU the C library writes "6,46", which no spreadsheet reads
// as a number. The program sets LC_NUMERIC to C at start already; this
// keeps a file right wherever the process's locale was set from the session
// (a test, a plug-in that calls setlocale).
class CNumericLocale {
public:
    CNumericLocale();
    ~CNumericLocale();
    CNumericLocale(const CNumericLocale &) = delete;
    CNumericLocale &operator=(const CNumericLocale &) = delete;

    // The process's LC_NUMERIC set to C, as Qt advises after the application
    // object has set every category from the session's environment.
    static void setForProcess();

private:
    locale_t m_c = locale_t(nullptr);
    locale_t m_previous = locale_t(nullptr);
};
