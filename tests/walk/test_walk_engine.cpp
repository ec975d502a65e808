// Walking engine rules seen from outside: the standing posture's commands and its
// recognition, the first walk's start step, turn requests, the arm swing, resets, gain
// changes, the three diagnostics and the small-step rows of this program.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "geometry/geo.h"
#include "motion/acthandle.h"
#include "motion/nao.h"
#include "runtime/corvane.h"
#include "runtime/variant.h"
#include "support/walk_loop.h"
#include "support/walk_rows.h"
#include "worldmodel/worldmodel.h"

namespace {

using walktest::ClosedLoop;

int Leg(bool left, int k) {
    return (left ? JID_LLEG_1 : JID_RLEG_1) + 2 * (k - 1);
}

const double kStandRightDeg[6] = {0, 5.10, 18.30, -62.49, 44.19, -5.10};
const double kStandLeftDeg[6] = {0, 1.08, 18.57, -63.18, 44.62, -1.08};

void SetLegsDeg(const double (&right)[6], const double (&left)[6]) {
    for (int k = 1; k <= 6; ++k) {
        wm.m_HJ[Leg(false, k)].fAngle = right[k - 1];
        wm.m_HJ[Leg(true, k)].fAngle = left[k - 1];
    }
}

void ZeroAllJoints() {
    for (HJInfo& joint : wm.m_HJ) joint.fAngle = 0.0;
}

}  // namespace

TEST(WalkPosture, FromTheZeroPostureLegsMoveAtAngleOverGainAndArmsComeDown) {
    ZeroAllJoints();
    ACT.ClearControl();
    LIP lip;
    EXPECT_FALSE(lip.Prepare(0, false));
    // Radians over the gain 0.35, so the right knee's -62.49 degrees asks -3.116 rad/s.
    EXPECT_NEAR(ACT.HJControl[JID_RLEG_4].fAngle, salt::gDegToRad(-62.49) / 0.35, 2e-3);
    EXPECT_NEAR(ACT.HJControl[JID_LLEG_5].fAngle, salt::gDegToRad(44.62) / 0.35, 2e-3);
    EXPECT_NEAR(ACT.HJControl[JID_RLEG_2].fAngle, salt::gDegToRad(5.10) / 0.35, 2e-3);
    EXPECT_FLOAT_EQ(lip.SlowGain, 0.35f);
    for (int j = JID_LLEG_1; j <= JID_RLEG_6; ++j) EXPECT_TRUE(ACT.HJControl[j].bCtrled) << j;
    EXPECT_DOUBLE_EQ(ACT.HJControl[JID_LARM_1].fAngle, -80 * 0.2);
    EXPECT_DOUBLE_EQ(ACT.HJControl[JID_RARM_1].fAngle, -80 * 0.2);
    EXPECT_FALSE(ACT.HJControl[JID_HEAD_1].bCtrled);  // already there
    EXPECT_FALSE(ACT.HJControl[JID_LARM_2].bCtrled);
}

TEST(WalkPosture, RecognisedWhereTheLegsSettleNotOnlyAtTheFixedAngles) {
    ZeroAllJoints();
    LIP fresh;
    // Each fixed test on its own: both hip pitches at 30, both knees at -74, both ankles at 45.
    const double hips[6] = {0, 0, 30.5, 0, 0, 0};
    const double knees[6] = {0, 0, 0, -73.2, 0, 0};
    const double ankles[6] = {0, 0, 0, 0, 45.9, 0};
    SetLegsDeg(hips, hips);
    EXPECT_TRUE(fresh.IsPrepareDone());
    SetLegsDeg(knees, knees);
    EXPECT_TRUE(fresh.IsPrepareDone());
    SetLegsDeg(ankles, ankles);
    EXPECT_TRUE(fresh.IsPrepareDone());

    // The commanded posture with both ankle pitches 0.25 degree short: every fixed test
    // misses it, the posture Prepare commands takes it.
    double right[6], left[6];
    for (int k = 0; k < 6; ++k) {
        right[k] = kStandRightDeg[k];
        left[k] = kStandLeftDeg[k];
    }
    right[4] -= 0.25;
    left[4] -= 0.25;
    SetLegsDeg(right, left);
    EXPECT_FALSE(fresh.IsPrepareDone());  // nothing commanded yet to compare with
    ACT.ClearControl();
    fresh.Prepare(0, false);
    EXPECT_TRUE(fresh.IsPrepareDone());
    EXPECT_TRUE(fresh.Prepare(0, false));
    right[2] += 1.5;
    SetLegsDeg(right, left);
    EXPECT_FALSE(fresh.IsPrepareDone());
    ZeroAllJoints();
}

TEST(WalkStart, FirstWalkAfterStartUpHandsTheSupportOverInItsStartStep) {
    // The start step begins on the right foot; its double-support window passes the
    // support to the left one, as after every reset.
    for (bool resetFirst : {false, true}) {
        ClosedLoop loop(true);
        if (resetFirst) loop.Cycle([](LIP& l) { l.Walk(WALK_F, 0, false, true); });
        std::set<bool> supports;
        int startStepCalls = 0;
        while (loop.phases.size() < 400 && (loop.phases.empty() || loop.lip.StepCount < 2)) {
            loop.Walk(WALK_F, 0, false, 1);
            if (loop.lip.bStartWalk && loop.lip.mPhase == NORMAL_STEP) {
                ++startStepCalls;
                supports.insert(loop.lip.bLeftHold);
            }
        }
        EXPECT_EQ(supports.size(), 2u) << resetFirst;
        EXPECT_EQ(startStepCalls, 18) << resetFirst;  // 0.02 s to 0.70 s of gait time
        EXPECT_LE(loop.fig.startStepIKFailures, 1) << resetFirst;
    }
}

TEST(WalkTurn, RequestClampedAndReachedFiveDegreesPerStep) {
    struct Case {
        ACT_TYPE type;
        int request, limit;
    };
    for (const Case& c : {Case{WALK_F, 90, 40}, Case{WALK_F, -90, -40}, Case{WALK_STAY, 90, 30}}) {
        ClosedLoop loop(true);
        std::vector<int> angles;
        for (int i = 0; i < 400; ++i) {
            loop.Walk(c.type, c.request, false, 1);
            if (loop.lip.mPhase == PREPARE) {
                EXPECT_EQ(loop.lip.mAngle, 0);
            }
            if (angles.empty() || angles.back() != loop.lip.mAngle) angles.push_back(loop.lip.mAngle);
        }
        ASSERT_GE(angles.size(), 2u);
        EXPECT_EQ(angles.back(), c.limit) << c.type;
        for (size_t i = 1; i < angles.size(); ++i) EXPECT_EQ(std::abs(angles[i] - angles[i - 1]), 5) << i;
        EXPECT_EQ(loop.fig.ikFailures, 0);
    }
}

TEST(WalkArms, SwingWithTheSupportFootUnlessABehaviourHoldsThem) {
    for (bool disabled : {false, true}) {
        ClosedLoop loop(true);
        loop.lip.bDisableSwingArm = disabled;
        loop.Walk(WALK_F, 0, false, 300);
        std::set<bool> forearmOut;
        for (int i = 0; i < 16; ++i) {
            loop.Walk(WALK_F, 0, false, 1);
            const HJCtrl& forearm = ACT.HJControl[JID_LARM_4];
            EXPECT_EQ(forearm.bCtrled, !disabled);
            if (!disabled) {
                // Towards -50 degrees while the left foot supports, towards 10 otherwise.
                const double target = loop.lip.bLeftHold ? -50 : 10;
                EXPECT_DOUBLE_EQ(forearm.fAngle, (target - wm.m_HJ[JID_LARM_4].fAngle) * 0.1);
                forearmOut.insert(loop.lip.bLeftHold);
            }
        }
        if (!disabled) {
            EXPECT_EQ(forearmOut.size(), 2u);
        }
    }
}

TEST(WalkReset, ClearRestartsWithAStartStepAndKeepsThePhase) {
    ClosedLoop loop(true);
    loop.Walk(WALK_HR, 0, false, 300);
    loop.Cycle([](LIP& l) { l.Walk(WALK_HR, 0, false, true); });
    EXPECT_FALSE(ACT.HJControl[JID_LLEG_1].bCtrled);  // a reset commands nothing
    EXPECT_EQ(loop.lip.iCycle, -1.0f);
    EXPECT_TRUE(loop.lip.bStartWalk);
    EXPECT_FALSE(loop.lip.Caled1);
    EXPECT_EQ(loop.lip.mPhase, NORMAL_STEP);
    loop.Walk(WALK_HR, 0, false, 1);
    EXPECT_EQ(loop.lip.StepCount, 1);
    EXPECT_FLOAT_EQ(loop.lip.SlowGain, 0.15f);
    loop.Walk(WALK_HR, 0, false, 300);
    EXPECT_EQ(loop.fig.ikFailures, 0);
}

TEST(WalkGain, LoosensWhileAChangeOfWalkTypeIsPending) {
    ClosedLoop loop(true);
    loop.Walk(WALK_F, 0, false, 300);
    ASSERT_FLOAT_EQ(loop.lip.SlowGain, 0.08f);
    float loosest = 0.0f;
    for (int i = 0; i < 200 && loop.lip.mType != WALK_STAY; ++i) {
        loop.Walk(WALK_STAY, 0, false, 1);
        if (loop.lip.bChangeState) loosest = std::max(loosest, loop.lip.SlowGain);
    }
    EXPECT_EQ(loop.lip.mType, WALK_STAY);
    EXPECT_FLOAT_EQ(loosest, 0.15f);
    loop.Walk(WALK_STAY, 0, false, 100);
    EXPECT_FLOAT_EQ(loop.lip.SlowGain, 0.08f);
}

TEST(WalkDiagnostics, UnknownWalkTypeComplainsEveryCycleAndRepeatsTheLastPoses) {
    ClosedLoop loop(true);
    loop.Walk(WALK_F, 0, false, 200);
    testing::internal::CaptureStdout();
    for (int i = 0; i < 100 && loop.lip.mType != WALK_F_L; ++i) loop.Walk(WALK_F_L, 0, false, 1);
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(loop.lip.mType, WALK_F_L);  // after the steps a change waits for
    const salt::Vector3f torso = loop.lip.TorsoPos;
    const salt::Vector3f hold = loop.lip.HoldFootPos;
    const salt::Vector3f move = loop.lip.MoveFootPos;
    for (int cycle = 0; cycle < 3; ++cycle) {
        testing::internal::CaptureStdout();
        loop.Walk(WALK_F_L, 0, false, 1);
        // Once the support foot changes, the frozen poses put each foot on the other
        // leg's side, which the solver refuses as well.
        EXPECT_EQ(testing::internal::GetCapturedStdout().rfind("Parameter ERROR in LIP   5\n", 0), 0u);
    }
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(loop.lip.TorsoPos[i], torso[i]);
        EXPECT_EQ(loop.lip.HoldFootPos[i], hold[i]);
        EXPECT_EQ(loop.lip.MoveFootPos[i], move[i]);
    }
    EXPECT_EQ(loop.fig.nonFinite, 0);
}

TEST(WalkDiagnostics, PhaseOutsideTheWalkingOnesOnlyComplains) {
    LIP lip;
    lip.setPhase(MARK_TIME_STEP);
    ACT.ClearControl();
    testing::internal::CaptureStdout();
    lip.Walk(WALK_F, 0, false, false);
    EXPECT_FALSE(lip.StopWalk(0, false));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Lip Phase Error!\nLip Phase Error!\n");
    for (const HJCtrl& joint : ACT.HJControl) EXPECT_FALSE(joint.bCtrled);
}

TEST(WalkDiagnostics, UnreachableFootCommandsNoJointAndIsCounted) {
    // The backward start step ends with the swing foot 19 cm behind the support foot: twice it
    // lies a few millimetres beyond the leg.
    ClosedLoop loop(true);
    std::string out;
    int refusedCycles = 0;
    for (int i = 0; i < 200; ++i) {
        const int before = loop.lip.iIKFailures;
        testing::internal::CaptureStdout();
        loop.Walk(WALK_B, 0, false, 1);
        out += testing::internal::GetCapturedStdout();
        if (loop.lip.iIKFailures == before) continue;
        ++refusedCycles;
        for (int j = JID_LARM_1; j <= JID_RLEG_6; ++j) EXPECT_FALSE(ACT.HJControl[j].bCtrled) << j;
    }
    EXPECT_EQ(refusedCycles, 2);
    EXPECT_EQ(loop.lip.iIKFailures, 2);
    const std::string block = "Error!         IK_LEG\nTo  ";
    ASSERT_EQ(out.rfind(block, 0), 0u) << out;
    EXPECT_NE(out.find("\nHold  -0.0485 0 0.05\nMove  0.0485 -0.18"), std::string::npos) << out;
    EXPECT_NE(out.find(block, block.size()), std::string::npos);
}

TEST(WalkSmallSteps, RowsOfThisProgram) {
    ASSERT_FALSE(gAltBuild);
    EXPECT_GT(walktest::CheckSmallStepRows({0.25f, 0.01f, 0.8f, 0.36f * 0.4f}), 2500);
}
