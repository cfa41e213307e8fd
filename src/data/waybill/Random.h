#pragma once

#include <cstdint>
#include <optional>
#include <random>

// The one pseudo-random generator of the waybill commands. A new waybill
// seeds it from the clock; tests seed it with a number.
class Random {
public:
    void seed(std::uint64_t value) { m_engine.seed(value); }
    // Seeds from the clock, or with the pinned value when one is set, so
    // that a test can repeat a month a command composes.
    void seedFromClock();
    void pin(std::uint64_t value) { m_pinned = value; }
    // Uniform in [0, 1).
    double uniform();
    // Uniform among the whole numbers 0 to n - 1 (0 when n < 1).
    int below(int n);

private:
    std::mt19937_64 m_engine{5489u};
    std::optional<std::uint64_t> m_pinned;
};
