// Kinematic robot of the practice pitch: odometry pose, feet, sensors, lying and getting up.
#include "practice_server/robot.h"

#include <algorithm>
#include <cmath>

#include "geometry/geometry.h"

namespace practice {

namespace {

constexpr double kStandCameraZ = 0.54;
constexpr double kLyingCameraZ = 0.1;
constexpr double kFootAheadOfAnkle = 0.02;
constexpr double kFootInAirZ = 0.01;
constexpr double kWeightN = 44.0;

// A get-up has happened once the legs have moved this much since the fall and are back
// near the standing posture (per joint: the largest angle still counted as standing).
constexpr double kGetUpTravelDeg = 180.0;
struct StandLimit {
    int joint;
    double maxAbsDeg;
};
constexpr StandLimit kStandLimits[] = {
    {JID_LLEG_1, 25}, {JID_RLEG_1, 25}, {JID_LLEG_2, 25}, {JID_RLEG_2, 25},
    {JID_LLEG_3, 50}, {JID_RLEG_3, 50}, {JID_LLEG_4, 80}, {JID_RLEG_4, 80},
    {JID_LLEG_5, 50}, {JID_RLEG_5, 50}, {JID_LLEG_6, 25}, {JID_RLEG_6, 25}};

double Yaw(const salt::Matrix& pose) { return std::atan2(pose(1, 0), pose(0, 0)); }

}  // namespace

void SimRobot::Place(double x, double y, double bodyDeg) {
    originX = info.x = x;
    originY = info.y = y;
    originDeg = info.bodyDeg = NormalizeAngleDeg(bodyDeg);
    odometry = simkit::GroundOdometry();
    vx = vy = turnDegPerSec = 0;
    feetKnown = false;
}

void SimRobot::Advance(const std::string& command) {
    const double before[2] = {info.x, info.y};
    const double beforeDeg = info.bodyDeg;
    double legsBefore[kJointCount];
    std::copy(std::begin(joints.AnglesDeg()), std::end(joints.AnglesDeg()), legsBefore);
    joints.Apply(command);
    for (int j = JID_LLEG_1; j <= JID_RLEG_6; ++j) jointTravelDeg += std::fabs(joints.AngleDeg(j) - legsBefore[j]);
    const simkit::Ankles ankles = simkit::LegKinematics(salt::Matrix(), joints.AnglesDeg());
    if (!info.lying) {
        odometry.Update(ankles);
        const simkit::GroundPose pose = simkit::PoseFromOdometry({originX, originY, originDeg}, odometry);
        info.x = pose.x;
        info.y = pose.y;
        info.bodyDeg = pose.bodyDeg;
    }
    vx = (info.x - before[0]) / kCycleSec;
    vy = (info.y - before[1]) / kCycleSec;
    turnDegPerSec = NormalizeAngleDeg(info.bodyDeg - beforeDeg) / kCycleSec;
    UpdateFeet(ankles, kCycleSec);
}

void SimRobot::UpdateFeet(const simkit::Ankles& ankles, double dtSec) {
    const salt::Matrix* sides[2] = {&ankles.left, &ankles.right};
    const double ground = std::min(ankles.left.Pos().z(), ankles.right.Pos().z());
    const double a = info.bodyDeg * kFullPi / 180.0;
    const double fx = std::cos(a), fy = std::sin(a);  // forward
    const double rx = std::sin(a), ry = -std::cos(a);  // right
    for (int k = 0; k < 2; ++k) {
        const salt::Vector3f p = sides[k]->Pos();
        const double ahead = p.y() + kFootAheadOfAnkle;
        const double x = info.x + ahead * fx + p.x() * rx;
        const double y = info.y + ahead * fy + p.x() * ry;
        FootBox& foot = feet[k];
        foot.vx = feetKnown ? (x - foot.x) / dtSec : vx;
        foot.vy = feetKnown ? (y - foot.y) / dtSec : vy;
        foot.x = x;
        foot.y = y;
        foot.headingDeg = info.bodyDeg + Yaw(*sides[k]) * 180.0 / kFullPi;
        // A lying robot's feet rest on the ground where its body is; they do not kick.
        foot.soleZ = info.lying ? 1.0 : p.z() - ground;
    }
    feetKnown = true;
}

simkit::ViewPose SimRobot::CameraInTeamFrame() const {
    simkit::ViewPose pose;
    pose.x = SideX(info.side, info.x);
    pose.y = SideX(info.side, info.y);
    pose.bodyDeg = NormalizeAngleDeg(SideDeg(info.side, info.bodyDeg));
    pose.headYawDeg = joints.AngleDeg(JID_HEAD_1);
    pose.headPitchDeg = joints.AngleDeg(JID_HEAD_2);
    pose.cameraZ = kStandCameraZ;
    if (info.lying) {
        pose.cameraZ = kLyingCameraZ;
        pose.headPitchDeg = onBack ? 80.0 : -80.0;
    }
    return pose;
}

simkit::SeenPlayer SimRobot::AsSeenBy(Side viewer) const {
    const bool mirror = viewer != Side::Left;
    const double x = mirror ? -info.x : info.x;
    const double y = mirror ? -info.y : info.y;
    const double deg = mirror ? info.bodyDeg + 180.0 : info.bodyDeg;
    return info.lying ? simkit::LyingPlayer(info.team, info.unum, x, y, deg)
                      : simkit::StandingPlayer(info.team, info.unum, x, y, deg);
}

void SimRobot::Sensors(simkit::PerceptText& text) const {
    text.gyro = {0.0, 0.0, info.lying ? 0.0 : turnDegPerSec};
    if (info.lying) {
        // Gravity along the torso's forward axis: positive lying on the back.
        text.acc = {0.0, onBack ? 9.66 : -9.66, onBack ? -1.71 : 1.71};
        text.leftFootForce = text.rightFootForce = 0.0;
        return;
    }
    text.acc = {0.0, 0.0, 9.81};
    const bool leftDown = feet[0].soleZ < kFootInAirZ, rightDown = feet[1].soleZ < kFootInAirZ;
    const double share = kWeightN / ((leftDown ? 1 : 0) + (rightDown ? 1 : 0));
    text.leftFootForce = leftDown ? share : 0.0;
    text.rightFootForce = rightDown ? share : 0.0;
}

void SimRobot::LayDown(bool ontoBack, double gameTimeSec) {
    if (info.lying) return;
    info.lying = true;
    onBack = ontoBack;
    lyingSinceSec = gameTimeSec;
    jointTravelDeg = 0.0;
    ++info.falls;
}

bool SimRobot::CheckGetUp(double gameTimeSec) {
    if (!info.lying || jointTravelDeg < kGetUpTravelDeg) return false;
    for (const StandLimit& l : kStandLimits)
        if (std::fabs(joints.AngleDeg(l.joint)) > l.maxAbsDeg) return false;
    if (getUpFailures > 0) {
        // A failed attempt: it must go through the whole motion again.
        --getUpFailures;
        jointTravelDeg = 0.0;
        return false;
    }
    info.lying = false;
    info.longestLyingSec = std::max(info.longestLyingSec, gameTimeSec - lyingSinceSec);
    Place(info.x, info.y, info.bodyDeg);
    return true;
}

}  // namespace practice
