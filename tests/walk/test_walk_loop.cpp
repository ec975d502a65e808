// The walking engine in closed loop with a simulated robot that starts at the zero
// posture: standing up, a minute of every walk type and turn, stops, reversals, and what
// the joints' speed limit does to them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "motion/acthandle.h"
#include "runtime/corvane.h"
#include "support/walk_loop.h"

namespace {

using walktest::ClosedLoop;
using walktest::Figures;
using walktest::kCyclesPerMinute;

struct WalkCase {
    const char* name;
    ACT_TYPE type;
    int turnDeg;
    bool small;
    float settledGain;  // the gain CalSlowGain settles at
    // Direction the simulated robot goes over the ground: forward, to the right, turning
    // left (-1, 0, +1 each).
    int forward, right, left;
};

const WalkCase kWalks[] = {
    {"forward", WALK_F, 0, false, 0.08f, 1, 0, 0},
    {"backward", WALK_B, 0, false, 0.08f, -1, 0, 0},
    {"side left", WALK_HL, 0, false, 0.1f, 0, -1, 0},
    {"side right", WALK_HR, 0, false, 0.1f, 0, 1, 0},
    {"marking time", WALK_STAY, 0, false, 0.08f, 0, 0, 0},
    {"forward turning left", WALK_F, 40, false, 0.12f, 0, 0, 1},
    {"forward turning right", WALK_F, -40, false, 0.12f, 0, 0, -1},
    {"turning left on the spot", WALK_STAY, 40, false, 0.08f, 0, 0, 1},
    {"turning right on the spot", WALK_STAY, -40, false, 0.08f, 0, 0, -1},
    {"small forward", WALK_F, 0, true, 0.08f, 1, 0, 0},
    {"small backward", WALK_B, 0, true, 0.08f, -1, 0, 0},
    {"small side left", WALK_HL, 0, true, 0.1f, 0, -1, 0},
    {"small side right", WALK_HR, 0, true, 0.1f, 0, 1, 0},
};

int Sign(double v, double deadBand) {
    if (v > deadBand) return 1;
    if (v < -deadBand) return -1;
    return 0;
}

// Cycles spent in the standing posture before the first step.
int CyclesToFirstStep(const ClosedLoop& loop) {
    for (size_t i = 0; i < loop.phases.size(); ++i) {
        if (loop.phases[i] != PREPARE) return static_cast<int>(i);
    }
    return -1;
}

void Report(const WalkCase& c, const ClosedLoop& loop, bool cap) {
    const Figures& f = loop.fig;
    const double seconds = loop.settledCycles * 0.02;
    std::printf("[figures] %-26s cap %d: stand %3d cycles, refusals start %d later %d, max leg %.2f rad/s, "
                "geometry %.4f mm, tracking rms %.1f max %.1f mm, %.3f m/s fwd %.3f m/s right %.1f deg/s\n",
                c.name, cap, CyclesToFirstStep(loop), f.startStepIKFailures, f.ikFailures, f.maxSentLegSpeed,
                f.geometryMm, f.TrackRmsMm(), f.trackMaxMm, loop.odometry.yM / seconds,
                loop.odometry.xM / seconds, loop.odometry.headingDeg / seconds);
}

void ExpectWalksAMinute(const WalkCase& c, bool cap) {
    SCOPED_TRACE(std::string(c.name) + (cap ? ", speed cap" : ", no cap"));
    ClosedLoop loop(cap);
    testing::internal::CaptureStdout();
    loop.Walk(c.type, c.turnDeg, c.small, kCyclesPerMinute);
    const std::string out = testing::internal::GetCapturedStdout();
    Report(c, loop, cap);
    const Figures& f = loop.fig;

    // Stands up from the zero posture first, then steps on.
    const int standing = CyclesToFirstStep(loop);
    EXPECT_GT(standing, 20);
    EXPECT_LT(standing, 150);
    EXPECT_EQ(loop.lip.mPhase, NORMAL_STEP);
    EXPECT_GT(loop.lip.StepCount, 340);
    EXPECT_FLOAT_EQ(loop.lip.SlowGain, c.settledGain);

    // The start step of a full forward or backward step reaches 3 to 6 mm beyond the
    // legs once or twice; nothing else is ever out of reach.
    EXPECT_LE(f.startStepIKFailures, 2);
    EXPECT_EQ(f.ikFailures, 0);
    EXPECT_EQ(out.find("Error!         IK_LEG") != std::string::npos, f.startStepIKFailures > 0);
    EXPECT_EQ(f.nonFinite, 0);
    ExpectLegSpeedsWithinTheLimit(f);
    // The solver takes the thigh as straight; the body has it 5 mm forward at the knee.
    EXPECT_LT(f.geometryMm, 6.0);
    EXPECT_LT(f.geometryRot, 1e-4);
    // The legs trail a gait that runs at twice real time; they must not drift off.
    EXPECT_LT(f.TrackRmsMm(), 110.0);
    EXPECT_LT(f.trackMaxMm, 200.0);

    const double seconds = loop.settledCycles * 0.02;
    EXPECT_EQ(Sign(loop.odometry.yM / seconds, 0.05), c.forward);
    EXPECT_EQ(Sign(loop.odometry.xM / seconds, 0.05), c.right);
    EXPECT_EQ(Sign(loop.odometry.headingDeg / seconds, 5.0), c.left);
}

}  // namespace

TEST(WalkLoop, EveryWalkTypeAndTurnForAMinuteFromTheZeroPosture) {
    for (const WalkCase& c : kWalks) ExpectWalksAMinute(c, false);
}

TEST(WalkLoop, EveryWalkTypeAndTurnForAMinuteWithTheSpeedCap) {
    for (const WalkCase& c : kWalks) ExpectWalksAMinute(c, true);
}
