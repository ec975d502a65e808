// Own motion between landmark fixes: the torso's step over the ground from leg odometry
// and its turn from the gyroscope carry the position and the facing forward.
// Globals: none besides the world model's own sensor copies (`wm` is this object).
#include <cmath>

#include "worldmodel/worldmodel.h"

namespace {

constexpr double kCycleSec = 0.02;

// Leg odometry takes the support foot as fixed; on the league's server the robot slides
// on and covers more ground than its legs say (measured against the server's ground
// truth: the legs give 0.79 of the truth walking forward, 0.88 sideways). The gains go
// half way to that: on the practice pitch the feet never slip, and a full gain there
// makes the estimate run ahead by a quarter of every blind walk.
constexpr double kLegForwardGain = 1.15;
constexpr double kLegSideGain = 1.07;

// Beyond this the gyroscope's yaw rate is no turn of a robot on its feet but a garbled
// reading, which must not reach the facing.
constexpr double kMaxTurnRateDegPerSec = 1000.0;

}  // namespace

void WorldModel::MeasureSelfMotion() {
    double legAngleDeg[kJointCount];
    for (int j = 0; j < kJointCount; ++j) legAngleDeg[j] = m_HJ[j].fAngle;
    m_LegOdometry.Update(LegKinematics(salt::Matrix(), legAngleDeg));
    // Lying, or in a scripted motion such as getting up, the legs do not walk the robot.
    const bool onItsFeet = m_FallState == FALL_NONE && m_bNeedCheckFall;
    m_dCycleRightM = onItsFeet ? kLegSideGain * m_LegOdometry.stepRightM : 0.0;
    m_dCycleForwardM = onItsFeet ? kLegForwardGain * m_LegOdometry.stepForwardM : 0.0;
    // The torso's z axis is the vertical only while the robot is upright.
    const bool gyroIsYaw = onItsFeet && std::fabs(m_Gyro.dz) <= kMaxTurnRateDegPerSec;
    m_dCycleTurnDeg = gyroIsYaw ? m_Gyro.dz * kCycleSec : 0.0;
}

// Motion frame (x right, y forward) of a torso facing m_dBodyAng, into the team frame:
// forward along the body direction, right 90 degrees clockwise of it.
Vector WorldModel::CycleStepInTeamFrame() const {
    Vector stepTeamM(m_dCycleForwardM, -m_dCycleRightM, 0.0);
    return stepTeamM.RotateInXY(m_dBodyAng);
}

// A cycle without two landmarks in view: the facing turns with the gyroscope, the
// position moves with the legs, and the filter predicts with that move.
void WorldModel::CarrySelfPose() {
    m_dBodyAng = NormalizeAng(m_dBodyAng + m_dCycleTurnDeg);
    m_dFaceAng = NormalizeAng(m_dBodyAng + m_HJ[JID_HEAD_1].fAngle);
    const Vector step = CycleStepInTeamFrame();
    m_vSelfPos = m_vSelfPos + step;
    if (!m_bSelfKFSeeded) return;
    filterSelfPos.Predict(step.Vx, step.Vy);
    m_vSelfPosKF = Vector(filterSelfPos.GetX(), filterSelfPos.GetY(), m_vSelfPos.Vz);
}
