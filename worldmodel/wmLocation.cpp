// Self-localisation: landmark table, facing angle, camera height, triangulation from
// landmark pairs, plausibility check, position history and filter.
// Globals: reads `SenseParse` (sightings) and `gNao` (link positions).
#include <cmath>

#include "motion/nao.h"
#include "runtime/corvane.h"
#include "worldmodel/worldmodel.h"

namespace {

const Geometry geometry;

bool IsFinite(const Vector& v) {
    return std::isfinite(v.Vx) && std::isfinite(v.Vy) && std::isfinite(v.Vz);
}

bool IsGoalPost(int iFlag) { return iFlag % 4 == 1 || iFlag % 4 == 2; }

// Camera above the ankle of the support foot plus the ankle's own height.
constexpr float kAnkleHeight = 0.203f;

}  // namespace

// The right-hand team sees the pitch turned by 180 degrees, so the table is mirrored
// and positions stay in the team frame with the own goal at negative x.
void WorldModel::InitFlagPos() {
    const double s = m_bIsLeft ? 1.0 : -1.0;
    const double x = m_dFieldLength / 2 * s;
    const double y = m_dFieldWidth / 2 * s;
    const double g = m_dGoalWidth / 2 * s;
    m_vFlagPos[F_F1L] = Vector(-x, y, 0);
    m_vFlagPos[F_G1L] = Vector(-x, g, m_dGoalHeight);
    m_vFlagPos[F_G2L] = Vector(-x, -g, m_dGoalHeight);
    m_vFlagPos[F_F2L] = Vector(-x, -y, 0);
    m_vFlagPos[F_F1R] = Vector(x, y, 0);
    m_vFlagPos[F_G1R] = Vector(x, g, m_dGoalHeight);
    m_vFlagPos[F_G2R] = Vector(x, -g, m_dGoalHeight);
    m_vFlagPos[F_F2R] = Vector(x, -y, 0);
}

bool WorldModel::SeeFlag() const {
    int seen = 0;
    for (const PolPosInfo& flag : SenseParse.m_PolFlagPos)
        if (IsSeen(flag)) ++seen;
    return seen >= 2;
}

// ---- facing angle

double WorldModel::GetFaceAngInGlobal(int iFlagID) const {
    const double toFlag = (m_vFlagPos[iFlagID] - m_vSelfPos).GetXYAngle();
    return NormalizeAng(toFlag - SenseParse.m_PolFlagPos[iFlagID].PolPos.Py);
}

// Near 0 and 180 degrees a plain mean of angles is unsafe (wrap-around), so one landmark
// in those directions decides alone.
double WorldModel::GetFaceAngInGlobalEx() {
    double sum = 0.0;
    int count = 0;
    for (int i = 0; i < kFlagCount; ++i) {
        if (!IsSeen(SenseParse.m_PolFlagPos[i])) continue;
        const double a = GetFaceAngInGlobal(i);
        if (std::fabs(a) < 5 || std::fabs(a) > 175) return a;
        sum += a;
        ++count;
    }
    if (count == 0) return m_dLastFaceAng;
    m_dLastFaceAng = NormalizeAng(sum / count);
    return m_dLastFaceAng;
}

void WorldModel::UpdateAngle() {
    m_dFaceAng = GetFaceAngInGlobalEx();
    m_dBodyAng = NormalizeAng(m_dFaceAng - m_HJ[JID_HEAD_1].fAngle);
}

// The torso is taken as upright: only the head pitch tilts the line of sight.
Vector WorldModel::GetObjPos(const Polar& PolPos) const {
    const Polar global(PolPos.Px, PolPos.Py + m_dFaceAng, PolPos.Pz + m_HJ[JID_HEAD_2].fAngle);
    return m_vSelfPos + geometry.ChangePolarToVector(global);
}

// ---- triangulation

float WorldModel::GetAgentHeight() const {
    const int foot = m_frp_lf.dz > m_frp_rf.dz ? JID_LLEG_6 : JID_RLEG_6;
    return gNao.uLINK[JID_ROOT].p.z() - gNao.uLINK[foot].p.z() + kAnkleHeight;
}

float WorldModel::GetLength(const Polar& vPor, float Height, int Flag) const {
    const double flagHeight = IsGoalPost(Flag) ? m_dGoalHeight : 0.0;
    const double dz = flagHeight - Height;
    return static_cast<float>(std::sqrt(vPor.Px * vPor.Px - dz * dz));
}

// Every pair of seen landmarks at one end gives the robot's position as the apex of a
// triangle over the known baseline; the candidates are averaged. Inconsistent distances
// give no real triangle and the candidate is dropped.
void WorldModel::GetAgentPos(double& dPolAngle) {
    dPolAngle = 0.0;
    m_bPosFixed = false;
    if (!m_bCanSeeFlag) return;
    const float h = GetAgentHeight();
    const PolPosInfo* seen = SenseParse.m_PolFlagPos;
    Vector sum;
    int n = 0;
    for (int j = 0; j < kFlagCount - 1; ++j) {
        for (int k = j + 1; k < kFlagCount; ++k) {
            if (j / 4 != k / 4 || !IsSeen(seen[j]) || !IsSeen(seen[k])) continue;
            Vector base = m_vFlagPos[k] - m_vFlagPos[j];
            base.Vz = 0;
            const float d = static_cast<float>(base.GetMod());
            const float lj = GetLength(seen[j].PolPos, h, j);
            const float lk = GetLength(seen[k].PolPos, h, k);
            const float theta = std::acos((lj * lj + d * d - lk * lk) / (2 * lj * d));
            const double turnDeg = theta * 180 / kGeometryPi;
            base.RotateInXY(j < 4 ? turnDeg : -turnDeg);  // from the goal line into the pitch
            base.SetMod(lj);
            const Vector candidate = base + m_vFlagPos[j];
            if (!IsFinite(candidate)) continue;
            sum = sum + candidate;
            ++n;
        }
    }
    if (n == 0) return;
    m_bPosFixed = true;
    m_vSelfPos = sum / n;
    m_vSelfPos.Vz = h;
}

// A jump of 0.8 m or more from where the own motion has carried the robot is held back
// for six sightings before it is believed. Without a fix the carried position stands.
void WorldModel::UpdateSelfPos() {
    const Vector step = CycleStepInTeamFrame();
    const Vector carried = m_vSelfPos + step;
    double unusedPolAngle;
    GetAgentPos(unusedPolAngle);
    if (!m_bPosFixed) m_vSelfPos = carried;
    if (m_bCanSeeFlag) {
        if ((m_vSelfPos - carried).GetMod() < 0.8 || m_iPosErrNum > 5) {
            VecPosInfo accepted;
            accepted.vPos = m_vSelfPos;
            accepted.dTime = m_dServerTime;
            MyPosQ.enQueue(accepted);
            m_iPosErrNum = 0;
        } else {
            ++m_iPosErrNum;
            m_vSelfPos = carried;
        }
        // The number is 0 until the server names this player: no entry to write then.
        if (m_iUnum >= 1 && m_iUnum <= 11) {
            PlayerPosInfo& self = m_vTeamMate[m_iUnum - 1];
            self.bValid = true;
            self.vAveragePos = m_vSelfPos;
            self.dTime = m_dServerTime;
        }
    }
    m_vSelfPosKF = FilteredPosition(filterSelfPos, m_bSelfKFSeeded, m_vSelfPos, step);
}
