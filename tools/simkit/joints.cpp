// Simulated joints, leg forward kinematics and ground odometry for the practice pitch and
// the closed-loop tests. Reads `ACT.HJControl` (effector names) only.
#include "simkit/joints.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "geometry/geo.h"
#include "geometry/geometry.h"
#include "motion/acthandle.h"
#include "runtime/corvane.h"

namespace standin {

Ankles LegKinematics(const salt::Matrix& torso, const double (&angleDeg)[kJointCount]) {
    // One body model for all calls: building one allocates its link names.
    static Nao body;
    body.uLINK[JID_ROOT].R = torso;
    body.uLINK[JID_ROOT].p = torso.Pos();
    for (int j = JID_LLEG_1; j <= JID_RLEG_6; ++j) {
        body.uLINK[j].q = salt::gDegToRad(static_cast<float>(angleDeg[j]));
    }
    body.ForwardKinematics(JID_ROOT);
    Ankles ankles{body.uLINK[JID_LLEG_6].R, body.uLINK[JID_RLEG_6].R};
    ankles.left.SetPos(body.uLINK[JID_LLEG_6].p);
    ankles.right.SetPos(body.uLINK[JID_RLEG_6].p);
    return ankles;
}

namespace {

// Turn about z of a pose's x axis, radians.
double Yaw(const salt::Matrix& pose) {
    return std::atan2(pose(1, 0), pose(0, 0));
}

}  // namespace

void GroundOdometry::Update(const Ankles& ankles) {
    const bool leftSupports = ankles.left.Pos().z() < ankles.right.Pos().z();
    const salt::Matrix& support = leftSupports ? ankles.left : ankles.right;
    if (anchored_ && leftSupports == leftSupports_) {
        const salt::Vector3f moved = support.Pos() - support_.Pos();
        const double heading = salt::gDegToRad(headingDeg);
        const double c = std::cos(heading);
        const double s = std::sin(heading);
        xM -= c * moved.x() - s * moved.y();
        yM -= s * moved.x() + c * moved.y();
        headingDeg -= NormalizeAngleDeg(salt::gRadToDeg(Yaw(support) - Yaw(support_)));
    }
    anchored_ = true;
    leftSupports_ = leftSupports;
    support_ = support;
}

void SimulatedJoints::Apply(const std::string& command) {
    ReadClauses(command);
    constexpr double kRadToDeg = 1.0 / salt::kDegToRad;
    for (int j = 0; j < kJointCount; ++j) {
        angleDeg_[j] += Capped(moving_[j]) * kCycleSec * kRadToDeg;
        moving_[j] = inForce_[j];
    }
}

// Joint clauses "(name value)"; anything else (a say clause) is skipped.
void SimulatedJoints::ReadClauses(const std::string& command) {
    size_t pos = 0;
    while ((pos = command.find('(', pos)) != std::string::npos) {
        const size_t blank = command.find(' ', pos);
        const size_t close = command.find(')', pos);
        if (blank == std::string::npos || close == std::string::npos) return;
        if (blank < close) {
            const std::string name = command.substr(pos + 1, blank - pos - 1);
            for (int j = 0; j < kJointCount; ++j) {
                // A speed that is not a number would poison the angle for good: the
                // joint keeps the speed it had.
                const double speed = std::strtod(command.c_str() + blank + 1, nullptr);
                if (ACT.HJControl[j].sName == name && std::isfinite(speed)) inForce_[j] = speed;
            }
        }
        pos = close + 1;
    }
}

double SimulatedJoints::Capped(double speed) const {
    if (!capSpeed_) return speed;
    return std::clamp(speed, -kSpeedCapRadPerSec, kSpeedCapRadPerSec);
}

}  // namespace standin
