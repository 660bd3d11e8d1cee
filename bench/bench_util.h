// Shared by the benchmark programs: a clock, order statistics and the result lines that
// scripts/bench.sh turns into its table.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace bench {

inline int64_t Ticks()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

inline double TicksPerSecond()
{
    static const double perSecond = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    return perSecond;
}

inline double Us(int64_t ticks)
{
    return ticks * 1e6 / TicksPerSecond();
}
inline double Ms(int64_t ticks)
{
    return ticks * 1e3 / TicksPerSecond();
}

// Linear interpolation between the closest ranks; q in [0, 1]. NaN for no samples.
inline double Quantile(std::vector<double> samples, double q)
{
    if (samples.empty())
        return 0.0 / 0.0;
    std::sort(samples.begin(), samples.end());
    double position = q * (samples.size() - 1);
    size_t below = static_cast<size_t>(position);
    size_t above = std::min(below + 1, samples.size() - 1);
    return samples[below] + (samples[above] - samples[below]) * (position - below);
}

inline double Median(const std::vector<double>& samples)
{
    return Quantile(samples, 0.5);
}

// One figure for the table: "BENCH <key> <value>".
inline void Result(const char* key, double value)
{
    std::printf("BENCH %s %.6g\n", key, value);
    std::fflush(stdout);
}

// A line for the reader, kept out of the table.
template <typename... Args>
void Note(const char* format, Args... args)
{
    std::printf("# ");
    std::printf(format, args...);
    std::printf("\n");
    std::fflush(stdout);
}

inline void Note(const char* text)
{
    std::printf("# %s\n", text);
    std::fflush(stdout);
}

// "--name value" from the command line, or `fallback`.
inline int IntArg(int argc, char** argv, const char* name, int fallback)
{
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], name) == 0)
            return std::atoi(argv[i + 1]);
    return fallback;
}

}  // namespace bench
