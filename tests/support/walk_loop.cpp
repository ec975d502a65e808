// The figures of a closed-loop walking run. Reads `ACT.HJControl` and `gNao.mIKJointAngle`
// after each cycle; writes nothing global beyond what the runner's robot writes.
#include "walk_loop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "geometry/geo.h"
#include "motion/acthandle.h"
#include "motion/nao.h"
#include "runtime/corvane.h"

namespace walktest {

namespace {

double DistanceMm(const salt::Matrix& a, const salt::Matrix& b) {
    return (a.Pos() - b.Pos()).Length() * 1000.0;
}

double RotationDifference(const salt::Matrix& a, const salt::Matrix& b) {
    double worst = 0.0;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) worst = std::max(worst, static_cast<double>(std::fabs(a(r, c) - b(r, c))));
    }
    return worst;
}

}  // namespace

double Figures::TrackRmsMm() const {
    return trackSamples > 0 ? std::sqrt(trackSumSqMm / trackSamples) : 0.0;
}

void ExpectLegSpeedsWithinTheLimit(const Figures& f) {
    EXPECT_LE(f.maxTableLegSpeed, standin::KinematicRobot::kSpeedCapRadPerSec);
    EXPECT_LE(f.maxSentLegSpeed, 6.14);
    EXPECT_EQ(f.nonFinite, 0);
}

void ClosedLoop::Walk(ACT_TYPE type, int turnDeg, bool small, int cycles) {
    for (int i = 0; i < cycles; ++i) Cycle([&](LIP& l) { l.Walk(type, turnDeg, small, false); });
}

int ClosedLoop::Stop(int delay, bool small, int maxCycles) {
    for (int n = 1; n <= maxCycles; ++n) {
        bool done = false;
        Cycle([&](LIP& l) { done = l.StopWalk(delay, small); });
        if (done) return n;
    }
    return -1;
}

void ClosedLoop::Judge(const double (&published)[kJointCount], bool refused, bool startStep) {
    JudgeSpeeds();
    if (refused) {
        ++(startStep ? fig.startStepIKFailures : fig.ikFailures);
        return;
    }
    if (!ACT.HJControl[JID_LLEG_1].bCtrled) return;
    // The standing posture puts the support pose on the right foot, a walk on the
    // support foot; either way the support ankle lies on the side of its lateral offset.
    const bool leftHolds = lip.HoldFootPos.x() < 0;
    JudgeGeometry(leftHolds);
    if (lip.mPhase == LAST_STEP && lip.MoveFootYHL == 0.0f && lip.MoveFootYHR == 0.0f) ++fig.closingCalls;
    const bool walking = (lip.mPhase == NORMAL_STEP || lip.mPhase == LAST_STEP) && !lip.bStartWalk;
    if (!walking) return;
    ++settledCycles;
    odometry.Update(simkit::LegKinematics(salt::Matrix(), published));
    if (settledCycles > kSettleCycles) JudgeTracking(published, leftHolds);
}

void ClosedLoop::JudgeSpeeds() {
    for (int j = JID_LLEG_1; j <= JID_RLEG_6; ++j) {
        const HJCtrl& joint = ACT.HJControl[j];
        if (joint.bCtrled && !std::isfinite(joint.fAngle)) ++fig.nonFinite;
        if (joint.bCtrled) fig.maxTableLegSpeed = std::max(fig.maxTableLegSpeed, std::fabs(joint.fAngle));
        const double sent = std::fabs(robot.SpeedInForce(j));
        fig.maxSentLegSpeed = std::max(fig.maxSentLegSpeed, sent);
        if (joint.bCtrled && sent >= standin::KinematicRobot::kSpeedCapRadPerSec - 0.01) ++fig.legSpeedsAtCap;
    }
}

// The commanded angles put the ankles where the engine asked: catches a solver branch
// that flips (hip angles beyond a quarter turn) or a pose the legs cannot take.
void ClosedLoop::JudgeGeometry(bool leftHolds) {
    double commanded[kJointCount] = {};
    for (int j = JID_LLEG_1; j <= JID_RLEG_6; ++j) commanded[j] = salt::gRadToDeg(gNao.mIKJointAngle[j]);
    const simkit::Ankles a = simkit::LegKinematics(lip.mTorso, commanded);
    const salt::Matrix& left = leftHolds ? lip.mHoldFoot : lip.mMoveFoot;
    const salt::Matrix& right = leftHolds ? lip.mMoveFoot : lip.mHoldFoot;
    fig.geometryMm = std::max({fig.geometryMm, DistanceMm(a.left, left), DistanceMm(a.right, right)});
    fig.geometryRot = std::max({fig.geometryRot, RotationDifference(a.left, left), RotationDifference(a.right, right)});
}

void ClosedLoop::JudgeTracking(const double (&published)[kJointCount], bool leftHolds) {
    const simkit::Ankles a = simkit::LegKinematics(lip.mTorso, published);
    const salt::Matrix& left = leftHolds ? lip.mHoldFoot : lip.mMoveFoot;
    const salt::Matrix& right = leftHolds ? lip.mMoveFoot : lip.mHoldFoot;
    for (double e : {DistanceMm(a.left, left), DistanceMm(a.right, right)}) {
        fig.trackMaxMm = std::max(fig.trackMaxMm, e);
        fig.trackSumSqMm += e * e;
        ++fig.trackSamples;
    }
}

}  // namespace walktest
