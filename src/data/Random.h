#pragma once

#include <cstdint>
#include <random>

// The one pseudo-random generator of the waybill commands. A new waybill
// seeds it from the clock; tests seed it with a number.
class Random {
public:
    void seed(std::uint64_t value) { m_engine.seed(value); }
    void seedFromClock();
    // Uniform in [0, 1).
    double uniform();
    // Uniform among the whole numbers 0 to n - 1 (0 when n < 1).
    int below(int n);

private:
    std::mt19937_64 m_engine{5489u};
};
