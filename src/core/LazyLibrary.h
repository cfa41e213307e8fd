#pragma once

#include <QString>
#include <utility>

// A shared library opened on the first call of one of its functions instead
// of at every start: for a library that only a rarely used command needs and
// that brings a long chain of its own along (libxlsxwriter loads OpenSSL's
// libcrypto, which alone costs a start more symbol lookups than the program).
// Used from the GUI thread.
class LazyLibrary {
public:
    explicit LazyLibrary(QString soname) : m_soname(std::move(soname)) {}
    LazyLibrary(const LazyLibrary &) = delete;
    LazyLibrary &operator=(const LazyLibrary &) = delete;

    // The function of that name. Throws OrvetError naming the library when
    // it cannot be loaded or lacks the function; the next call tries again.
    template <typename F> F function(const char *name) { return reinterpret_cast<F>(address(name)); }

private:
    void *address(const char *name);

    QString m_soname;
    void *m_handle = nullptr;
};

// The library's function `fn`, typed as its header declares it, looked up
// once per place of call: ORVET_LAZY(xlsxwriter(), workbook_new)(path).
#define ORVET_LAZY(library, fn)                                                                              \
    ([] {                                                                                                    \
        static const auto f = (library).function<decltype(&::fn)>(#fn);                                      \
        return f;                                                                                            \
    }())
