// Key-frame motions and head control on the shared cycle timer: first and last calls, quiet
// cycles, world-model flags, the dive sides, and a sweep over every motion, every cycle and
// random joint angles.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "motion/acthandle.h"
#include "motion/keyframes.h"
#include "runtime/corvane.h"
#include "worldmodel/worldmodel.h"

namespace {

using MotionCall = std::function<bool(ActHandle&)>;

struct NamedMotion {
    const char* name;
    const keyframe::Motion& table;
    MotionCall call;
};

const std::vector<NamedMotion>& AllMotions() {
    static const std::vector<NamedMotion> all = {
        {"KickLeft", keyframe::kKickLeft, [](ActHandle& a) { return a.KickLeft(); }},
        {"KickRight", keyframe::kKickRight, [](ActHandle& a) { return a.KickRight(); }},
        {"KickLeft_Karate", keyframe::kKickLeftKarate, [](ActHandle& a) { return a.KickLeft_Karate(); }},
        {"KickRight_Karate", keyframe::kKickRightKarate, [](ActHandle& a) { return a.KickRight_Karate(); }},
        {"KickLeftFoot_NEW", keyframe::kKickLeftFootNew, [](ActHandle& a) { return a.KickLeftFoot_NEW(); }},
        {"KickRightFoot_NEW", keyframe::kKickRightFootNew, [](ActHandle& a) { return a.KickRightFoot_NEW(); }},
        {"BigKick", keyframe::kBigKick, [](ActHandle& a) { return a.BigKick(); }},
        {"Climb_FaceUp", keyframe::kClimbFaceUp, [](ActHandle& a) { return a.Climb_FaceUp(); }},
        {"Climb_FaceDown", keyframe::kClimbFaceDown, [](ActHandle& a) { return a.Climb_FaceDown(); }},
        {"CatchBall(1)", keyframe::kCatchBallLeftLegFolded, [](ActHandle& a) { return a.CatchBall(1); }},
        {"CatchBall(2)", keyframe::kCatchBallRightLegFolded, [](ActHandle& a) { return a.CatchBall(2); }},
        {"CatchBall(7)", keyframe::kCatchBallRightLegFolded, [](ActHandle& a) { return a.CatchBall(7); }},
    };
    return all;
}

// The simulated robot's joint limits in degrees, by JointID.
struct Range {
    double lo, hi;
};
const Range kJointRange[kJointCount] = {
    {-120, 120}, {-45, 45},                                  // head pan, tilt
    {-120, 120}, {-120, 120}, {-1, 95}, {-95, 1},            // shoulders
    {-120, 120}, {-120, 120}, {-90, 1}, {-1, 90},            // elbows
    {-90, 1}, {-90, 1}, {-25, 45}, {-45, 25}, {-25, 100}, {-25, 100},
    {-130, 1}, {-130, 1}, {-45, 75}, {-45, 75}, {-45, 25}, {-25, 45},
};

class MotionTest : public testing::Test {
protected:
    void SetUp() override {
        for (HJInfo& joint : wm.m_HJ) joint.fAngle = 0.0;
        wm.m_bNeedCheckFall = true;
        wm.m_CatchingBall = false;
        wm.m_iUnum = 2;
        wm.m_sPlayMode = "BeforeKickOff";
        wm.m_FallState = FALL_NONE;
        timer.ClearTimer();
    }
    void TearDown() override { timer.ClearTimer(); }

    // One cycle in the loop's order: clear the commands, advance the timer, run the motion.
    bool Step(const MotionCall& call) {
        act.ClearControl();
        timer.Update(1);
        return call(act);
    }
    bool Step(bool (ActHandle::*motion)()) {
        return Step([motion](ActHandle& a) { return (a.*motion)(); });
    }

    bool Commanded(int id) const { return act.HJControl[id].bCtrled; }
    double Speed(int id) const { return act.HJControl[id].fAngle; }
    int CommandCount() const {
        int n = 0;
        for (const HJCtrl& joint : act.HJControl) n += joint.bCtrled ? 1 : 0;
        return n;
    }

    ActHandle act;
};

}  // namespace

TEST_F(MotionTest, KickStartsAtItsFirstFrameAndEndsOnTheCallAtItsEndValue) {
    wm.m_bNeedCheckFall = false;
    EXPECT_FALSE(Step(&ActHandle::KickLeft));
    EXPECT_TRUE(timer.IsTimerRun());
    EXPECT_EQ(timer.GetTime(), 0);
    // First frame from a zero pose, gain 0.05: arms -120, 0, -90, -75 / -120, 0, 90, 75.
    EXPECT_DOUBLE_EQ(Speed(JID_LARM_1), -6);
    EXPECT_DOUBLE_EQ(Speed(JID_RARM_3), 4.5);
    EXPECT_DOUBLE_EQ(Speed(JID_LARM_4), -3.75);
    EXPECT_EQ(CommandCount(), 6);  // the zero targets are already reached
    for (int t = 1; t < 95; ++t) ASSERT_FALSE(Step(&ActHandle::KickLeft)) << t;
    EXPECT_FALSE(wm.m_bNeedCheckFall);  // a kick leaves fall checking alone while it runs
    EXPECT_TRUE(Step(&ActHandle::KickLeft));
    EXPECT_EQ(CommandCount(), 0);
    EXPECT_FALSE(timer.IsTimerRun());
    EXPECT_TRUE(wm.m_bNeedCheckFall);
    // The next call is a new kick.
    EXPECT_FALSE(Step(&ActHandle::KickLeft));
    EXPECT_EQ(timer.GetTime(), 0);
    EXPECT_DOUBLE_EQ(Speed(JID_LARM_1), -6);
}

TEST_F(MotionTest, KickingFramesUseTheirOwnGainsAndMirrorEachOther) {
    for (int t = 0; t <= 55; ++t) Step(&ActHandle::KickLeft);
    // t = 55: the left leg swings, gain 1; the right arm goes out to -95.
    EXPECT_DOUBLE_EQ(Speed(JID_LLEG_2), 45);
    EXPECT_DOUBLE_EQ(Speed(JID_RLEG_2), -28.23);
    EXPECT_DOUBLE_EQ(Speed(JID_RARM_2), -95);
    EXPECT_DOUBLE_EQ(Speed(JID_LLEG_4), -47.26);
    act.ClearAll();
    for (int t = 0; t <= 55; ++t) Step(&ActHandle::KickRight);
    EXPECT_DOUBLE_EQ(Speed(JID_RLEG_2), -45);
    EXPECT_DOUBLE_EQ(Speed(JID_LLEG_2), 28.23);
    EXPECT_DOUBLE_EQ(Speed(JID_LARM_2), -90);  // its arms are not mirrored
    EXPECT_DOUBLE_EQ(Speed(JID_RLEG_4), -47.26);
}

TEST_F(MotionTest, JointsWithinOneDegreeOfTheirTargetStaySilent) {
    const double first[] = {-120, 0, -90, -75};
    for (int k = 0; k < 4; ++k) wm.m_HJ[JID_LARM_1 + 2 * k].fAngle = first[k] + 0.9;
    wm.m_HJ[JID_RARM_1].fAngle = -121;   // exactly one degree: silent
    wm.m_HJ[JID_RARM_3].fAngle = 88.9;   // 1.1 degrees: driven
    wm.m_HJ[JID_LLEG_3].fAngle = -1.01;  // just past one degree from 0: driven
    Step(&ActHandle::KickLeft);
    for (int k = 0; k < 4; ++k) EXPECT_FALSE(Commanded(JID_LARM_1 + 2 * k)) << k;
    EXPECT_FALSE(Commanded(JID_RARM_1));
    EXPECT_TRUE(Commanded(JID_RARM_3));
    EXPECT_NEAR(Speed(JID_RARM_3), 0.055, 1e-12);
    EXPECT_TRUE(Commanded(JID_LLEG_3));
}

TEST_F(MotionTest, QuietCyclesCommandNothing) {
    struct Case {
        bool (ActHandle::*motion)();
        std::vector<int> quiet;
        int end;
    };
    const Case cases[] = {
        {&ActHandle::KickLeft_Karate, {30, 31, 32, 33, 34, 105}, 105},
        {&ActHandle::KickRight_Karate, {30, 31, 32, 33, 34, 105}, 105},
        {&ActHandle::KickLeftFoot_NEW, {80}, 80},
        {&ActHandle::Climb_FaceUp, {0, 30, 40, 50, 70, 90, 125}, 125},
        {&ActHandle::Climb_FaceDown, {0, 13, 32, 45, 70}, 70},
    };
    for (const Case& c : cases) {
        // A pose far from every target, so that only an empty window can leave a joint silent.
        for (HJInfo& joint : wm.m_HJ) joint.fAngle = 500;
        for (int t = 0; t <= c.end; ++t) {
            const bool done = Step(c.motion);
            const bool quiet = std::find(c.quiet.begin(), c.quiet.end(), t) != c.quiet.end();
            ASSERT_EQ(CommandCount() == 0, quiet) << "t=" << t;
            ASSERT_EQ(done, t == c.end) << "t=" << t;
        }
    }
}

TEST_F(MotionTest, BigKickHoldsStillFrom120UntilItEndsAt150) {
    for (HJInfo& joint : wm.m_HJ) joint.fAngle = 500;
    for (int t = 0; t < 120; ++t) {
        ASSERT_FALSE(Step(&ActHandle::BigKick)) << t;
        ASSERT_EQ(CommandCount(), 20) << t;
    }
    // Targets beyond every joint's range still give plain proportional commands.
    EXPECT_DOUBLE_EQ(Speed(JID_RLEG_5), 25);
    EXPECT_DOUBLE_EQ(Speed(JID_RLEG_3), 950);
    for (int t = 120; t < 150; ++t) {
        ASSERT_FALSE(Step(&ActHandle::BigKick)) << t;
        ASSERT_EQ(CommandCount(), 0) << t;
    }
    EXPECT_TRUE(Step(&ActHandle::BigKick));
    EXPECT_FALSE(timer.IsTimerRun());
}

TEST_F(MotionTest, GetUpKeepsFallCheckingOffForAllItsCalls) {
    for (int call = 1; call <= 125; ++call) {
        ASSERT_FALSE(Step(&ActHandle::Climb_FaceUp)) << call;
        ASSERT_FALSE(wm.m_bNeedCheckFall) << call;
    }
    EXPECT_TRUE(Step(&ActHandle::Climb_FaceUp));  // call 126, t = 125
    EXPECT_TRUE(wm.m_bNeedCheckFall);
    EXPECT_FALSE(timer.IsTimerRun());

    for (int call = 1; call <= 70; ++call) {
        ASSERT_FALSE(Step(&ActHandle::Climb_FaceDown)) << call;
        ASSERT_FALSE(wm.m_bNeedCheckFall) << call;
    }
    EXPECT_TRUE(Step(&ActHandle::Climb_FaceDown));
    EXPECT_TRUE(wm.m_bNeedCheckFall);
}

TEST_F(MotionTest, GetUpsDriveTheHeadAndUsePerJointGains) {
    Step(&ActHandle::Climb_FaceDown);
    Step(&ActHandle::Climb_FaceDown);  // t = 1
    EXPECT_DOUBLE_EQ(Speed(JID_HEAD_2), -3);     // -30 / 0.1
    EXPECT_DOUBLE_EQ(Speed(JID_LARM_1), -30);    // -50 / 0.6
    EXPECT_DOUBLE_EQ(Speed(JID_LLEG_3), 18);     // 90 / 0.2
    for (int t = 2; t <= 46; ++t) Step(&ActHandle::Climb_FaceDown);
    // Last frame: the knees stand up with different gains.
    EXPECT_DOUBLE_EQ(Speed(JID_LLEG_4), -65.9 * 0.15);
    EXPECT_DOUBLE_EQ(Speed(JID_RLEG_4), -65.9 * 0.2);
    EXPECT_DOUBLE_EQ(Speed(JID_LLEG_6), 0);
    EXPECT_FALSE(Commanded(JID_LLEG_6));
}

TEST_F(MotionTest, DiveSidesDifferOnlyInTheFoldingFrame) {
    // Commands of every cycle of one dive, from a zero pose.
    auto record = [this](int iType) {
        std::vector<std::vector<double>> speeds;
        for (int t = 0; t <= 150; ++t) {
            EXPECT_EQ(Step([iType](ActHandle& a) { return a.CatchBall(iType); }), t == 150);
            std::vector<double> cycle;
            for (const HJCtrl& joint : act.HJControl) cycle.push_back(joint.bCtrled ? joint.fAngle : NAN);
            speeds.push_back(cycle);
        }
        return speeds;
    };
    const auto left = record(1);
    const auto right = record(2);
    for (int t = 0; t <= 150; ++t) {
        for (int id = 0; id < kJointCount; ++id) {
            const bool same = left[t][id] == right[t][id] ||
                              (std::isnan(left[t][id]) && std::isnan(right[t][id]));
            if (t < 11 || t > 49) {
                ASSERT_TRUE(same) << "t=" << t << " joint " << id;
            }
        }
    }
    EXPECT_DOUBLE_EQ(left[11][JID_LLEG_3], 21);    // 70 x 0.3
    EXPECT_DOUBLE_EQ(left[11][JID_LLEG_4], -39);   // -130 x 0.3
    EXPECT_DOUBLE_EQ(left[11][JID_LLEG_5], 21);
    EXPECT_DOUBLE_EQ(left[11][JID_RLEG_3], 4.5);   // 30 x 0.15
    EXPECT_DOUBLE_EQ(right[11][JID_RLEG_3], 21);
    EXPECT_DOUBLE_EQ(right[11][JID_RLEG_4], -39);
    EXPECT_DOUBLE_EQ(right[11][JID_LLEG_5], 6);
    EXPECT_DOUBLE_EQ(left[11][JID_LARM_3], -9);    // the forearms turn the other way too
    EXPECT_DOUBLE_EQ(right[11][JID_LARM_3], 9);
    EXPECT_TRUE(std::isnan(left[10][JID_LLEG_3]));
    EXPECT_TRUE(std::isnan(left[50][JID_LLEG_3]));
}

TEST_F(MotionTest, DiveMarksTheCatchUntilItsLastCall) {
    for (int t = 0; t < 150; ++t) {
        ASSERT_FALSE(Step([](ActHandle& a) { return a.CatchBall(1); })) << t;
        ASSERT_TRUE(wm.m_CatchingBall) << t;
        ASSERT_TRUE(act.bCatchBall) << t;
    }
    EXPECT_TRUE(Step([](ActHandle& a) { return a.CatchBall(1); }));
    EXPECT_FALSE(wm.m_CatchingBall);
    EXPECT_FALSE(act.bCatchBall);
}

TEST_F(MotionTest, TheKeeperLyingStillAfterTheDiveIsNotMistakenForASilentBody) {
    wm.m_sPlayMode = "PlayOn";
    int calls = 0;
    bool done = false;
    while (!done && calls < 400) {
        done = Step([](ActHandle& a) { return a.CatchBall(2); });
        act.MakeCommand();
        ++calls;
    }
    EXPECT_TRUE(done);
    EXPECT_EQ(calls, 151);  // a watchdog reset would have restarted the dive
}

TEST_F(MotionTest, ClearAllRestartsWhateverRuns) {
    for (int t = 0; t < 30; ++t) Step(&ActHandle::KickLeft);
    act.ClearAll();
    EXPECT_FALSE(Step(&ActHandle::KickLeft));
    EXPECT_EQ(timer.GetTime(), 0);
    EXPECT_DOUBLE_EQ(Speed(JID_LARM_1), -6);

    for (int t = 0; t < 40; ++t) Step([](ActHandle& a) { return a.CatchBall(1); });
    act.ClearAll();
    EXPECT_FALSE(act.bCatchBall);
    Step([](ActHandle& a) { return a.CatchBall(1); });
    EXPECT_EQ(timer.GetTime(), 0);
}

// Also: a joint outside the frame, such as the head during a kick, is never commanded.
TEST_F(MotionTest, EveryCommandOfEveryMotionHeadsForItsTarget) {
    std::mt19937 random(20240611);
    for (const NamedMotion& motion : AllMotions()) {
        const keyframe::Motion& table = motion.table;
        timer.ClearTimer();
        for (int t = 0; t <= table.iEndTime; ++t) {
            for (int id = 0; id < kJointCount; ++id) {
                std::uniform_real_distribution<double> angle(kJointRange[id].lo, kJointRange[id].hi);
                wm.m_HJ[id].fAngle = angle(random);
            }
            const bool done = Step(motion.call);
            ASSERT_EQ(done, t == table.iEndTime) << motion.name << " t=" << t;
            const keyframe::Frame* frame = nullptr;
            for (size_t k = 0; k < table.iFrameCount; ++k) {
                const keyframe::Window& w = table.pFrames[k].window;
                if (t >= w.iFirst && t <= w.iLast) frame = &table.pFrames[k];
            }
            for (int id = 0; id < kJointCount; ++id) {
                const bool inFrame = frame != nullptr && frame->bDrives[id];
                if (!inFrame) {
                    ASSERT_FALSE(Commanded(id)) << motion.name << " t=" << t << " joint " << id;
                    continue;
                }
                const double diff = frame->goal[id].dTargetDeg - wm.m_HJ[id].fAngle;
                ASSERT_EQ(Commanded(id), std::fabs(diff) > 1) << motion.name << " t=" << t;
                if (!Commanded(id)) continue;
                ASSERT_TRUE(std::isfinite(Speed(id))) << motion.name << " t=" << t;
                ASSERT_EQ(Speed(id) > 0, diff > 0) << motion.name << " t=" << t << " joint " << id;
                ASSERT_NE(Speed(id), 0) << motion.name << " t=" << t << " joint " << id;
            }
            const std::string& text = act.MakeCommand();
            ASSERT_EQ(text.find("nan"), std::string::npos);
            ASSERT_EQ(text.find("inf"), std::string::npos);
        }
        EXPECT_FALSE(timer.IsTimerRun()) << motion.name;
    }
}

// ---- head control

class HeadTest : public MotionTest {
protected:
    void SetUp() override {
        MotionTest::SetUp();
        wm.m_bCanSeeFlag = false;
        wm.m_bCanSeeBall = false;
        wm.m_bCanSeeBallInfront = false;
        wm.m_dFaceAng = 0;
        wm.m_dBodyAng = 0;
        SenseParse.m_PolBallPos.PolPos = Polar(2, 0, -20);
    }
    void Turn(double panDeg, double tiltDeg = -35) {
        wm.m_HJ[JID_HEAD_1].fAngle = panDeg;
        wm.m_HJ[JID_HEAD_2].fAngle = tiltDeg;
        act.ClearControl();
        act.TurnHead();
    }
    void SeeLandmarkAndBall(bool seen) {
        wm.m_bCanSeeFlag = seen;
        wm.m_bCanSeeBall = seen;
    }
};

TEST_F(HeadTest, ScanStartsOnTheThirdBlindCallAndTurnsRoundAtBothEnds) {
    Turn(0);
    EXPECT_FALSE(Commanded(JID_HEAD_1));
    Turn(0);
    EXPECT_FALSE(Commanded(JID_HEAD_1));
    Turn(0);
    EXPECT_TRUE(Commanded(JID_HEAD_1));
    EXPECT_DOUBLE_EQ(Speed(JID_HEAD_1), 5);
    Turn(119.9);
    EXPECT_DOUBLE_EQ(Speed(JID_HEAD_1), 5);
    Turn(120);
    EXPECT_DOUBLE_EQ(Speed(JID_HEAD_1), -5);
    Turn(121);  // still past the end: no second reversal
    EXPECT_DOUBLE_EQ(Speed(JID_HEAD_1), -5);
    Turn(0);
    EXPECT_DOUBLE_EQ(Speed(JID_HEAD_1), -5);
    Turn(-120);
    EXPECT_DOUBLE_EQ(Speed(JID_HEAD_1), 5);
    Turn(-125);
    EXPECT_DOUBLE_EQ(Speed(JID_HEAD_1), 5);
    Turn(130);
    EXPECT_DOUBLE_EQ(Speed(JID_HEAD_1), -5);
}

TEST_F(HeadTest, AScanThatFirstMeetsTheRightEndTurnsAwayFromIt) {
    for (int k = 0; k < 3; ++k) Turn(-120);
    EXPECT_DOUBLE_EQ(Speed(JID_HEAD_1), 5);
    Turn(-100);
    EXPECT_DOUBLE_EQ(Speed(JID_HEAD_1), 5);
    Turn(120);
    EXPECT_DOUBLE_EQ(Speed(JID_HEAD_1), -5);
    Turn(-120);
    EXPECT_DOUBLE_EQ(Speed(JID_HEAD_1), 5);
}

TEST_F(HeadTest, TiltGoesDownUntilItReadsMinus30) {
    SeeLandmarkAndBall(true);  // no scan: only the tilt is driven
    Turn(0, 10);
    EXPECT_TRUE(Commanded(JID_HEAD_2));
    EXPECT_DOUBLE_EQ(Speed(JID_HEAD_2), -1.5);
    Turn(0, -29.9);
    EXPECT_DOUBLE_EQ(Speed(JID_HEAD_2), -1.5);
    EXPECT_EQ(act.MakeCommand(), "(he2 -1.49)");  // cut to two decimals toward zero
    Turn(0, -30);
    EXPECT_FALSE(Commanded(JID_HEAD_2));
    EXPECT_EQ(act.MakeCommand(), "(he2 0)");  // the tilt is stopped once
}

TEST_F(HeadTest, WithLandmarkAndBallInViewThePanReturnsAndStopsNearTheFront) {
    SeeLandmarkAndBall(true);
    SenseParse.m_PolBallPos.PolPos = Polar(2, -20, -20);
    Turn(50);
    EXPECT_DOUBLE_EQ(Speed(JID_HEAD_1), -50);
    Turn(30);
    EXPECT_DOUBLE_EQ(Speed(JID_HEAD_1), -30);
    Turn(29.9);
    EXPECT_FALSE(Commanded(JID_HEAD_1));
    Turn(-29.9);
    EXPECT_FALSE(Commanded(JID_HEAD_1));
    // Ball and head far apart: the pan is left to whoever else drives it.
    SenseParse.m_PolBallPos.PolPos = Polar(2, 20, -20);
    Turn(45);
    EXPECT_FALSE(Commanded(JID_HEAD_1));

    // Once in view again, a scan in progress gives way at once.
    SeeLandmarkAndBall(false);
    for (int k = 0; k < 3; ++k) Turn(45);
    EXPECT_DOUBLE_EQ(Speed(JID_HEAD_1), 5);
    SeeLandmarkAndBall(true);
    SenseParse.m_PolBallPos.PolPos = Polar(2, 0, -20);
    Turn(45);
    EXPECT_DOUBLE_EQ(Speed(JID_HEAD_1), -45);
}

TEST_F(HeadTest, BallInFrontFollowsTheBallBearingAndExpiresWhileScanning) {
    SeeLandmarkAndBall(true);
    wm.m_dFaceAng = 40;
    wm.m_dBodyAng = 10;
    SenseParse.m_PolBallPos.PolPos = Polar(2, 39, -20);  // 30 + 39 = 69: in front
    Turn(0);
    EXPECT_TRUE(wm.m_bCanSeeBallInfront);
    SenseParse.m_PolBallPos.PolPos = Polar(2, 40, -20);  // 70: not in front
    Turn(0);
    EXPECT_FALSE(wm.m_bCanSeeBallInfront);
    SenseParse.m_PolBallPos.PolPos = Polar(2, 0, -20);
    Turn(0);
    EXPECT_TRUE(wm.m_bCanSeeBallInfront);

    // Scanning across the front without the ball: the 25th such cycle clears the flag.
    SeeLandmarkAndBall(false);
    Turn(0);
    Turn(0);  // not scanning yet
    for (int k = 1; k < 25; ++k) {
        Turn(k % 2 ? 69 : -69);
        ASSERT_TRUE(wm.m_bCanSeeBallInfront) << k;
    }
    Turn(100);  // outside the front: not counted
    EXPECT_TRUE(wm.m_bCanSeeBallInfront);
    Turn(10);
    EXPECT_FALSE(wm.m_bCanSeeBallInfront);
}
