// Changes of plan while walking, in closed loop with the joints' speed limit: a change of
// walk type, a reversal, a step size that flickers for a cycle and a stand-up mid-stride
// must not ask the legs for a jump larger than the walk itself makes from cycle to cycle.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

#include "runtime/corvane.h"
#include "support/walk_loop.h"

namespace {

using walktest::ClosedLoop;

// Where the engine puts each foot relative to the torso this cycle, metres (robot frame).
struct Feet {
    salt::Vector3f left, right;
};
Feet CommandedFeet(const LIP& l) {
    const salt::Vector3f hold = l.HoldFootPos - l.TorsoPos, move = l.MoveFootPos - l.TorsoPos;
    // Robot x points to the right, whichever foot the writer of the pose took as support.
    return hold.x() < move.x() ? Feet{hold, move} : Feet{move, hold};
}

// The largest jump of a commanded foot relative to the torso from one cycle to the next,
// metres, over `cycles` cycles of `call`.
double LargestFootJumpM(ClosedLoop& loop, int cycles, const std::function<void(LIP&)>& call) {
    Feet last = CommandedFeet(loop.lip);
    double worst = 0.0;
    for (int i = 0; i < cycles; ++i) {
        loop.Cycle(call);
        const Feet now = CommandedFeet(loop.lip);
        worst = std::max({worst, double((now.left - last.left).Length()), double((now.right - last.right).Length())});
        last = now;
    }
    return worst;
}

std::function<void(LIP&)> Walking(ACT_TYPE type, int turnDeg, bool small = false) {
    return [=](LIP& l) { l.Walk(type, turnDeg, small, false); };
}

TEST(WalkChange, TypeChangesReversalsFlickerAndStandingUpMidStrideStayAsSmoothAsWalking) {
    ClosedLoop loop(true);
    loop.Walk(WALK_F, 0, false, 150);
    const double steadyM = LargestFootJumpM(loop, 150, Walking(WALK_F, 0));
    // Measured: 5.3 cm at the swing foot's fastest while walking; the rows switched at once
    // jumped 7.5 cm into marking time, 9 cm in a reversal and 9.5 cm for one small step.
    const double boundM = steadyM * 1.3;

    // Marking time asked for three cycles only: once the waiting steps are over the walk goes
    // on forward, as asked last.
    loop.Walk(WALK_STAY, 30, false, 3);
    loop.Walk(WALK_F, 0, false, 100);
    EXPECT_EQ(loop.lip.mType, WALK_F);
    EXPECT_FALSE(loop.lip.bChangeState);

    // Forward to marking time (turning): the change takes effect after the waiting steps.
    const double toStayM = LargestFootJumpM(loop, 200, Walking(WALK_STAY, 30));
    EXPECT_LE(toStayM, boundM);
    EXPECT_EQ(loop.lip.mType, WALK_STAY);

    // Marking time to forward is a reversal: closing step, standing, then a start step.
    bool restartedWithStartStep = false;
    const double reversalM = LargestFootJumpM(loop, 300, [&](LIP& l) {
        const bool stopped = l.mPhase == STOP;
        l.Walk(WALK_F, 0, false, false);
        restartedWithStartStep |= stopped && l.mPhase == NORMAL_STEP && l.bStartWalk;
    });
    EXPECT_LE(reversalM, boundM);
    EXPECT_TRUE(restartedWithStartStep);
    EXPECT_EQ(loop.lip.mType, WALK_F);

    // A small step asked for one cycle in the middle of normal steps.
    const double flickerM =
        LargestFootJumpM(loop, 60, [n = 0](LIP& l) mutable { l.Walk(WALK_F, 0, ++n == 30, false); });
    EXPECT_LE(flickerM, boundM);
    std::printf("[figures] largest foot jump per cycle: walking %.3f m, to marking time %.3f, reversal %.3f, "
                "one small step asked %.3f\n",
                steadyM, toStayM, reversalM, flickerM);

    // Standing up in mid-stride (a search starts so): the next walk starts afresh.
    loop.Cycle([](LIP& l) { l.Prepare(0, false); });
    EXPECT_EQ(loop.lip.mPhase, STOP);
    for (int i = 0; i < 100 && !loop.lip.bStartWalk; ++i) loop.Cycle([](LIP& l) { l.Walk(WALK_F, 0, false, false); });
    EXPECT_TRUE(loop.lip.bStartWalk);
    EXPECT_EQ(loop.lip.StepCount, 1);
    EXPECT_EQ(loop.fig.ikFailures, 0);
    walktest::ExpectLegSpeedsWithinTheLimit(loop.fig);
}

}  // namespace
