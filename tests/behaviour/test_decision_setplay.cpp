// The set-piece kicker: search, head, circling round to face the goal, turning to the
// ball, the approach bands and the kick; and the forwards at the opponent's goal kick.
#include <cmath>

#include "motion/keyframes.h"
#include "support/decision_scene.h"

namespace {

using Step = Decision::SetPieceTaker::Step;

class SetPiece : public DecisionScene {
protected:
    void SetUp() override {
        DecisionScene::SetUp();
        Player(5, PR_MiddleRear);
        NearestIs(5);
        Stand(0, 0, 0);
    }
    static Decision::SetPieceTaker& St() { return decision.m_KickInUs; }
    // Standing at the ball or kicking from there.
    static bool Stopped() { return St().step == Step::StoppedAtBall || St().step == Step::Kicking; }
    static void Kicker() {
        ACT.ClearControl();
        timer.Update(1);
        decision.KickInUs();
    }
    static void ExpectWalk(ACT_TYPE type, int turnDeg, bool small = false) {
        EXPECT_EQ(Lip.lastRequest.type, type);
        EXPECT_EQ(Lip.lastRequest.turnDeg, turnDeg);
        EXPECT_EQ(Lip.lastRequest.smallWalk, small);
    }
};

TEST_F(SetPiece, WithoutTheBallTurnsOnTheSpotAndSweepsTheHead) {
    LoseBall();
    Kicker();
    ExpectWalk(WALK_STAY, 20);
    EXPECT_NEAR(HeadTargetDeg(JID_HEAD_2, 0.08), -40, 1e-9);
    EXPECT_NEAR(HeadTargetDeg(JID_HEAD_1, 0.08), -110, 1e-9);
    wm.m_HJ[JID_HEAD_1].fAngle = -91;
    Kicker();  // turns round once past -90
    Kicker();
    EXPECT_NEAR(HeadTargetDeg(JID_HEAD_1, 0.08), 110, 1e-9);
    wm.m_HJ[JID_HEAD_1].fAngle = 91;
    Kicker();
    Kicker();
    EXPECT_NEAR(HeadTargetDeg(JID_HEAD_1, 0.08), -110, 1e-9);
}

TEST_F(SetPiece, HeadLooksBetweenBallAndGoalAndStaysInsideItsRange) {
    SeeBallAtGround(2, 20, -25);
    Kicker();
    // Goal straight ahead, ball 20 degrees left: half-way, and 30 degrees above the ball.
    EXPECT_NEAR(HeadTargetDeg(JID_HEAD_1, 0.08), 10, 0.1);
    EXPECT_NEAR(HeadTargetDeg(JID_HEAD_2, 0.08), 5, 1e-9);
    for (double bearingDeg : {60.0, -70.0}) {
        SeeBallAtGround(2, bearingDeg);
        Kicker();
        EXPECT_NEAR(HeadTargetDeg(JID_HEAD_1, 0.08), bearingDeg > 0 ? 120 : -120, 1e-9);
    }
}

TEST_F(SetPiece, ApproachBandsStopAtTheBallAndKickOnce) {
    SeeBallAtGround(0.8, 3);
    Kicker();
    ExpectWalk(WALK_F, 3);
    SeeBallAtGround(0.5, 3);  // the edge belongs to the small steps
    Kicker();
    ExpectWalk(WALK_F, 15, true);
    SeeBallAtGround(0.2, 3);  // at the stop, but the ball is not off the right foot yet
    Kicker();
    ExpectWalk(WALK_HL, 0, true);
    EXPECT_FALSE(Stopped());
    SeeBallAtGround(0.2, -12, -55);  // now it is
    const long walks = Lip.lastRequest.walkCalls;
    Kicker();
    EXPECT_EQ(Lip.lastRequest.walkCalls, walks);
    EXPECT_TRUE(LegsCommanded());
    // The stance levels the head; the ball at the feet must stay in the picture.
    EXPECT_NEAR(HeadTargetDeg(JID_HEAD_2, 0.08), -25, 1e-9);
    EXPECT_FALSE(Stopped());  // not standing yet
    StandReady();
    Kicker();
    EXPECT_TRUE(Stopped());

    // Stopped: the next cycles kick, also from the small-step band.
    SeeBallAtGround(0.35, 3);
    int cycles = 0;
    do {
        Kicker();
        ++cycles;
    } while (timer.IsTimerRun() && cycles < 400);
    EXPECT_EQ(cycles, 151);
    EXPECT_EQ(Lip.lastRequest.walkCalls, walks);
    // The kick is over (the robot usually lies on its back): no blind second kick.
    EXPECT_FALSE(Stopped());
    Kicker();
    ExpectWalk(WALK_F, 15, true);
    EXPECT_FALSE(timer.IsTimerRun());
}

TEST_F(SetPiece, StopWaitsForTheStanceAfterWalking) {
    StandReady();
    EXPECT_TRUE(Lip.Prepare(0, false));
    SeeBallAtGround(0.8, 0);
    Kicker();
    Kicker();
    ASSERT_EQ(Lip.mPhase, NORMAL_STEP);
    StandReady(false);  // mid-stride
    SeeBallAtGround(0.1, -12);
    Kicker();
    EXPECT_FALSE(Stopped());
    StandReady();
    Kicker();
    EXPECT_TRUE(Stopped());
}

TEST_F(SetPiece, KickGivenUpHalfWayStopsItsTimer) {
    St().step = Step::StoppedAtBall;
    SeeBallAtGround(0.3, 0);
    for (int i = 0; i < 30; ++i) Kicker();
    ASSERT_TRUE(timer.IsTimerRun());
    LoseBall();
    Kicker();
    EXPECT_FALSE(timer.IsTimerRun());
    ExpectWalk(WALK_STAY, 20);
}

TEST_F(SetPiece, TurnsToTheBallWithHysteresis) {
    SeeBallAtGround(1.5, 30);
    Kicker();
    ExpectWalk(WALK_STAY, 30);
    SeeBallAtGround(1.5, 10);  // still turning below 15 degrees, at half the angle
    Kicker();
    ExpectWalk(WALK_STAY, 5);
    SeeBallAtGround(1.5, -20);  // to the right the angle is always halved
    Kicker();
    ExpectWalk(WALK_STAY, -10);
    SeeBallAtGround(1.5, 5);
    Kicker();
    ExpectWalk(WALK_F, 5);
    EXPECT_NE(St().step, Step::TurnToBall);
    SeeBallAtGround(1.5, 12);  // below 15 no new turn starts
    Kicker();
    ExpectWalk(WALK_F, 12);
}

// Facing the own goal with the ball ahead, the two posts' angles straddle 180: their plain
// mean would point at the opponent goal straight ahead.
TEST_F(SetPiece, GoalBehindTheKickerIsBehindIt) {
    Stand(0, 0, 178);
    SeeBallAtGround(1.0, 0);
    Kicker();
    EXPECT_TRUE(St().circling);

    SetUp();
    SeeBallAtGround(1.0, 0);
    Kicker();
    EXPECT_FALSE(St().circling);
    ExpectWalk(WALK_F, 0);
}

TEST_F(SetPiece, CirclesTheBallCloseByUntilTheGoalIsBehindIt) {
    Stand(0, 0, -90);  // goal 90 degrees to the left
    struct Row {
        double ballDeg;
        ACT_TYPE type;
        int turnDeg;
    };
    // g = 17.2 / 0.3: the ball direction less g picks sidestep or turn.
    const Row rows[] = {{10, WALK_STAY, 32}, {-25, WALK_HR, 0}, {-40, WALK_STAY, -7}};
    for (const Row& row : rows) {
        SeeBallAtGround(0.3, row.ballDeg);
        Kicker();
        ASSERT_TRUE(St().circling) << row.ballDeg;
        ExpectWalk(row.type, row.turnDeg);
    }
    // The goal on the right mirrors it.
    Stand(0, 0, 90);
    SeeBallAtGround(0.3, -10);
    Kicker();
    ExpectWalk(WALK_STAY, -32);
    // Within 10 degrees of the goal the circling ends.
    Stand(0, 0, 0);
    SeeBallAtGround(0.3, 5);
    Kicker();
    EXPECT_FALSE(St().circling);
}

// Circling does not undo a stop made before it: back facing the goal within step-up
// distance, the taker kicks at once; one that never stopped walks up first.
TEST_F(SetPiece, StopMadeBeforeCirclingStillHoldsAfterIt) {
    St().step = Step::StoppedAtBall;
    Stand(0, 0, -90);
    SeeBallAtGround(0.3, 10);
    Kicker();
    ASSERT_TRUE(St().circling);
    EXPECT_EQ(St().step, Step::StoppedAtBall);
    Stand(0, 0, 0);
    SeeBallAtGround(0.4, 3);
    const long walks = Lip.lastRequest.walkCalls;
    Kicker();
    EXPECT_FALSE(St().circling);
    EXPECT_EQ(St().step, Step::Kicking);
    EXPECT_EQ(Lip.lastRequest.walkCalls, walks);

    SetUp();
    SeeBallAtGround(0.4, 3);
    Kicker();
    EXPECT_EQ(St().step, Step::Approach);
    ExpectWalk(WALK_F, 15, true);
}

// Closer than the camera's height the seen distance has no ground distance: it counts as
// at the ball, and circling there still asks for a finite turn.
TEST_F(SetPiece, BallUnderTheCameraGivesFiniteCommands) {
    Stand(0, 0, 170);
    SeeBall(0.3, 0, -80);
    Kicker();
    ASSERT_TRUE(St().circling);
    ExpectWalk(WALK_STAY, 253);  // 17.2 / 0.05 - 90 cut toward zero; the engine clamps it
    for (int j = 0; j < kJointCount; ++j) EXPECT_TRUE(std::isfinite(ACT.HJControl[j].fAngle)) << j;
}

TEST_F(SetPiece, OpponentGoalKickSendsTwoForwardsToTheArea) {
    decision.bBeamOver = true;
    Player(7, PR_LeftFront);
    NearestIs(3);
    Stand(0, 0, 0);
    Cycle(PM_GoalKickOpp);
    EXPECT_TRUE(decision.bBeamOver);  // walking there, not playing on
    Stand(11.2, -3.5, 0);
    Player(8, PR_RightFront);
    const long walks = Lip.lastRequest.walkCalls;
    Cycle(PM_GoalKickOpp);
    EXPECT_EQ(Lip.lastRequest.walkCalls, walks + 1);
    EXPECT_EQ(Lip.lastRequest.type, WALK_STAY);
    EXPECT_TRUE(decision.bBeamOver);
    Player(5, PR_MiddleRear);
    Cycle(PM_GoalKickOpp);
    EXPECT_FALSE(decision.bBeamOver);
}

// The league gives the other side a free kick when the taker plays the ball again before
// anybody else. Seen from the taker and from the team-mate that plays on instead.
TEST_F(SetPiece, TakerFinishesItsKickThenLeavesTheBallUntilAnotherPlayerHasIt) {
    Player(9, PR_MiddleFront);
    NearestIs(9);
    wm.m_NearestTeamMateInfo[1].iNum = 7;
    BallAt(0.2, 0);
    LoseBall();
    // A touch while the kick still winds up (a nudge): the swing would touch again, so the
    // kick is cut, and the taker is kept off the ball all the same.
    decision.nowPlayMode = PM_BeforeKickOff;
    Cycles(PM_KickOffUs, 40);
    Cycle(PM_PlayOn);
    EXPECT_FALSE(timer.IsTimerRun());
    EXPECT_EQ(Decision::BallCarrierNum(), 7);
    // Its foot is at the ball, and the way back to the stance would touch it again: the legs
    // stay as the cut kick left them.
    Cycles(PM_PlayOn, 5);
    EXPECT_FALSE(LegsCommanded());

    // The server turns the kick-off into play at the first touch: a kick past the start of
    // its swing made it, and runs to its end.
    decision.nowPlayMode = PM_BeforeKickOff;
    Cycles(PM_KickOffUs, 75);
    ASSERT_TRUE(timer.IsTimerRun());
    int cycles = 75;
    for (; timer.IsTimerRun() && cycles < 400; ++cycles) {
        Cycle(PM_PlayOn);
        EXPECT_EQ(Decision::BallCarrierNum(), 7);
    }
    EXPECT_EQ(cycles, keyframe::kBigKick.iEndTime + 1);
    // Beside the ball it stands still, farther off it keeps its place in the formation.
    const long walks = Lip.lastRequest.walkCalls;
    Cycles(PM_PlayOn, 50);
    EXPECT_FALSE(Decision::IsNearestToBall());
    EXPECT_EQ(decision.m_PlayOn.adjusting, 0);  // never dribbled
    EXPECT_EQ(Lip.lastRequest.walkCalls, walks);
    EXPECT_TRUE(LegsCommanded());
    BallAt(2, 0);
    Cycles(PM_PlayOn, 50);
    EXPECT_EQ(decision.m_PlayOn.adjusting, 0);
    EXPECT_GT(Lip.lastRequest.walkCalls, walks);
    BallAt(0.2, 0);

    // A team-mate seen at the ball has played it: the taker may again.
    wm.m_vTeamMate[6].bValid = true;
    wm.m_vTeamMate[6].vAveragePos = Vector(0.4, 0.1, 0);
    Cycle(PM_PlayOn);
    EXPECT_EQ(Decision::BallCarrierNum(), 9);
    wm.m_vTeamMate[6].bValid = false;

    // Number 7 after our throw-in taken by 5: it plays on until an opponent is at the ball;
    // the bar ends with the next play mode too, and by itself after 20 s.
    SetUp();
    Player(7, PR_LeftFront);
    NearestIs(5);
    wm.m_NearestTeamMateInfo[1].iNum = 7;
    BallAt(3, 4);
    Cycle(PM_KickInUs);
    Cycle(PM_PlayOn);
    EXPECT_TRUE(Decision::IsNearestToBall());
    EXPECT_FALSE(timer.IsTimerRun());  // nothing of 5's kick to finish here
    wm.m_vOpponent[3].bValid = true;
    wm.m_vOpponent[3].vAveragePos = Vector(3.2, 3.8, 0);
    Cycle(PM_PlayOn);
    EXPECT_EQ(Decision::BallCarrierNum(), 5);
    wm.m_vOpponent[3].bValid = false;
    Cycle(PM_CornerKickUs);
    Cycle(PM_PlayOn);
    EXPECT_EQ(Decision::BallCarrierNum(), 7);
    Cycle(PM_KickInOpp);
    EXPECT_EQ(Decision::BallCarrierNum(), 5);
    Cycle(PM_GoalKickUs);  // the keeper's
    Cycle(PM_PlayOn);
    EXPECT_EQ(Decision::BallCarrierNum(), 5);
    Cycle(PM_FreeKickUs);
    Cycle(PM_PlayOn);
    EXPECT_EQ(Decision::BallCarrierNum(), 7);
    wm.m_dGameTime += 20.5;
    Cycle(PM_PlayOn);
    EXPECT_EQ(Decision::BallCarrierNum(), 5);
}

// Our free kick is taken as our throw-in: the nearest player runs the routine on its own
// flags, the others play on; the opponent's is played on as their throw-in.
TEST_F(SetPiece, FreeKicksAreTakenAsThrowIns) {
    SeeBallAtGround(2.0, 40);
    Cycle(PM_FreeKickUs);
    EXPECT_EQ(decision.m_FreeKickUs.step, Step::TurnToBall);
    EXPECT_NE(St().step, Step::TurnToBall);
    decision.bBeamOver = true;
    Cycle(PM_FreeKickOpp);
    EXPECT_FALSE(decision.bBeamOver);  // open play
    NearestIs(3);
    decision.bBeamOver = true;
    Cycle(PM_FreeKickUs);
    EXPECT_FALSE(decision.bBeamOver);
}

}  // namespace
