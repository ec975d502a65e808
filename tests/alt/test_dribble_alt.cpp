// agent_alt's approach from behind: it turns to the ball sooner once walking, and near the
// ball it bends away from the corner flag on the ball's side unless the ball is deep or wide.
#include <gtest/gtest.h>

#include "runtime/variant.h"
#include "behaviour/test_skill_dribble_scene.h"

namespace {

class DribbleAlt : public DribbleScene {
protected:
    void SetUp() override {
        DribbleScene::SetUp();
        SeeFlag(kOppGoalL, -7.0);
        SeeFlag(kOppGoalR, -13.0);  // goal bearing -10
        SeeFlag(kOppFlagL, 30.0);
        SeeFlag(kOppFlagR, -40.0);
    }

    int TurnFor(double distM, double bearingDeg, double ballX, double ballY) {
        SeeBallAt(distM, bearingDeg, ballX, ballY);
        skill.dribbleFromBack();
        return Lip.lastRequest.turnDeg;
    }
};

TEST_F(DribbleAlt, WalkingThresholdIsNarrower) {
    ASSERT_TRUE(gAltBuild);
    TurnFor(1.0, 5.0, 5.0, 3.0);
    ASSERT_EQ(skill.m_DribbleFromBack.stage, 1);
    TurnFor(1.0, 32.0, 5.0, 3.0);  // 10 x 1 + 20 = 30
    EXPECT_EQ(Lip.lastRequest.type, WALK_STAY);
    EXPECT_EQ(skill.m_DribbleFromBack.stage, 0);
    TurnFor(1.0, 8.0, 5.0, 3.0);
    TurnFor(1.0, 28.0, 5.0, 3.0);
    EXPECT_EQ(Lip.lastRequest.type, WALK_F);
}

TEST_F(DribbleAlt, NearTheBallTheReferenceFollowsWhereTheBallLies) {
    // Midfield, left half: the left corner flag at 30 is the reference.
    EXPECT_EQ(TurnFor(1.5, 5.0, 5.0, 3.0), -1);
    // Right half (y = 0 counts as right): the right flag at -40.
    EXPECT_EQ(TurnFor(1.5, 5.0, 5.0, 0.0), 11);
    EXPECT_EQ(TurnFor(1.5, -45.0 + 40.0, 5.0, -2.0), 1);
    // Deep or wide: the goal at -10.
    EXPECT_EQ(TurnFor(1.5, -8.0, 9.0, 3.0), -2);
    EXPECT_EQ(TurnFor(1.5, -8.0, 5.0, 7.5), -2);
    EXPECT_EQ(TurnFor(1.5, -8.0, 5.0, -7.5), -2);
    EXPECT_EQ(TurnFor(1.5, -8.0, 5.0, 3.0), -14);
}

}  // namespace
