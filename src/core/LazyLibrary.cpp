#include "core/LazyLibrary.h"

#include "core/OrvetError.h"

#include <QFile>
#include <dlfcn.h>

void *LazyLibrary::address(const char *name) {
    const auto fail = [this] {
        const char *why = dlerror();
        return OrvetError(
            QStringLiteral("Не удалось загрузить библиотеку %1: %2")
                .arg(m_soname, why ? QString::fromLocal8Bit(why) : QStringLiteral("нет сведений")));
    };
    if (!m_handle) {
        // Its own symbols stay its own: nothing loaded later binds to them.
        m_handle = dlopen(QFile::encodeName(m_soname).constData(), RTLD_NOW | RTLD_LOCAL);
        if (!m_handle)
            throw fail();
    }
    dlerror();
    void *found = dlsym(m_handle, name);
    if (!found)
        throw fail();
    return found;
}
