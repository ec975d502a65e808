// Leg forward kinematics and support-foot ground odometry. No globals; LegKinematics
// reuses one private body model.
#include "motion/legodometry.h"

#include <cmath>

#include "geometry/geo.h"
#include "geometry/geometry.h"

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
    stepRightM = stepForwardM = stepTurnDeg = 0.0;
    if (anchored_ && leftSupports == leftSupports_) {
        const salt::Vector3f moved = support.Pos() - support_.Pos();
        stepRightM = -moved.x();
        stepForwardM = -moved.y();
        stepTurnDeg = -NormalizeAngleDeg(salt::gRadToDeg(Yaw(support) - Yaw(support_)));
        const double heading = salt::gDegToRad(headingDeg);
        const double c = std::cos(heading);
        const double s = std::sin(heading);
        xM += c * stepRightM - s * stepForwardM;
        yM += s * stepRightM + c * stepForwardM;
        headingDeg += stepTurnDeg;
    }
    anchored_ = true;
    leftSupports_ = leftSupports;
    support_ = support;
}
