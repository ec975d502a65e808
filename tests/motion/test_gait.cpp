// Gait generator: pendulum timing, where each phase starts and ends, the alternation of
// the support foot over a long walk, and the step-end rules for stops and changes.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "motion/3dlip.h"

namespace {

// Drives the generator as the engine's normal step does: the clock advances by 0.04 s
// of gait time per call and restarts just after EndTime2 when a step ends.
struct GaitClock {
    explicit GaitClock(ACT_TYPE type) {
        lip.mType = type;
        lip.iCycle = -1;
    }

    void Period() {
        lip.iCycle += 2;
        lip.CalWalkData(lip.iCycle * 0.02f, 2, false, false);
        if (lip.EndTime4 - lip.iCycle * 0.02f < 0.04f) lip.iCycle = lip.EndTime2 / 0.02f + 1;
    }

    // Periods until the generator reports a step end.
    int ToStepEnd() {
        for (int n = 1; n <= 50; ++n) {
            Period();
            if (lip.bChangeFoot) return n;
        }
        return -1;
    }

    // Asks for another walk type as the engine does when a behaviour changes its mind.
    void Request(ACT_TYPE next) {
        lip.bChangeState = true;
        lip.mNextType = next;
    }

    LIP lip;
};

// Output of a block of step ends, each of which must happen.
std::string StepEnds(GaitClock& g, int n) {
    testing::internal::CaptureStdout();
    for (int i = 0; i < n; ++i) EXPECT_GT(g.ToStepEnd(), 0);
    return testing::internal::GetCapturedStdout();
}

}  // namespace

TEST(GaitTiming, StartAndNormalStepsFromThePendulum) {
    LIP lip;
    lip.mType = WALK_F;
    lip.CalWalkData(0.02f, 2, false, false);
    EXPECT_NEAR(lip.EndTime1, std::acosh(0.09 / 0.022) / 7.0, 1e-5);
    EXPECT_NEAR(lip.EndTime1, 0.298f, 5e-4f);
    EXPECT_NEAR(lip.EndTime2, 0.303f, 5e-4f);
    EXPECT_NEAR(lip.XSpeed1E, 0.611f, 5e-4f);
    EXPECT_NEAR(lip.EndTimeLast, 0.0707f, 5e-4f);
    EXPECT_NEAR(lip.EndTime3 - lip.EndTime2, lip.EndTime4 - lip.EndTime3, 1e-6f);
    EXPECT_TRUE(lip.bStartWalk);
    EXPECT_EQ(lip.StepCount, 1);
    EXPECT_FALSE(lip.bLeftHold);
    EXPECT_FLOAT_EQ(lip.HoldFootY, 0.0485f);
    EXPECT_FLOAT_EQ(lip.MoveFootY, -0.0485f);

    GaitClock g(WALK_F);
    ASSERT_GT(g.ToStepEnd(), 0);
    g.Period();
    const LIP& l = g.lip;
    EXPECT_FALSE(l.bStartWalk);
    EXPECT_FLOAT_EQ(l.ss1, l.NextSS);
    EXPECT_NEAR(l.EndTime4 - l.EndTime2, 0.35f, 0.005f);
    EXPECT_NEAR(l.EndTime3 - l.EndTime2, l.EndTime4 - l.EndTime3, 1e-6f);
}

TEST(GaitTiming, SideStepLeftStartsOnTheLeftFoot) {
    LIP lip;
    lip.mType = WALK_HL;
    lip.CalWalkData(0.02f, 2, false, false);
    EXPECT_TRUE(lip.bLeftHold);
    EXPECT_FLOAT_EQ(lip.HoldFootY, -0.0485f);
    // ...and the double-support window hands the support to the right foot.
    lip.CalWalkData(lip.EndTime1 + 0.001f, 2, false, false);
    EXPECT_FALSE(lip.bLeftHold);
    EXPECT_FLOAT_EQ(lip.HoldFootY, 0.0485f);
}

TEST(GaitTrajectory, StartPhaseAndDoubleSupportWindow) {
    LIP lip;
    lip.mType = WALK_F;
    lip.CalWalkData(0.0f, 2, false, false);
    EXPECT_NEAR(lip.TorsoX, lip.x0, 1e-6f);
    EXPECT_NEAR(lip.MoveFootZ, 0.0f, 1e-6f);
    lip.CalWalkData(lip.EndTime1 / 2, 2, false, false);
    EXPECT_NEAR(lip.MoveFootZ, lip.H, 1e-5f);
    lip.CalWalkData(lip.EndTime1, 2, false, false);
    EXPECT_NEAR(lip.TorsoX, lip.s0, 1e-4f);
    EXPECT_NEAR(lip.MoveFootX, lip.s0, 1e-5f);
    EXPECT_NEAR(lip.MoveFootZ, 0.0f, 1e-5f);

    lip.CalWalkData(lip.EndTime1 + 0.002f, 2, false, false);
    EXPECT_NEAR(lip.MoveFootX, -lip.s0, 1e-5f);
    EXPECT_TRUE(lip.bLeftHold);
    EXPECT_FLOAT_EQ(lip.HoldFootY, -0.0485f);
    EXPECT_FLOAT_EQ(lip.MoveFootY, 0.0485f);
    EXPECT_EQ(lip.TorsoY, 0.0f);
    EXPECT_NEAR(lip.TorsoX, lip.XSpeed1E * 0.002f - lip.ss1, 1e-5f);
}

TEST(GaitTrajectory, ApproachAndDepartureEndpoints) {
    GaitClock g(WALK_F);
    ASSERT_GT(g.ToStepEnd(), 0);
    LIP& l = g.lip;
    const float e2 = l.EndTime2;  // every later step starts there too
    l.CalWalkData(e2 + 1e-5f, 2, false, false);
    ASSERT_EQ(l.EndTime2, e2);
    const float S = l.ss1 + l.ss2;
    EXPECT_NEAR(l.TorsoX, -l.ss1, 1e-4f);
    EXPECT_NEAR(l.MoveFootX, -S, 1e-4f);
    EXPECT_NEAR(l.MoveFootZ, 0.0f, 1e-4f);

    l.CalWalkData(l.EndTime3, 2, false, false);
    EXPECT_NEAR(l.TorsoX, 0.0f, 1e-4f);
    EXPECT_NEAR(l.MoveFootX, 0.0f, 1e-4f);
    EXPECT_NEAR(l.MoveFootZ, l.H, 1e-5f);

    l.CalWalkData(l.EndTime3 + 1e-5f, 2, false, false);
    EXPECT_NEAR(l.TorsoX, 0.0f, 1e-4f);
    EXPECT_NEAR(l.MoveFootZ, l.H, 1e-5f);

    l.CalWalkData(l.EndTime4, 2, false, false);
    EXPECT_NEAR(l.TorsoX, l.ss2, 1e-4f);
    EXPECT_NEAR(l.MoveFootX, S, 1e-4f);
    EXPECT_NEAR(l.MoveFootZ, 0.0f, 1e-5f);
    EXPECT_TRUE(l.bChangeFoot);
}

TEST(GaitTrajectory, LongWalkAlternatesAndStaysBounded) {
    GaitClock g(WALK_F);
    testing::internal::CaptureStdout();
    bool leftBefore = false;
    for (int step = 1; step <= 60; ++step) {
        const int periods = g.ToStepEnd();
        ASSERT_GT(periods, 0);
        if (step > 1) {
            EXPECT_EQ(periods, 8) << step;
            EXPECT_NE(g.lip.bLeftHold, leftBefore) << step;
        }
        leftBefore = g.lip.bLeftHold;
        EXPECT_EQ(g.lip.StepCount, step + 1);
        for (float v : {g.lip.TorsoX, g.lip.TorsoY, g.lip.MoveFootX, g.lip.MoveFootZ}) {
            ASSERT_TRUE(std::isfinite(v));
        }
        EXPECT_LT(std::fabs(g.lip.TorsoY), 0.07f);
        EXPECT_LT(std::fabs(g.lip.TorsoX), 0.1f);
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(g.lip.mPhase, PREPARE);
}

// Backward: a forward stop slows down over normal steps instead.
TEST(GaitClosingStep, RunsFromMinusSsToZeroThenStops) {
    GaitClock g(WALK_B);
    g.lip.bEndWalk = true;
    ASSERT_GT(g.ToStepEnd(), 0);
    LIP& l = g.lip;
    EXPECT_EQ(l.mPhase, LAST_STEP);
    const bool leftBefore = l.bLeftHold;
    const float el = l.EndTimeLast;
    l.CalWalkData(0.0f, 2, true, false);
    EXPECT_NE(l.bLeftHold, leftBefore);
    EXPECT_NEAR(l.TorsoX, -l.ss, 1e-5f);
    EXPECT_NEAR(l.MoveFootX, -l.ss, 1e-5f);
    EXPECT_FLOAT_EQ(l.MoveFootY, l.bLeftHold ? 0.0485f : -0.0485f);
    l.CalWalkData(el / 2, 2, true, false);
    EXPECT_NEAR(l.MoveFootZ, l.H, 1e-5f);
    l.CalWalkData(el, 2, true, false);
    EXPECT_NEAR(l.TorsoX, 0.0f, 1e-4f);
    EXPECT_NEAR(l.MoveFootX, 0.0f, 1e-5f);
    EXPECT_NEAR(l.MoveFootZ, 0.0f, 1e-5f);
    EXPECT_EQ(l.mPhase, LAST_STEP);

    const float torso = l.TorsoX;
    l.CalWalkData(el + 0.01f, 2, true, false);
    EXPECT_EQ(l.mPhase, STOP);
    EXPECT_EQ(l.TorsoX, torso);
}

TEST(GaitStepEnd, StopWithSmallStepsGoesStraightToStop) {
    GaitClock g(WALK_F);
    g.lip.bEndWalk = true;
    g.lip.bSmallWalk = true;
    ASSERT_GT(g.ToStepEnd(), 0);
    EXPECT_EQ(g.lip.mPhase, STOP);
}

TEST(GaitStepEnd, ForwardToBackwardReversesThroughAClosingStep) {
    GaitClock g(WALK_F);
    ASSERT_GT(g.ToStepEnd(), 0);
    g.Request(WALK_B);
    EXPECT_EQ(StepEnds(g, 5), "");
    EXPECT_EQ(g.lip.mType, WALK_F);
    EXPECT_EQ(g.lip.iInChangeCount, 5);
    EXPECT_EQ(StepEnds(g, 1), "X");
    EXPECT_EQ(g.lip.mType, WALK_STAY);
    EXPECT_EQ(g.lip.mPhase, LAST_STEP);
    EXPECT_TRUE(g.lip.bChangeDirection);
    EXPECT_TRUE(g.lip.bChangeState);
    EXPECT_EQ(g.lip.iInChangeCount, 0);

    // Marking time, then backward; the change is complete two steps later.
    EXPECT_EQ(StepEnds(g, 2), "");
    EXPECT_EQ(g.lip.mType, WALK_B);
    EXPECT_TRUE(g.lip.bChangeDirection);
    EXPECT_EQ(StepEnds(g, 2), "");
    EXPECT_FALSE(g.lip.bChangeDirection);
    EXPECT_FALSE(g.lip.bChangeState);
    EXPECT_EQ(g.lip.iInChangeCount, 0);
    EXPECT_EQ(g.lip.mType, WALK_B);
}

TEST(GaitStepEnd, StopDuringAReversalClosesInsteadOfTurningRound) {
    GaitClock g(WALK_B);
    g.Request(WALK_F);
    EXPECT_EQ(StepEnds(g, 3), "X");
    EXPECT_EQ(g.lip.mType, WALK_STAY);
    EXPECT_EQ(StepEnds(g, 1), "");
    g.lip.bEndWalk = true;
    g.lip.mPhase = NORMAL_STEP;
    EXPECT_EQ(StepEnds(g, 1), "");
    EXPECT_EQ(g.lip.mType, WALK_STAY);
    EXPECT_EQ(g.lip.mPhase, LAST_STEP);
    EXPECT_FALSE(g.lip.bChangeDirection);
    EXPECT_FALSE(g.lip.bChangeState);
}

TEST(GaitStepEnd, WaitingStepsPerWalkType) {
    struct Case {
        ACT_TYPE from, to;
        bool small;
        int stepEnds;  // step ends after the request until the new type is in force
    };
    const Case cases[] = {
        {WALK_F, WALK_STAY, false, 6}, {WALK_HL, WALK_HR, false, 6}, {WALK_B, WALK_STAY, false, 3},
        {WALK_STAY, WALK_HL, false, 3}, {WALK_F, WALK_HL, true, 3},  {WALK_HR, WALK_B, true, 3},
    };
    for (const Case& c : cases) {
        GaitClock g(c.from);
        g.lip.bSmallWalk = c.small;
        g.Request(c.to);
        EXPECT_EQ(StepEnds(g, c.stepEnds - 1), "");
        EXPECT_EQ(g.lip.mType, c.from) << c.from << " -> " << c.to;
        EXPECT_EQ(StepEnds(g, 1), "");
        EXPECT_EQ(g.lip.mType, c.to) << c.from << " -> " << c.to;
        EXPECT_FALSE(g.lip.bChangeState);
        EXPECT_EQ(g.lip.mPhase, PREPARE);
    }
}

TEST(GaitStepEnd, ChangeCompletingDuringAStopClosesWithTheOldType) {
    GaitClock g(WALK_STAY);
    g.Request(WALK_HR);
    EXPECT_EQ(StepEnds(g, 2), "");
    g.lip.bEndWalk = true;
    g.lip.bSmallWalk = false;
    EXPECT_EQ(StepEnds(g, 1), "");
    EXPECT_EQ(g.lip.mType, WALK_STAY);
    EXPECT_EQ(g.lip.mPhase, LAST_STEP);
    EXPECT_FALSE(g.lip.bChangeState);
}

TEST(GaitGenerator, ClearRestartsTheWalkAndLateTimeOnlyComplains) {
    GaitClock g(WALK_F);
    ASSERT_GT(g.ToStepEnd(), 0);
    g.Period();
    LIP& l = g.lip;
    const float torso = l.TorsoX;
    testing::internal::CaptureStdout();
    l.CalWalkData(l.EndTime4 + 0.1f, 2, false, false);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.rfind("Timer Error!!!                      t=", 0), 0u) << out;
    EXPECT_NE(out.find("    "), std::string::npos);
    EXPECT_EQ(out.back(), '\n');
    EXPECT_EQ(l.TorsoX, torso);

    l.CalWalkData(0.0f, 2, false, true);
    EXPECT_FALSE(l.Caled1);
    EXPECT_EQ(l.XSpeed1E, 0.0f);
    l.bStartWalk = false;
    l.CalWalkData(0.02f, 2, false, false);
    EXPECT_TRUE(l.bStartWalk);
    EXPECT_EQ(l.StepCount, 1);
    EXPECT_NEAR(l.XSpeed1E, 0.611f, 5e-4f);
}

TEST(GaitTurn, ProfilesOpenAndCloseOverTheStep) {
    GaitClock g(WALK_F);
    g.lip.mSetAngle = -20;
    ASSERT_GT(g.ToStepEnd(), 0);
    g.Period();
    LIP& l = g.lip;
    EXPECT_EQ(l.mAngle, -20);
    const float mid = (l.EndTime2 + l.EndTime4) / 2;
    EXPECT_EQ(l.GetTurnAngle_tomax(l.EndTime2 - 0.01f), 20.0f);
    EXPECT_NEAR(l.GetTurnAngle_tomax(l.EndTime2), 0.0f, 1e-4f);
    EXPECT_NEAR(l.GetTurnAngle_tomax(mid), 10.0f, 1e-3f);
    EXPECT_NEAR(l.GetTurnAngle_tomax(l.EndTime4), 20.0f, 1e-3f);
    EXPECT_EQ(l.GetTurnAngle_tomin(l.EndTime2 - 0.01f), 0.0f);
    EXPECT_NEAR(l.GetTurnAngle_tomin(l.EndTime2), 20.0f, 1e-3f);
    EXPECT_NEAR(l.GetTurnAngle_tomin(mid), 10.0f, 1e-3f);
    EXPECT_NEAR(l.GetTurnAngle_tomin(l.EndTime4), 0.0f, 1e-3f);

    l.mSetAngle = 0;
    ASSERT_GT(g.ToStepEnd(), 0);
    g.Period();
    EXPECT_EQ(l.mAngle, 0);
}
