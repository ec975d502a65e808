// Changes of plan while walking, in closed loop with the joints' speed limit: a change of
// walk type must not ask the feet for a jump larger than the walk itself makes from cycle
// to cycle.
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

std::function<void(LIP&)> Walking(ACT_TYPE type, int turnDeg) {
    return [=](LIP& l) { l.Walk(type, turnDeg, false, false); };
}

TEST(WalkChange, ForwardToMarkingTimeStaysAsSmoothAsWalking) {
    ClosedLoop loop(true);
    loop.Walk(WALK_F, 0, false, 150);
    const double steadyM = LargestFootJumpM(loop, 150, Walking(WALK_F, 0));
    // Measured: 5.3 cm at the swing foot's fastest while walking; the rows switched at once
    // jumped 7.5 cm into marking time.
    const double boundM = steadyM * 1.3;

    // Forward to marking time (turning): the change takes effect after the waiting steps.
    const double toStayM = LargestFootJumpM(loop, 200, Walking(WALK_STAY, 30));
    EXPECT_LE(toStayM, boundM);
    EXPECT_EQ(loop.lip.mType, WALK_STAY);
    std::printf("[figures] largest foot jump per cycle: walking %.3f m, to marking time %.3f m\n", steadyM, toStayM);
    EXPECT_EQ(loop.fig.ikFailures, 0);
    walktest::ExpectLegSpeedsWithinTheLimit(loop.fig);
}

}  // namespace
