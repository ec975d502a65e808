// The stop in front of the ball, closed loop on the simulated joints: after the small steps
// of the approach, a stop in full-size steps throws the stepping foot forward, into the
// ball; a stop in the approach's own step size does not.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "support/walk_loop.h"

namespace {

// Ground-frame forward position of the foot farther ahead, from the torso's odometry and
// the ankles in the torso frame.
double LeadingFootM(const walktest::ClosedLoop& loop) {
    const simkit::Ankles a = simkit::LegKinematics(salt::Matrix(), loop.robot.AnglesDeg());
    const double h = loop.odometry.headingDeg * 3.1415926 / 180.0;
    auto forward = [&](const salt::Matrix& ankle) {
        const salt::Vector3f p = ankle.Pos();
        return loop.odometry.yM + p.x() * std::sin(h) + p.y() * std::cos(h);
    };
    return std::max(forward(a.left), forward(a.right));
}

// How far the leading foot gets beyond where it was when the stop was asked for.
double FootReachDuringStopM(bool stopInSmallSteps) {
    walktest::ClosedLoop loop(true);
    loop.Walk(WALK_F, 0, true, 300);
    const double before = LeadingFootM(loop);
    double reach = 0.0;
    for (int n = 0; n < 300; ++n) {
        bool done = false;
        loop.Cycle([&](LIP& l) { done = l.StopWalk(-15, stopInSmallSteps); });
        reach = std::max(reach, LeadingFootM(loop) - before);
        if (done) break;
    }
    return reach;
}

TEST(KickStop, StoppingInTheApproachStepSizeKeepsTheFootOffTheBall) {
    const double lunge = FootReachDuringStopM(false);
    const double kept = FootReachDuringStopM(true);
    std::printf("[figures] leading foot beyond its place at the stop request: %.3f m with "
                "full-size stop steps, %.3f m with small ones\n", lunge, kept);
    // The ball lies 0.13 to 0.2 m ahead of the body when the kick state is entered.
    EXPECT_GT(lunge, 0.05);
    EXPECT_LT(kept, 0.03);
}

}  // namespace
