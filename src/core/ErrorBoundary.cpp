#include "core/ErrorBoundary.h"

#include "core/DialogHost.h"
#include "core/OrvetError.h"

#include <new>

bool ErrorBoundary::guarded(const std::function<void()> &code) {
    QString text;
    try {
        code();
        return true;
    } catch (const OrvetError &e) {
        text = e.message();
    } catch (const std::bad_alloc &) {
        text = QStringLiteral("Out of memory");
    } catch (const std::exception &e) {
        text = QString::fromLocal8Bit(e.what());
    }
    DialogHost::instance().showError(text);
    return false;
}
