// The alt program's formation centre, left-front diagnostic and attack-formation rules.
#include <gtest/gtest.h>

#include "behaviour/decision_test_world.h"

namespace {

using decisiontest::AssignStandardRoles;
using decisiontest::DecisionWorld;

class AltFormation : public DecisionWorld {};

TEST_F(AltFormation, CentreStopsFurtherFromTheGoalLine) {
    AssignStandardRoles();
    wm.m_PlayerRole = PR_LeftForward;
    wm.m_vBallPos = Vector(14.5, 0, 0);
    EXPECT_NEAR(decision.FormationTarget().Vx, 13.05 - 2.6, 1e-9);
}

TEST_F(AltFormation, LeftFrontReportsEachTarget) {
    AssignStandardRoles();
    wm.m_iUnum = 7;
    wm.m_PlayerRole = PR_LeftFront;
    testing::internal::CaptureStdout();
    decision.Formation();
    decision.Formation();
    wm.m_PlayerRole = PR_RightFront;
    decision.Formation();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "lf7\nlf7\n");
}

class AltAttackFormation : public DecisionWorld {
protected:
    const LIP::Request& Ask(int num) {
        decision.AttackFormation(num);
        return Lip.lastRequest;
    }
};

TEST_F(AltAttackFormation, TurnLimitGrowsWithBallDistance) {
    // 30 degrees off at 3 m is within 10 * 3 + 20: the robot walks, steering off T.
    wm.m_vBallPos = Vector(2.6, 1.5, 0);
    SeeBall(3, 30);
    const LIP::Request& r = Ask(8);
    EXPECT_EQ(decision.m_AttackFormation.stage, 1);
    EXPECT_EQ(r.type, WALK_F);
    // T = g / 5 + 40 with g the heading from the ball to the goal.
    const double g = (wm.m_vOppGoalPos - wm.m_vBallPos).GetXYAngle();
    EXPECT_EQ(r.turnDeg, TurnDegToInt(30 - 0.25 * (g / 5 + 40)));
    EXPECT_FALSE(r.smallWalk);
    // After turning (stage 0) the limit is only 10 + 10 * db.
    decision.m_AttackFormation.stage = 0;
    SeeBall(0.5, 16);
    EXPECT_EQ(Ask(8).type, WALK_STAY);
    EXPECT_FALSE(Lip.lastRequest.smallWalk);
}

TEST_F(AltAttackFormation, InPlaceSupportFacesTheGoal) {
    wm.m_vBallPos = Vector(0.8, 0, 0);
    SeeBall(0.8, 3);
    SeeOppGoal(14, -5);
    const LIP::Request& r = Ask(9);
    EXPECT_EQ(decision.m_AttackFormation.stage, 4);
    EXPECT_EQ(r.type, WALK_STAY);
    EXPECT_EQ(r.turnDeg, -5);
}

TEST_F(AltAttackFormation, CarrierCirclesWithAFortyDegreeLead) {
    wm.m_vBallPos = Vector(0.3, 0, 0);
    SeeBall(0.3, 2);
    SeeOppGoal(14, -6);  // 8 degrees between ball and goal
    const LIP::Request& r = Ask(0);
    EXPECT_EQ(r.type, WALK_HL);
    EXPECT_EQ(r.turnDeg, 2 - 40);
    EXPECT_TRUE(r.smallWalk);
    SeeOppGoal(14, 10);
    EXPECT_EQ(Ask(0).turnDeg, 2 + 40);
    EXPECT_EQ(Lip.lastRequest.type, WALK_HR);
    SeeOppGoal(14, 5);
    EXPECT_EQ(Ask(0).type, WALK_STAY);
    EXPECT_EQ(Lip.lastRequest.turnDeg, 2);
}

}  // namespace
