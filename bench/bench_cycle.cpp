// The whole cycle with decisions on the recorded sessions, one case per situation a player
// spends its game in, and the same cycle on vision messages grown by extra players in view.
// Each cycle is timed on its own, so median and spread are those of single cycles.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "cycle_cases.h"

namespace {

bool HasVision(const std::string& m) { return m.find("(See ") != std::string::npos; }

double Quantile(std::vector<double>& ns, double q) {
    if (ns.empty()) return 0.0;
    const size_t k = static_cast<size_t>(q * static_cast<double>(ns.size() - 1));
    std::nth_element(ns.begin(), ns.begin() + static_cast<std::ptrdiff_t>(k), ns.end());
    return ns[k];
}

// Single-cycle times, kept apart for the messages with vision (the heavy third).
struct CycleTimes {
    std::vector<double> all, vision;
    explicit CycleTimes(benchmark::State& state) {
        all.reserve(static_cast<size_t>(state.max_iterations));
        vision.reserve(static_cast<size_t>(state.max_iterations));
    }
    void Report(benchmark::State& state) {
        state.counters["median_ns"] = Quantile(all, 0.5);
        state.counters["p10_ns"] = Quantile(all, 0.1);
        state.counters["p90_ns"] = Quantile(all, 0.9);
        state.counters["p99_ns"] = Quantile(all, 0.99);
        state.counters["vision_median_ns"] = Quantile(vision, 0.5);
        state.counters["vision_p90_ns"] = Quantile(vision, 0.9);
    }
};

void TimedCycles(benchmark::State& state, cycles::Replay& replay) {
    using Clock = std::chrono::steady_clock;
    CycleTimes times(state);
    size_t bytes = 0;
    for (auto _ : state) {
        const std::string& message = replay.messages[replay.next];
        const bool vision = HasVision(message);
        bytes += message.size();
        const Clock::time_point start = Clock::now();
        benchmark::DoNotOptimize(cycles::NextMeasuredCycle(replay).data());
        const double ns = std::chrono::duration<double, std::nano>(Clock::now() - start).count();
        times.all.push_back(ns);
        if (vision) times.vision.push_back(ns);
    }
    times.Report(state);
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
    state.counters["bytes/msg"] = static_cast<double>(bytes) / static_cast<double>(state.iterations());
}

void WholeCycle(benchmark::State& state, const cycles::Case& c) {
    cycles::Replay replay = cycles::LoadCase(c);
    if (replay.firstPlayOn >= replay.messages.size()) {
        state.SkipWithError("fixture missing or without open play");
        return;
    }
    cycles::WarmUp(replay);
    TimedCycles(state, replay);
}

// A robot in view as the server writes one, all five parts seen.
std::string PlayerEntry(int k) {
    const std::string id = std::to_string(k % 11 + 1);
    return std::string("(P (team ") + (k % 2 ? "Red" : "Blue") + ") (id " + id +
           ") (head (pol 6.12 -21.34 -3.05)) (rlowerarm (pol 6.03 -22.10 -6.44))"
           " (llowerarm (pol 6.05 -20.87 -6.39)) (rfoot (pol 6.07 -21.95 -8.61))"
           " (lfoot (pol 6.09 -20.63 -8.58)))";
}

// The ball carrier's open play with `range(0)` extra robots in every vision message.
void WholeCycleBySize(benchmark::State& state) {
    cycles::Replay replay = cycles::LoadCase(cycles::kCases[0]);
    if (replay.firstPlayOn >= replay.messages.size()) {
        state.SkipWithError("fixture missing or without open play");
        return;
    }
    std::string extra;
    for (int k = 0; k < state.range(0); ++k) extra += PlayerEntry(k);
    for (size_t i = replay.firstPlayOn; i < replay.messages.size(); ++i) {
        std::string& m = replay.messages[i];
        const size_t see = m.find("(See ");
        if (see != std::string::npos) m.insert(see + 5, extra);
    }
    cycles::WarmUp(replay);
    TimedCycles(state, replay);
    state.SetComplexityN(static_cast<int64_t>(state.counters["bytes/msg"]));
}

const bool kRegistered = [] {
    for (const cycles::Case& c : cycles::kCases)
        benchmark::RegisterBenchmark((std::string("WholeCycle/") + c.name).c_str(), WholeCycle, c);
    return true;
}();

BENCHMARK(WholeCycleBySize)->Arg(0)->Arg(8)->Arg(32)->Arg(128)->Complexity(benchmark::oN);

}  // namespace
