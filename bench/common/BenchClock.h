#pragma once

// The timing helpers the benchmarks share.
#include <algorithm>
#include <chrono>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

inline double millis(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// The median of the figures (the upper one of an even count).
inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace bench
