// Per-cycle motion costs: one analytic leg solution (the walk makes two per cycle).
#include <benchmark/benchmark.h>

#include "motion/nao.h"

namespace {

void BM_IK_leg(benchmark::State& state) {
    Nao nao;
    salt::Matrix torso;
    torso.SetPos(salt::Vector3f(0.01f, 0.022f, 0.35f));
    salt::Matrix foot;
    foot.RotateZ(0.3f);
    foot.SetPos(salt::Vector3f(-0.0485f, -0.02f, 0.07f));
    const bool left = true;
    for (auto _ : state) {
        benchmark::DoNotOptimize(nao.IK_leg(torso, foot, left));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_IK_leg);

}  // namespace
