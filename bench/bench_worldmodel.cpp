// Cost of one world-model update (including the body model's link update) on a synthetic
// full-vision cycle, and of one position-filter step. Whole cycles: bench_cycle.cpp.
#include <benchmark/benchmark.h>


#include <fstream>
#include <string>
#include <vector>

#include "motion/nao.h"
#include "perception/msgparse.h"
#include "runtime/corvane.h"
#include "worldmodel/worldmodel.h"

namespace {

void See(PolPosInfo& info, double dist, double horizDeg, double vertDeg) {
    info.PolPos = Polar(dist, horizDeg, vertDeg);
    info.bCanSee = true;
}

// A player standing at about (-3, 0) facing the opponent goal, seeing its four
// landmarks, the ball and a few players, as in the recorded sessions.
void FillFullVisionCycle(MsgParse& parse) {
    parse = MsgParse();
    parse.m_iUnum = 2;
    parse.m_bIsLeft = true;
    parse.m_sPlayMode = "PlayOn";
    parse.m_sOppTeamName = "Red";
    parse.m_dServerTime = 10.0;
    parse.m_Acc.dz = 9.81;
    parse.m_frp_lf.dz = 22;
    parse.m_frp_rf.dz = 21;
    parse.m_bThisCycleHaveSeeInfo = true;
    See(parse.m_PolFlagPos[F_F1R], 21.44, 27.43, -1.14);
    See(parse.m_PolFlagPos[F_G1R], 18.07, 3.48, 1.20);
    See(parse.m_PolFlagPos[F_G2R], 18.03, -3.19, 1.20);
    See(parse.m_PolFlagPos[F_F2R], 21.25, -28.27, -1.15);
    See(parse.m_PolBallPos, 3.02, 0.4, -8.5);
    for (int k : {2, 5}) {
        PlayerPosInfo& p = parse.m_vTeamMate[k];
        p.bValid = true;
        See(p.mHead, 4 + k, 10 + k, 1);
        See(p.mLFoot, 4 + k, 11 + k, -4);
        See(p.mRFoot, 4 + k, 9 + k, -4);
    }
    PlayerPosInfo& opp = parse.m_vOpponent[1];
    opp.bValid = true;
    See(opp.mHead, 5, -12, 1);
    See(opp.mRLowerArm, 5, -11, -1);
}

void BM_UpdateAll(benchmark::State& state) {
    FillFullVisionCycle(SenseParse);
    wm = WorldModel();
    for (int i = 0; i < 10; ++i) wm.UpdateAll();
    for (auto _ : state) {
        SenseParse.m_dServerTime += 0.02;
        wm.UpdateAll();
        benchmark::DoNotOptimize(wm.m_vSelfPosKF);
    }
}
BENCHMARK(BM_UpdateAll);

void BM_PosFilterStep(benchmark::State& state) {
    cPosKF kf;
    kf.Seed(0, 0, 100);
    double z = 0;
    for (auto _ : state) {
        z += 0.001;
        kf.Observe(z, -z);
        benchmark::DoNotOptimize(kf.GetX());
    }
}
BENCHMARK(BM_PosFilterStep);

}  // namespace
