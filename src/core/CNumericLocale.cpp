#include "core/CNumericLocale.h"

#include <clocale>

CNumericLocale::CNumericLocale() {
    // "C" is always there; should even that fail, the thread stays as it was.
    m_c = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    if (m_c)
        m_previous = uselocale(m_c);
}

CNumericLocale::~CNumericLocale() {
    if (!m_c)
        return;
    uselocale(m_previous);
    freelocale(m_c);
}

void CNumericLocale::setForProcess() {
    std::setlocale(LC_NUMERIC, "C");
}
