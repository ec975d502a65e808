// World model construction, small utilities and the body-relative queries the skills ask
// about ball, goal and corner flags. Global: reads `SenseParse` (this cycle's sightings).
#include "worldmodel/worldmodel.h"

#include <cmath>

#include "runtime/corvane.h"

WorldModel::WorldModel()
    : m_vOppGoalLPos(m_dFieldLength / 2, m_dGoalWidth / 2, 0),
      m_vOppGoalRPos(m_dFieldLength / 2, -m_dGoalWidth / 2, 0),
      m_vOppGoalPos(15, 0, 0),
      m_vMyGoalPos(-m_dFieldLength / 2, 0, 0) {}

// ---- utilities

bool WorldModel::IsSeen(const PolPosInfo& info) {
    const Polar& p = info.PolPos;
    return info.bCanSee && std::isfinite(p.Px) && std::isfinite(p.Py) && std::isfinite(p.Pz);
}

double WorldModel::NormalizeAng(double dAngDeg) {
    const double a = NormalizeAngleDeg(dAngDeg);
    return a == -180.0 ? 180.0 : a;
}

double WorldModel::Round(double dNum, int i) {
    const double scale = std::pow(10.0, i);
    return std::trunc(dNum * scale + 0.50000001) / scale;
}

double WorldModel::GetDistInXY(const Vector& v1, const Vector& v2) {
    return std::hypot(v1.Vx - v2.Vx, v1.Vy - v2.Vy);
}

Vector WorldModel::GetPoint(const Vector& vStart, const Vector& vEnd, double dLength) {
    Vector step = vEnd - vStart;
    step.SetMod(dLength);
    return vStart + step;
}

// The first measurement seeds the filter with a wide covariance, so the estimate starts
// at the measurement itself.
Vector WorldModel::FilteredPosition(cPosKF& kf, bool& bSeeded, const Vector& vMeasured,
                                    const Vector& stepTeamM) {
    if (!bSeeded) {
        kf.Seed(vMeasured.Vx, vMeasured.Vy, 100);
        bSeeded = true;
    }
    kf.Predict(stepTeamM.Vx, stepTeamM.Vy);
    kf.Correct(vMeasured.Vx, vMeasured.Vy);
    return Vector(kf.GetX(), kf.GetY(), vMeasured.Vz);
}

// ---- landmarks named from this team's side

namespace {

struct OppLandmarks {
    Flag_ID goalL, goalR, flagL, flagR;
};

OppLandmarks OppSide(bool bIsLeft) {
    if (bIsLeft) return {F_G1R, F_G2R, F_F1R, F_F2R};
    return {F_G2L, F_G1L, F_F2L, F_F1L};
}

const PolPosInfo& Sighting(Flag_ID id) { return SenseParse.m_PolFlagPos[id]; }

}  // namespace

Vector WorldModel::getFlagPos(GameFlag_ID flag) const {
    const int index = m_bIsLeft ? 7 - flag : flag;
    return m_vFlagPos[index];
}

bool WorldModel::canSeeGoalOppL() const { return IsSeen(Sighting(OppSide(m_bIsLeft).goalL)); }
bool WorldModel::canSeeGoalOppR() const { return IsSeen(Sighting(OppSide(m_bIsLeft).goalR)); }
bool WorldModel::canSeeGoalOpp() const { return canSeeGoalOppL() || canSeeGoalOppR(); }
bool WorldModel::canSeeFlagOppL() const { return IsSeen(Sighting(OppSide(m_bIsLeft).flagL)); }
bool WorldModel::canSeeFlagOppR() const { return IsSeen(Sighting(OppSide(m_bIsLeft).flagR)); }

bool WorldModel::canSeeAnyFlag() const {
    for (const PolPosInfo& flag : SenseParse.m_PolFlagPos)
        if (IsSeen(flag)) return true;
    return false;
}

// ---- body-relative queries: camera angles plus the head joint angles

float WorldModel::getAngleBallToBodyY() {
    const PolPosInfo& ball = SenseParse.m_PolBallPos;
    if (IsSeen(ball)) {
        angleBallToBodyY = static_cast<float>(ball.PolPos.Py + m_HJ[JID_HEAD_1].fAngle);
        angleBallToBodyZ = static_cast<float>(ball.PolPos.Pz + m_HJ[JID_HEAD_2].fAngle);
    }
    return angleBallToBodyY;
}

float WorldModel::getAngleBallToBodyZ() {
    getAngleBallToBodyY();
    return angleBallToBodyZ;
}

float WorldModel::getDistBallToBody() {
    const PolPosInfo& ball = SenseParse.m_PolBallPos;
    if (IsSeen(ball)) distBallToBody = static_cast<float>(ball.PolPos.Px);
    return distBallToBody;
}

namespace {

// Refreshes `stored` with the landmark's horizontal angle plus head yaw when it is seen.
float BearingToBody(const PolPosInfo& seen, double dHeadYawDeg, float& stored) {
    if (WorldModel::IsSeen(seen)) stored = static_cast<float>(seen.PolPos.Py + dHeadYawDeg);
    return stored;
}

float DistanceToBody(const PolPosInfo& seen, float& stored) {
    if (WorldModel::IsSeen(seen)) stored = static_cast<float>(seen.PolPos.Px);
    return stored;
}

}  // namespace

float WorldModel::getAngleGoalOppLToBodyY() {
    return BearingToBody(Sighting(OppSide(m_bIsLeft).goalL), m_HJ[JID_HEAD_1].fAngle,
                         angleGoalOppLToBodyY);
}

float WorldModel::getAngleGoalOppRToBodyY() {
    return BearingToBody(Sighting(OppSide(m_bIsLeft).goalR), m_HJ[JID_HEAD_1].fAngle,
                         angleGoalOppRToBodyY);
}

float WorldModel::getAngleFlagOppLToBodyY() {
    return BearingToBody(Sighting(OppSide(m_bIsLeft).flagL), m_HJ[JID_HEAD_1].fAngle,
                         angleFlagOppLToBodyY);
}

float WorldModel::getAngleFlagOppRToBodyY() {
    return BearingToBody(Sighting(OppSide(m_bIsLeft).flagR), m_HJ[JID_HEAD_1].fAngle,
                         angleFlagOppRToBodyY);
}

float WorldModel::getDistFlagOppLToBody() {
    return DistanceToBody(Sighting(OppSide(m_bIsLeft).flagL), distFlagOppLToBody);
}

float WorldModel::getDistFlagOppRToBody() {
    return DistanceToBody(Sighting(OppSide(m_bIsLeft).flagR), distFlagOppRToBody);
}

// With one post only, the goal centre is taken as 10 degrees inward of it.
float WorldModel::getAngleGoalOppToBodyY() {
    const PolPosInfo& l = Sighting(OppSide(m_bIsLeft).goalL);
    const PolPosInfo& r = Sighting(OppSide(m_bIsLeft).goalR);
    double a;
    if (IsSeen(l) && IsSeen(r)) a = (l.PolPos.Py + r.PolPos.Py) / 2;
    else if (IsSeen(l)) a = l.PolPos.Py - 10;
    else if (IsSeen(r)) a = r.PolPos.Py + 10;
    else return angleGoalOppToBodyY;
    angleGoalOppToBodyY = static_cast<float>(a + m_HJ[JID_HEAD_1].fAngle);
    return angleGoalOppToBodyY;
}

namespace {

// Mean of one polar component over the seen posts; false when neither post is seen.
bool GoalComponent(const PolPosInfo& l, const PolPosInfo& r, double Polar::*component,
                   double& result) {
    if (WorldModel::IsSeen(l) && WorldModel::IsSeen(r)) result = (l.PolPos.*component + r.PolPos.*component) / 2;
    else if (WorldModel::IsSeen(l)) result = l.PolPos.*component;
    else if (WorldModel::IsSeen(r)) result = r.PolPos.*component;
    else return false;
    return true;
}

}  // namespace

float WorldModel::getAngleGoalOppToBodyZ() {
    double pz;
    if (GoalComponent(Sighting(OppSide(m_bIsLeft).goalL), Sighting(OppSide(m_bIsLeft).goalR),
                      &Polar::Pz, pz))
        angleGoalOppToBodyZ = static_cast<float>(pz + m_HJ[JID_HEAD_2].fAngle);
    return angleGoalOppToBodyZ;
}

float WorldModel::getDistGoalOppToBody() {
    double px;
    if (GoalComponent(Sighting(OppSide(m_bIsLeft).goalL), Sighting(OppSide(m_bIsLeft).goalR),
                      &Polar::Px, px))
        distGoalOppToBody = static_cast<float>(px);
    return distGoalOppToBody;
}

// Close to the goal line the window gets a fixed margin; farther out it widens by
// 3 degrees per metre, since small bearing errors matter less there.
bool WorldModel::ballInGoalAngle() {
    const double a = getAngleBallToBodyY();
    const double l = getAngleGoalOppLToBodyY();
    const double r = getAngleGoalOppRToBodyY();
    const double bx = m_vBallPos.Vx;
    const double by = m_vBallPos.Vy;
    const double m = bx >= 13 ? 3.0 : 3.0 * getDistGoalOppToBody();
    const bool seeL = canSeeGoalOppL();
    const bool seeR = canSeeGoalOppR();
    const bool inFrontOfGoal = bx > 12 && std::fabs(by) < 1;
    if (seeL && seeR) return (a < l + m && a > r - m) || (a > l && a < r);
    if (seeL) return inFrontOfGoal && a < l + m;
    if (seeR) return inFrontOfGoal && a > r - m;
    return bx > 14 && std::fabs(by) < 1;
}
