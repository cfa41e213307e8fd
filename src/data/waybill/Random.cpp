#include "data/waybill/Random.h"

#include <chrono>

void Random::seedFromClock() {
    if (m_pinned) {
        seed(*m_pinned);
        return;
    }
    seed(std::uint64_t(std::chrono::high_resolution_clock::now().time_since_epoch().count()));
}

double Random::uniform() { return std::uniform_real_distribution<double>(0.0, 1.0)(m_engine); }

int Random::below(int n) {
    if (n < 1)
        return 0;
    return std::uniform_int_distribution<int>(0, n - 1)(m_engine);
}
