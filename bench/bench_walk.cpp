// Per-cycle cost of the walking engine: one Walk call in steady forward walking, and one
// StopWalk call averaged over whole stops. Writes `wm.m_HJ`, `ACT.HJControl`, `gNao`.
#include <benchmark/benchmark.h>

#include <chrono>
#include <iostream>

#include "motion/3dlip.h"
#include "motion/acthandle.h"
#include "runtime/corvane.h"
#include "worldmodel/worldmodel.h"

namespace {

// The legs held in the standing posture, so that every stop completes.
void StandingLegs() {
    const double right[6] = {0, 5.10, 18.30, -62.49, 44.19, -5.10};
    const double left[6] = {0, 1.08, 18.57, -63.18, 44.62, -1.08};
    for (int k = 0; k < 6; ++k) {
        wm.m_HJ[JID_RLEG_1 + 2 * k].fAngle = right[k];
        wm.m_HJ[JID_LLEG_1 + 2 * k].fAngle = left[k];
    }
}

// The start step's one unreachable pose prints its diagnostic; kept off the output.
void WalkIntoSteadySteps(LIP& lip) {
    std::streambuf* out = std::cout.rdbuf(nullptr);
    for (int i = 0; i < 200; ++i) lip.Walk(WALK_F, 10, false, false);
    std::cout.rdbuf(out);
}

void BM_WalkSteady(benchmark::State& state) {
    StandingLegs();
    LIP lip;
    WalkIntoSteadySteps(lip);
    for (auto _ : state) {
        lip.Walk(WALK_F, 10, false, false);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_WalkSteady);

// Each iteration is one StopWalk call; walking back into steady steps between stops is
// left out of the timing.
void BM_StopWalk(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    StandingLegs();
    LIP lip;
    WalkIntoSteadySteps(lip);
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        const bool done = lip.StopWalk(0, false);
        benchmark::ClobberMemory();
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        if (done) WalkIntoSteadySteps(lip);
    }
}
BENCHMARK(BM_StopWalk)->UseManualTime();

}  // namespace
