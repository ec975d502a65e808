// Opponent and lane judgements: nearest opponent, corridors, shot point, clearance target.
#include <gtest/gtest.h>

#include "decision_test_world.h"

namespace {

using decisiontest::DecisionWorld;

class AttackJudgement : public DecisionWorld {};

TEST_F(AttackJudgement, NearestOpponentToTheBall) {
    EXPECT_EQ(decision.NearBallOppNum(), 11);  // nobody valid
    wm.m_vBallPos = Vector(2, 0, 0);
    PlaceOpponent(3, 2, 1);
    PlaceOpponent(5, 2, -1);  // tie: the lower entry stays
    EXPECT_EQ(decision.NearBallOppNum(), 4);
    PlaceOpponent(9, 2.5, 0);
    EXPECT_EQ(decision.NearBallOppNum(), 10);
    wm.m_vOpponent[9].bValid = false;
    wm.m_vOpponent[3].bValid = false;
    EXPECT_EQ(decision.NearBallOppNum(), 6);
    // Beyond 100 m nothing counts; entry 11 is not an opponent of the eleven.
    for (PlayerPosInfo& opp : wm.m_vOpponent) opp.bValid = false;
    PlaceOpponent(11, 0, 0);
    PlaceOpponent(0, 200, 0);
    EXPECT_EQ(decision.NearBallOppNum(), 11);
}

TEST_F(AttackJudgement, CorridorBetweenTwoPoints) {
    const Vector origin(0, 0, 0), target(4, 2, 0);
    EXPECT_TRUE(decision.IsOppInLine(target, origin, Vector(2, 1, 0), 0.3));
    EXPECT_TRUE(decision.IsOppInLine(target, origin, Vector(2, 1.3, 0), 0.3));
    EXPECT_FALSE(decision.IsOppInLine(target, origin, Vector(2, 1.5, 0), 0.3));
    EXPECT_FALSE(decision.IsOppInLine(target, origin, Vector(5, 2.5, 0), 0.3));
    EXPECT_FALSE(decision.IsOppInLine(target, origin, Vector(-1, -0.5, 0), 0.3));
    // A target behind the origin leaves no room along the line unless the two are close.
    EXPECT_FALSE(decision.IsOppInLine(Vector(-4, 0, 0), origin, Vector(-2, 0, 0), 0.3));
    EXPECT_TRUE(decision.IsOppInLine(Vector(-0.4, 0, 0), origin, Vector(-0.2, 0, 0), 0.3));
}

TEST_F(AttackJudgement, CorridorAlongTheYAxisAndOnASinglePoint) {
    const Vector origin(1, -2, 0);
    EXPECT_TRUE(decision.IsOppInLine(Vector(1, 3, 0), origin, Vector(1.2, 0, 0), 0.3));
    EXPECT_FALSE(decision.IsOppInLine(Vector(1, 3, 0), origin, Vector(1.5, 0, 0), 0.3));
    // Origin and target in one place: an opponent standing on it is in the way.
    EXPECT_TRUE(decision.IsOppInLine(origin, origin, Vector(1.1, -2, 0), 0.3));
    EXPECT_FALSE(decision.IsOppInLine(origin, origin, Vector(2, -2, 0), 0.3));
}

TEST_F(AttackJudgement, OnlyValidOpponentsBlockALane) {
    const Vector origin(0, 0, 0), target(10, 0, 0);
    wm.m_vOpponent[4].vAveragePos = Vector(5, 0, 0);  // stale, not valid
    EXPECT_FALSE(decision.IsOppMemberInLine(target, origin, 0.5));
    PlaceOpponent(7, 6, 0.4);
    EXPECT_TRUE(decision.IsOppMemberInLine(target, origin, 0.5));
}

TEST_F(AttackJudgement, MoreOpponentsLeftOfTheBall) {
    wm.m_vBallPos = Vector(5, 0, 0);
    EXPECT_FALSE(decision.IsOppMoreLeft());
    PlaceOpponent(0, 6, 1);
    EXPECT_TRUE(decision.IsOppMoreLeft());
    PlaceOpponent(1, 6, 0);  // level with the ball counts as right
    EXPECT_FALSE(decision.IsOppMoreLeft());
    PlaceOpponent(2, 15, 2);  // on or behind the goal line is not counted
    EXPECT_FALSE(decision.IsOppMoreLeft());
}

TEST_F(AttackJudgement, ShotGoesThroughTheFirstFreeLane) {
    wm.m_vSelfPos = Vector(10, 0, 0);
    EXPECT_EQ(decision.JudgeWayToShoot(), Vector(15, 0, 0));
    EXPECT_TRUE(decision.bAttackLeft);
    // Centre blocked: the post on the side with fewer opponents.
    PlaceOpponent(0, 14, 0);
    wm.m_vBallPos = Vector(10, 0.5, 0);
    EXPECT_EQ(decision.JudgeWayToShoot(), Vector(15, 1.05, 0));
    EXPECT_TRUE(decision.bAttackLeft);
    wm.m_vBallPos = Vector(10, -0.5, 0);
    EXPECT_EQ(decision.JudgeWayToShoot(), Vector(15, -1.05, 0));
    EXPECT_FALSE(decision.bAttackLeft);
    // Left post blocked as well: the inner point on that side is next.
    wm.m_vBallPos = Vector(10, 0.5, 0);
    PlaceOpponent(1, 14.2, 0.85);
    EXPECT_EQ(decision.JudgeWayToShoot(), Vector(15, 0.525, 0));
    EXPECT_TRUE(decision.bAttackLeft);
}

TEST_F(AttackJudgement, EveryLaneBlockedGivesTheZeroVector) {
    wm.m_vSelfPos = Vector(12, 0, 0);
    PlaceOpponent(0, 13, 0);
    PlaceOpponent(1, 13, 0.5);
    PlaceOpponent(2, 13, -0.5);
    EXPECT_EQ(decision.JudgeWayToShoot(), Vector());
}

TEST_F(AttackJudgement, ClearanceToTheFirstFreeFrontMate) {
    wm.m_vSelfPosKF = Vector(-12, 0, 0);
    wm.m_vTeamMate[6].vAveragePos = Vector(-4, 4, 0);  // not valid, still asked
    wm.m_vTeamMate[7].vAveragePos = Vector(-4, -4, 0);
    EXPECT_EQ(decision.ClearPoint_defend(), Vector(-4, 4, 0));
    PlaceOpponent(3, -8, 2.2);
    EXPECT_EQ(decision.ClearPoint_defend(), Vector(-4, -4, 0));
    PlaceOpponent(4, -8, -2.2);
    EXPECT_EQ(decision.ClearPoint_defend(), Vector());
}

TEST_F(AttackJudgement, KeeperFollowsTheBallWithinThePosts) {
    Player(1, PR_Goalie);
    BallAt(-6, 5);
    Stand(-14.5, 1, 0);
    EXPECT_TRUE(decision.Defend());  // already where it should be
    Stand(-14.5, 0, 0);
    EXPECT_FALSE(decision.Defend());
    BallAt(-6, -0.5);
    Stand(-14.5, -0.5, 0);
    EXPECT_TRUE(decision.Defend());
    BallAt(-6, -7);
    Stand(-14.5, -1, 0);
    EXPECT_TRUE(decision.Defend());
}

TEST_F(AttackJudgement, DefendersHoldThePointOnTheLineFromGoalToBall) {
    BallAt(-9, 8);
    Stand(-10, 0, 0);
    NearestIs(7);
    Player(2, PR_DefendLeft);
    decision.Defend();
    EXPECT_NEAR(skill.m_WalkDefend.vNowTargetPos.Vx, -13.8, 1e-9);
    EXPECT_NEAR(skill.m_WalkDefend.vNowTargetPos.Vy, 1.6, 1e-9);
    Player(3, PR_DefendRight);
    decision.Defend();
    EXPECT_NEAR(skill.m_WalkDefend.vNowTargetPos.Vx, -12.6, 1e-9);
    EXPECT_NEAR(skill.m_WalkDefend.vNowTargetPos.Vy, 3.2, 1e-9);
}

// The nearest defender clears when it has time and dribbles when an opponent contests.
TEST_F(AttackJudgement, NearestDefenderClearsOrDribbles) {
    const double contestM[] = {1.0, 1.2, 1.5};
    for (double oppDist : contestM) {
        SetUp();
        Player(2, PR_DefendLeft);
        NearestIs(2);
        BallAt(-10, 2);
        Stand(-10.5, 2, 0);
        SeeBallAtGround(0.5, 0);
        PlaceOpponent(4, -10 + oppDist, 2);
        decision.Defend();
        const bool dribbled = skill.m_bDribbleStancePrepared;
        const bool kicked = skill.m_Kick.vLastBall == wm.m_vBallPos;
        EXPECT_EQ(dribbled, oppDist <= 1.2) << oppDist;
        EXPECT_EQ(kicked, oppDist > 1.2) << oppDist;
    }
}

TEST_F(AttackJudgement, DefendCommandsNothingForOtherRoles) {
    wm.m_PlayerRole = PR_LeftFront;
    EXPECT_FALSE(decision.Defend());
    EXPECT_EQ(Lip.lastRequest.walkCalls, 0);
}

}  // namespace
