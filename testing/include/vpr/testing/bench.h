// The benchmark kit: each store's benchmark program measures a workload of
// ours and, in the same run, the plainest code that does the same work (its
// baseline), and prints one line per workload:
//
//     workload                         ours/s   baseline/s   ratio  goal
//
// The ratio is ours/s divided by baseline/s, so 0.5 means half the
// baseline's speed. Rounds of ours and of the baseline alternate, and the
// best round of each counts, so a busy machine disturbs both alike.
// Benchmarks are built in a release tree and run by hand (scripts/bench.sh),
// never as tests.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

namespace vpr::testing {

// One measured workload: `run` does `items` operations each time it is called.
struct BenchWork {
    size_t items = 0;
    std::function<void()> run;
};

// The seconds one call of `work` takes at its best, over `rounds` calls.
inline double BestSeconds(const std::function<void()>& work, int rounds = 5) {
    double best = 1e300;
    for (int round = 0; round < rounds; ++round) {
        auto start = std::chrono::steady_clock::now();
        work();
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

inline void PrintBenchHeader(const char* program) {
    std::printf("# %s\n%-40s %14s %14s %8s  %s\n", program, "workload", "ours/s", "baseline/s", "ratio", "goal");
    std::fflush(stdout);
}

// Prints one line; `goal` says what is wanted (">= 0.5"), "" for nothing.
inline void PrintBenchLine(const std::string& workload, double ours, double baseline, const std::string& goal = "") {
    std::printf("%-40s %14.0f %14.0f %8.3f  %s\n", workload.c_str(), ours, baseline, baseline > 0 ? ours / baseline : 0.0,
                goal.c_str());
    std::fflush(stdout);
}

// Measures ours against its baseline in alternating rounds and prints the line.
inline void CompareBench(const std::string& workload, const BenchWork& ours, const BenchWork& baseline,
                         const std::string& goal = "", int rounds = 5) {
    double oursBest = 1e300, baselineBest = 1e300;
    for (int round = 0; round < rounds; ++round) {
        oursBest = std::min(oursBest, BestSeconds(ours.run, 1));
        baselineBest = std::min(baselineBest, BestSeconds(baseline.run, 1));
    }
    PrintBenchLine(workload, ours.items / oursBest, baseline.items / baselineBest, goal);
}

}  // namespace vpr::testing
