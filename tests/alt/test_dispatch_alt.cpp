// agent_alt's dispatcher: the opponent's goal kick is open play, its handler is empty, and
// numbers 8 and 9 both play forward support.
#include "runtime/variant.h"
#include "support/decision_scene.h"

namespace {

using DispatchAlt = DecisionScene;

TEST_F(DispatchAlt, OpponentGoalKickIsOpenPlayForEveryone) {
    ASSERT_TRUE(gAltBuild);
    for (int unum : {7, 8, 5}) {
        decision.bBeamOver = true;
        Player(unum, PR_LeftFront);
        NearestIs(3);
        Cycle(PM_GoalKickOpp);
        EXPECT_FALSE(decision.bBeamOver) << unum;
    }
}

TEST_F(DispatchAlt, OpponentGoalKickHandlerDoesNothing) {
    Stand(11.5, 3.8, 0);
    for (int unum : {7, 5}) {
        decision.bBeamOver = true;
        Player(unum, PR_LeftFront);
        ACT.ClearControl();
        decision.GoalKickOpp();
        EXPECT_TRUE(decision.bBeamOver);
        EXPECT_EQ(Lip.lastRequest.walkCalls, 0);
        EXPECT_FALSE(LegsCommanded());
    }
}

// Forward support skips the situation choice, which would overwrite the sentinel.
TEST_F(DispatchAlt, NumbersEightAndNineBothSupportTheAttack) {
    for (int unum : {8, 9}) {
        Player(unum, unum == 8 ? PR_RightFront : PR_MiddleFront);
        NearestIs(3);
        decision.Situation_Decision = CATCHBALL;
        Cycle(PM_PlayOn);
        EXPECT_EQ(decision.Situation_Decision, CATCHBALL) << unum;
    }
}

}  // namespace
