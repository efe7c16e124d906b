#pragma once

// The figures of a measure over several rounds and the one line that
// judges them against their limit.
#include "BenchClock.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace bench {

// The median of each round, ours and the raw baseline's.
struct Rounds {
    std::vector<double> ours, raw;
    void add(const std::vector<double> &oursOfRound, const std::vector<double> &rawOfRound)
    {
        ours.push_back(median(oursOfRound));
        if (!rawOfRound.empty())
            raw.push_back(median(rawOfRound));
    }
};

// "what   min / median ms | raw min / median ms | x ratio | under L ms: PASS";
// a limit of 0 or less prints the figures without judging them.
inline bool judge(const char *what, const Rounds &r, double limitMs)
{
    const double m = median(r.ours);
    const double rawMedian = median(r.raw);
    const bool pass = limitMs <= 0 || m < limitMs;
    std::printf("%-42s %8.2f / %8.2f ms | raw %8.3f / %8.3f ms | x%6.1f | ", what,
                r.ours.empty() ? 0.0 : *std::min_element(r.ours.begin(), r.ours.end()), m,
                r.raw.empty() ? 0.0 : *std::min_element(r.raw.begin(), r.raw.end()), rawMedian,
                rawMedian > 0 ? m / rawMedian : 0.0);
    if (limitMs <= 0)
        std::printf("(not judged)\n");
    else
        std::printf("under %4.0f ms: %s\n", limitMs, pass ? "PASS" : "FAIL");
    return pass;
}

} // namespace bench
