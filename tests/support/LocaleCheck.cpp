// Linked into every suite: a suite pinned to a locale that this machine has
// not generated would run in C, where the C library formats numbers and
// dates otherwise than on a user's desktop, and pass where users fail.
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <locale.h>

namespace {
const bool localeAvailable = [] {
    const char *lang = std::getenv("LANG");
    if (!lang || !*lang)
        return true;
    locale_t l = newlocale(LC_ALL_MASK, "", locale_t(nullptr));
    if (!l) {
        std::fprintf(stderr,
                     "The locale %s is not generated on this machine; the suite would run in C.\n"
                     "Generate it (scripts/test does: locale-gen) and run again.\n",
                     lang);
        std::exit(1);
    }
    freelocale(l);
    return true;
}();
} // namespace
