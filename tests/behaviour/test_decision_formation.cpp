// Formation targets and the ball-relative positioning of the attack formation.
#include <cmath>

#include <gtest/gtest.h>

#include "decision_test_world.h"

namespace {

using decisiontest::AssignStandardRoles;
using decisiontest::DecisionWorld;

class FormationTarget : public DecisionWorld {
protected:
    Vector TargetFor(PLAYER_ROLE role, double ballX, double ballY, int nearestUnum) {
        AssignStandardRoles();
        wm.m_PlayerRole = role;
        wm.m_vBallPos = Vector(ballX, ballY, 0);
        NearestIs(nearestUnum);
        return decision.FormationTarget();
    }
};

void ExpectAt(const Vector& v, double x, double y) {
    EXPECT_NEAR(v.Vx, x, 1e-9);
    EXPECT_NEAR(v.Vy, y, 1e-9);
}

TEST_F(FormationTarget, CentreIsClampedBeforeTargetsAreDerived) {
    // Ball deep in the far corner: the centre stops at (14.025, 8.5).
    ExpectAt(TargetFor(PR_LeftForward, 14.5, 9, 0), 14.025 - 2.6, 10.5);
    ExpectAt(TargetFor(PR_RightForward, 14.5, 9, 0), 14.025 - 2.6, 6.5);
    ExpectAt(TargetFor(PR_LeftFront, 14.5, 9, 0), 12.025, 9.5);
    ExpectAt(TargetFor(PR_LeftFront, 14, 9, 0), 12, 9.5);
    // Far back the centre's lower bound holds it at x = -11.05.
    ExpectAt(TargetFor(PR_RightForward, -14.9, 0, 0), -11.05 - 2.6, -2);
}

TEST_F(FormationTarget, CentreShiftsSoTheNearestPlayerStandsInItsSlot) {
    // Nearest is the left front (7): the right front moves up beside it.
    ExpectAt(TargetFor(PR_RightFront, 0, 0, 7), -1.95 - 0.5, -1.5 - 1);
    // Nearest is the right front (8): the left front comes to the middle.
    ExpectAt(TargetFor(PR_LeftFront, 0, 0, 8), -1.95 - 0.78, 0);
    ExpectAt(TargetFor(PR_RightFront, 0, 0, 9), -1.2, -1);
    ExpectAt(TargetFor(PR_LeftForward, 0, 0, 5), 2.5 - 2.6, 2);
    ExpectAt(TargetFor(PR_LeftForward, 0, 0, 6), 1.95 - 2.6, 1.5 + 2);
}

TEST_F(FormationTarget, FieldPlayersAreKeptOutOfTheOwnPenaltyArea) {
    // Left front would stand at (-13.05, 1.5): moved to the area's edge and 1 m outwards.
    ExpectAt(TargetFor(PR_LeftFront, -14, 0.5, 0), -11.7, 2.5);
    ExpectAt(TargetFor(PR_LeftFront, -14, -1.5, 0), -11.7, -1.5);
    ExpectAt(TargetFor(PR_RightFront, -14, 0, 0), -11.7, -2);
    // Outside the area's width the target stays where it is.
    ExpectAt(TargetFor(PR_LeftFront, -14, 3, 0), -13.05, 4);
}

TEST_F(FormationTarget, MiddleFrontAndForwardsMayStandBeyondTheTouchLineMargin) {
    ExpectAt(TargetFor(PR_LeftFront, 0, 9.5, 0), -2, 9.5);
    ExpectAt(TargetFor(PR_MiddleFront, 0, 9.5, 7), -1.95, 10.0);
    ExpectAt(TargetFor(PR_LeftForward, 0, 9.5, 0), -2.6, 10.5);
}

TEST_F(FormationTarget, MiddleFrontMovesTowardsTheCentreLineBehindTheMiddleRear) {
    ExpectAt(TargetFor(PR_MiddleFront, 0, -3, 5), 4.0, -2.5);
    ExpectAt(TargetFor(PR_MiddleFront, 0, 3, 5), 4.0, 2.5);
    ExpectAt(TargetFor(PR_MiddleFront, -2.5, 0, 5), 1.5, -0.5);
    ExpectAt(TargetFor(PR_MiddleFront, 0, 0, 8), -1.95 + 1, 1.5 - 2);
    ExpectAt(TargetFor(PR_MiddleFront, 0, 0, 0), -0.5, 0);
}

TEST_F(FormationTarget, UnknownNumbersAndRolesNeverIndexOutside) {
    // A nearest number outside 1..11 (nothing heard yet, or garbage) shifts nothing.
    ExpectAt(TargetFor(PR_LeftForward, 0, 0, 0), -2.6, 2);
    ExpectAt(TargetFor(PR_LeftForward, 0, 0, 200), -2.6, 2);
    ExpectAt(TargetFor(PR_LeftForward, 0, 0, -3), -2.6, 2);
    ExpectAt(TargetFor(static_cast<PLAYER_ROLE>(11), 3, 3, 0), 0, 0);
    ExpectAt(TargetFor(PR_DefendLeft, 8, -6, 7), -13, 1.7);
}

// ---- AttackFormation

class AttackFormationTest : public DecisionWorld {
protected:
    void SetUp() override {
        DecisionWorld::SetUp();
        wm.m_vSelfPos = Vector(0, 0, 0);
    }
    // Ball on the field at a distance along the robot's own heading (body facing +x).
    void BallAhead(double distM, double bearingDeg) {
        const double r = bearingDeg * kGeometryPi / 180;
        wm.m_vBallPos = Vector(distM * std::cos(r), distM * std::sin(r), 0);
        SeeBall(distM, bearingDeg);
    }
    const LIP::Request& Ask(int num) {
        decision.AttackFormation(num);
        return Lip.lastRequest;
    }
    int Stage() const { return decision.m_AttackFormation.stage; }
    void ExpectOrder(const LIP::Request& r, int stage, ACT_TYPE type, int turnDeg, bool small) {
        EXPECT_EQ(Stage(), stage);
        EXPECT_EQ(r.type, type);
        EXPECT_EQ(r.turnDeg, turnDeg);
        EXPECT_EQ(r.smallWalk, small);
    }
};

TEST_F(AttackFormationTest, FarBallIsApproachedWalkingForwards) {
    BallAhead(3, 4);
    ExpectOrder(Ask(8), 1, WALK_F, 4, false);
}

TEST_F(AttackFormationTest, TurnLimitDependsOnThePreviousStage) {
    BallAhead(3, 25);
    ExpectOrder(Ask(8), 0, WALK_STAY, 25, true);  // small: within 10 degrees of the limit
    BallAhead(3, 35);
    Ask(8);
    EXPECT_EQ(Stage(), 0);
    EXPECT_FALSE(Lip.lastRequest.smallWalk);
    // Once approaching, 35 degrees is within the wider limit of stage 1.
    decision.m_AttackFormation.stage = 1;
    BallAhead(3, 35);
    EXPECT_EQ(Ask(8).type, WALK_F);
    EXPECT_EQ(Stage(), 1);
}

TEST_F(AttackFormationTest, HeadingsThatStraddleTheBackAreCompared) {
    // Ball behind the goal line: the slot heading T of the carrier is -180.
    wm.m_vBallPos = Vector(16, 0, 0);
    SeeBall(0.5, 0);
    wm.m_vSelfPos = Vector(16.5, -0.3, 0);  // h = 149, 31 degrees from T counter-clockwise
    EXPECT_EQ(Ask(0).type, WALK_HR);
    EXPECT_EQ(Stage(), 2);
    decision.m_AttackFormation.stage = 2;
    wm.m_vSelfPos = Vector(16.5, 0.3, 0);
    EXPECT_EQ(Ask(0).type, WALK_HL);
    // h = 174.3 is 5.7 degrees from T = -180: lined up, the carrier stands.
    decision.m_AttackFormation.stage = 2;
    wm.m_vSelfPos = Vector(16.5, -0.05, 0);
    EXPECT_EQ(Ask(0).type, WALK_STAY);
    EXPECT_EQ(Stage(), 4);
}

TEST_F(AttackFormationTest, SidestepsAroundTheBallWhenTheGoalIsOffLine) {
    BallAhead(0.5, 0);
    SeeOppGoal(10, -80);
    const LIP::Request& r = Ask(0);
    EXPECT_EQ(Stage(), 2);
    EXPECT_EQ(r.type, WALK_HL);
    SeeOppGoal(10, 80);
    decision.m_AttackFormation.stage = 0;
    EXPECT_EQ(Ask(0).type, WALK_HR);
}

TEST_F(AttackFormationTest, SupportAdjustsItsDistanceThenStands) {
    // Slot 9 keeps 0.8 m; at 0.2 m it backs off turning the other way.
    wm.m_vOppGoalPos = Vector(15, 0, 0);
    BallAhead(0.2, 6);
    SeeOppGoal(15, 6);
    ExpectOrder(Ask(9), 3, WALK_B, -6, false);
    // Adjusting narrows the distance tolerance to 0.2 m and walks forwards to close in.
    BallAhead(1.19, 6);
    SeeOppGoal(15, 6);
    decision.m_AttackFormation.stage = 3;
    EXPECT_EQ(Ask(9).type, WALK_F);
    EXPECT_EQ(Stage(), 3);
    BallAhead(0.8, 6);
    SeeOppGoal(15, 6);
    ExpectOrder(Ask(9), 4, WALK_STAY, 6, false);
}

TEST_F(AttackFormationTest, UnknownSlotStillCommandsAFiniteWalk) {
    BallAhead(0.05, 0);
    const LIP::Request& r = Ask(5);
    EXPECT_GE(Stage(), 0);
    EXPECT_LE(Stage(), 4);
    EXPECT_EQ(r.walkCalls, 1);
}

}  // namespace
