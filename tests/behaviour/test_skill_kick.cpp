// Kick approach, one cycle at a time on a placed robot: the order of its phases, the two
// kick families, the side swap after two kicks, and the resets that must leave nothing
// behind (latched phases, the safe-line flag, a running key-frame timer).
#include <gtest/gtest.h>

#include "behaviour/test_skill_dribble_scene.h"

namespace {

using Phase = Skill::ApproachPhase;

const Vector kBall(2.0, 1.0, 0.042);
const Vector kTarget(15.0, 1.0, 0.0);  // straight up the pitch: the kick line is y = 1

class KickApproach : public DribbleScene {
protected:
    // The robot starts standing, so that a stop completes by the count of its delay (the
    // joints of these tests never move, and the standing posture is never measured).
    void SetUp() override {
        DribbleScene::SetUp();
        Lip.setPhase(STOP);
    }

    Skill::ReadyForKickState& K() { return skill.m_Kick; }

    void Step(bool small = false) {
        NextCycle();
        skill.ReadyForKick_New(kTarget, small, false);
    }
    void At(double alongM, double acrossM, double turnDeg, bool small = false) {
        PlaceForKick(kBall, kTarget, alongM, acrossM, turnDeg);
        Step(small);
    }
    // Steps at a fixed pose until the approach enters a kick state (or gives up).
    DribbleAction UntilKickState(double alongM, double acrossM, double turnDeg, bool small = false) {
        for (int i = 0; i < 20 && K().DribbleState < ReadyForRightKick; ++i)
            At(alongM, acrossM, turnDeg, small);
        return K().DribbleState;
    }
    // Steps at a fixed pose until a kick has run to its end; the cycles it took.
    int UntilKickDone(double alongM, double acrossM, double turnDeg) {
        const int kicks = K().KickTimes;
        for (int i = 1; i <= 400; ++i) {
            At(alongM, acrossM, turnDeg);
            if (K().KickTimes != kicks) return i;
        }
        return -1;
    }
    // Brings a straight kick into its first frames, with the key-frame timer running.
    void StartKick() {
        for (int i = 0; i < 200 && !K().bKickInFlight; ++i) At(-0.15, 0.026, 0.0);
    }
};

TEST_F(KickApproach, StraightKickLatchesTurnDistanceSideAndLineInOrder) {
    At(-0.15, 0.026, 20.0);
    EXPECT_EQ(K().DribbleState, WalkTurn);
    EXPECT_EQ(Lip.lastRequest.type, WALK_STAY);
    EXPECT_EQ(Lip.lastRequest.turnDeg, 20);

    // Each passed phase costs one cycle in which the stored state walks on.
    At(-0.15, 0.026, 3.0);
    EXPECT_EQ(K().phase, Phase::Distance);
    EXPECT_EQ(K().DribbleState, WalkTurn);
    EXPECT_EQ(Lip.lastRequest.turnDeg, 3);
    At(-0.15, 0.026, 3.0);
    EXPECT_EQ(K().phase, Phase::ChooseFoot);
    At(-0.15, 0.026, 3.0);
    EXPECT_EQ(K().foot, Skill::KickFoot::Right);  // left of the line: the ball lies before the right foot
    At(-0.15, 0.026, 3.0);
    EXPECT_EQ(K().phase, Phase::Placed);
    At(-0.15, 0.026, 3.0);
    EXPECT_EQ(K().DribbleState, ReadyForRightKick);
}

TEST_F(KickApproach, LineFineTuningNeedsBothSamplesOnOneSideOfTheBand) {
    EXPECT_EQ(UntilKickState(-0.15, 0.04, 0.0), WalkFR);  // never kicks from 4 cm off
    EXPECT_EQ(Lip.lastRequest.type, WALK_HR);
    EXPECT_TRUE(Lip.lastRequest.smallWalk);

    // One sample inside the band and one below: no new choice, the side step goes on.
    At(-0.15, 0.026, 0.0);
    At(-0.15, 0.02, 0.0);
    EXPECT_EQ(K().DribbleState, WalkFR);
    EXPECT_EQ(K().phase, Phase::Lateral);

    // Too close to side-step: back off and redo the distance phase.
    At(-0.12, 0.04, 0.0);
    At(-0.12, 0.04, 0.0);
    EXPECT_EQ(Lip.lastRequest.type, WALK_B);
    EXPECT_EQ(K().phase, Phase::Distance);
    EXPECT_EQ(K().foot, Skill::KickFoot::Right);
}

// Placed while a side step was still held, then too close: only the distance is redone,
// and the kick follows without another lateral check.
TEST_F(KickApproach, BackingOffAfterThePlacingKeepsTheLateralPhase) {
    ASSERT_EQ(UntilKickState(-0.15, 0.04, 0.0), WalkFR);
    At(-0.12, 0.026, 0.0);
    At(-0.12, 0.026, 0.0);
    EXPECT_EQ(K().phase, Phase::FinalDistance);
    EXPECT_EQ(Lip.lastRequest.type, WALK_B);
    At(-0.16, 0.026, 0.0);
    EXPECT_EQ(K().phase, Phase::Placed);
    EXPECT_EQ(K().DribbleState, WalkFR);
    At(-0.16, 0.026, 0.0);
    EXPECT_EQ(K().DribbleState, ReadyForRightKick);
}

TEST_F(KickApproach, StopBeforeTheKickKeepsTheSmallStepsItApproachedWith) {
    ASSERT_EQ(UntilKickState(-0.15, 0.026, 0.0), ReadyForRightKick);
    const long walks = Lip.lastRequest.walkCalls;
    At(-0.15, 0.026, 0.0);
    EXPECT_EQ(Lip.lastRequest.walkCalls, walks);
    EXPECT_GT(Lip.lastRequest.stopCalls, 0);
    EXPECT_TRUE(Lip.lastRequest.smallWalk);
}

TEST_F(KickApproach, StraightKickRunsToItsEndAndTheThirdComesFromTheOtherSide) {
    ASSERT_GT(UntilKickDone(-0.15, 0.026, 0.0), 80);  // a stop, then the 80-cycle kick
    EXPECT_EQ(K().KickTimes, 1);
    EXPECT_FALSE(timer.IsTimerRun());
    EXPECT_EQ(K().foot, Skill::KickFoot::Undecided);
    ASSERT_GT(UntilKickDone(-0.15, 0.026, 0.0), 80);
    EXPECT_EQ(K().KickTimes, 2);

    At(-0.15, 0.026, 0.0);
    EXPECT_TRUE(K().bIsKickManyTimes);
    EXPECT_EQ(K().KickTimes, 0);
    At(-0.15, 0.026, 0.0);
    At(-0.15, 0.026, 0.0);
    EXPECT_EQ(K().foot, Skill::KickFoot::Left);  // the band right of the line, for the left foot
    At(-0.15, 0.026, 0.0);
    EXPECT_EQ(K().DribbleState, WalkFR);
}

TEST_F(KickApproach, CrossKickUsesTheTableOfItsKickSize) {
    // Beside the ball, facing across the kick line, the kick heading on the body's right.
    EXPECT_EQ(UntilKickState(-0.05, -0.175, -90.0), ReadyForKickRight);

    SetUp();
    // 17.5 cm off is too far for the small kick: walk in, then hold and side-step.
    EXPECT_EQ(UntilKickState(-0.05, -0.175, -90.0, true), WalkFL1);
    // Level with the ball it steps back along the line first, then walks in and kicks.
    EXPECT_EQ(UntilKickState(-0.1, -0.1, -90.0, true), ReadyForKickRight_Small);

    SetUp();
    EXPECT_EQ(UntilKickState(-0.05, 0.175, 90.0), ReadyForKickLeft);
}

TEST_F(KickApproach, ChangingPathDropsPhasesLatchedOnTheOtherOne) {
    At(-0.15, 0.026, 3.0);
    At(-0.15, 0.026, 3.0);
    ASSERT_EQ(K().phase, Phase::ChooseFoot);
    // Now the kick runs across the body: its turn phase starts afresh.
    At(-0.15, -0.1, -75.0);
    EXPECT_EQ(K().DribbleState, WalkTurn1);
    EXPECT_EQ(K().phase, Phase::Facing);
    At(-0.05, -0.175, -90.0);
    At(-0.05, -0.175, -90.0);
    ASSERT_EQ(K().phase, Phase::Inside);
    // And back: nothing of the cross kick's lateral checks survives.
    At(-0.15, 0.026, 3.0);
    EXPECT_EQ(K().phase, Phase::Distance);

    // The target side of the ball is a path of its own.
    At(0.15, -0.1, 0.0);
    At(0.15, -0.1, 0.0);
    EXPECT_EQ(K().DribbleState, WalkBL);
    EXPECT_EQ(K().phase, Phase::Facing);
}

TEST_F(KickApproach, GetBehindStartsWithTheSideStepAfterEitherReset) {
    At(0.15, -0.1, 0.0);
    ASSERT_EQ(K().DribbleState, WalkBL);
    EXPECT_EQ(Lip.lastRequest.type, WALK_HR);
    EXPECT_FALSE(Lip.lastRequest.smallWalk);
    At(0.15, -0.3, 0.0);
    At(0.15, -0.3, 0.0);
    ASSERT_TRUE(K().bToSafeLine);
    EXPECT_EQ(Lip.lastRequest.type, WALK_B);

    skill.ReadyForKick_New(kTarget, false, true);
    EXPECT_FALSE(K().bToSafeLine);
    At(0.15, -0.1, 0.0);
    At(0.15, -0.1, 0.0);
    EXPECT_EQ(K().DribbleState, WalkBL);
    EXPECT_EQ(Lip.lastRequest.type, WALK_HR);  // not backwards over the ball

    At(0.15, -0.3, 0.0);
    At(0.15, -0.3, 0.0);
    ASSERT_TRUE(K().bToSafeLine);
    const Vector rolled = kBall + Vector(0.0, 0.6, 0.0);
    BallAt(rolled.Vx, rolled.Vy);
    Step();
    EXPECT_FALSE(K().bToSafeLine);
}

TEST_F(KickApproach, GetBehindBacksPastTheBallAndStepsBackTowardsTheLine) {
    At(0.15, -0.3, 0.0);
    At(0.15, -0.3, 0.0);
    ASSERT_TRUE(K().bToSafeLine);
    At(-0.25, -0.3, 0.0);
    At(-0.25, -0.3, 0.0);
    EXPECT_EQ(Lip.lastRequest.type, WALK_HL);
    At(-0.25, -0.03, 0.0);
    At(-0.25, -0.03, 0.0);
    EXPECT_FALSE(K().bToSafeLine);
    EXPECT_TRUE(K().bNeedUpdateDribbleState);
}

TEST_F(KickApproach, WalkOtherHoldsUntilWithinReach) {
    At(-0.6, 0.0, 0.0);
    EXPECT_EQ(K().DribbleState, WalkOther);
    EXPECT_FALSE(K().bNeedUpdateDribbleState);
    At(-0.45, 0.0, 0.0);
    EXPECT_EQ(K().DribbleState, WalkOther);
    EXPECT_FALSE(K().bNeedUpdateDribbleState);
    At(-0.38, 0.0, 0.0);
    EXPECT_TRUE(K().bNeedUpdateDribbleState);
    At(-0.38, 0.0, 0.0);  // facing the kick already: that phase passes first
    EXPECT_EQ(K().phase, Phase::Distance);
    At(-0.38, 0.0, 0.0);
    EXPECT_EQ(K().DribbleState, WalkF);
}

TEST_F(KickApproach, ResetCommandsNothingAndStartsTheApproachAfresh) {
    ASSERT_GT(UntilKickDone(-0.15, 0.026, 0.0), 80);
    At(-0.15, 0.026, 3.0);
    K().bIsWalkStop = K().bToSafeLine = true;
    const long walks = Lip.lastRequest.walkCalls, stops = Lip.lastRequest.stopCalls;
    skill.ReadyForKick_New(kTarget, false, true);
    EXPECT_EQ(Lip.lastRequest.walkCalls, walks);
    EXPECT_EQ(Lip.lastRequest.stopCalls, stops);
    EXPECT_EQ(K().phase, Phase::Facing);
    EXPECT_EQ(K().DribbleState, WalkF);
    EXPECT_FALSE(K().bIsWalkStop || K().bToSafeLine);
    EXPECT_TRUE(K().bNeedUpdateDribbleState);
    EXPECT_EQ(K().KickTimes, 0);  // the next kick does not count towards switching feet
    EXPECT_EQ(K().kicksDone, 1);  // the tools' count survives
    // Measured afresh: the first sample is not averaged with one from before the reset.
    At(-0.15, 0.026, 20.0);
    EXPECT_EQ(K().DribbleState, WalkTurn);
}

TEST_F(KickApproach, AKickLeftEarlyGivesTheTimerBack) {
    StartKick();
    ASSERT_TRUE(timer.IsTimerRun());
    BallAt(kBall.Vx + 1.0, kBall.Vy);
    Step();
    EXPECT_FALSE(timer.IsTimerRun());
    EXPECT_EQ(K().KickTimes, 0);

    SetUp();
    StartKick();
    ASSERT_TRUE(timer.IsTimerRun());
    skill.ReadyForKick_New(kTarget, false, true);
    EXPECT_FALSE(timer.IsTimerRun());

    // Called again after someone else had the cycle: the kick restarts after a new stop.
    SetUp();
    StartKick();
    NextCycle();
    NextCycle();
    const long stops = Lip.lastRequest.stopCalls;
    At(-0.15, 0.026, 0.0);
    EXPECT_FALSE(timer.IsTimerRun());
    EXPECT_EQ(Lip.lastRequest.stopCalls, stops + 1);
}

TEST_F(KickApproach, ResetLeavesAMotionThatIsNotOursRunning) {
    StartKick();
    skill.ReadyForKick_New(kTarget, false, true);
    ACT.BigKick();
    for (int i = 0; i < 5; ++i) {
        NextCycle();
        skill.ReadyForKick_New(kTarget, false, true);
        ACT.BigKick();
    }
    EXPECT_TRUE(timer.IsTimerRun());
    EXPECT_EQ(timer.GetTime(), 5);
}

}  // namespace
