// Cost of the joint controller's per-cycle work: composing the effector message with every
// joint driven, and one cycle of a key-frame motion. Writes `wm`, `timer` and a local ActHandle.
#include <benchmark/benchmark.h>

#include "motion/acthandle.h"
#include "runtime/corvane.h"
#include "worldmodel/worldmodel.h"

namespace {

void BM_MakeCommandAllJoints(benchmark::State& state) {
    ActHandle act;
    wm.m_iUnum = 2;
    wm.m_sPlayMode = "PlayOn";
    for (auto _ : state) {
        act.ClearControl();
        for (int id = 0; id < kJointCount; ++id) {
            act.HJControl[id].bCtrled = true;
            act.HJControl[id].fAngle = -3.14159 * (id + 1);
        }
        benchmark::DoNotOptimize(act.MakeCommand().data());
    }
}
BENCHMARK(BM_MakeCommandAllJoints);

void BM_BigKickCycle(benchmark::State& state) {
    ActHandle act;
    for (int id = 0; id < kJointCount; ++id) wm.m_HJ[id].fAngle = 7.5 * id - 60;
    wm.m_iUnum = 2;
    timer.ClearTimer();
    for (auto _ : state) {
        act.ClearControl();
        timer.Update(1);
        act.BigKick();
        benchmark::DoNotOptimize(act.MakeCommand().data());
    }
    timer.ClearTimer();
}
BENCHMARK(BM_BigKickCycle);

}  // namespace
