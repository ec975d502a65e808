// Lane and opponent judgements (who is at the ball, is a corridor free, where to shoot,
// who can take a clearance) and the defenders' and penalty keeper's behaviour.
// Reads wm (ball, own pose, team-mates, opponents, field size); writes bAttackLeft; drives `skill`.
#include <cmath>

#include "behaviour/decision.h"
#include "behaviour/skill.h"
#include "runtime/corvane.h"

namespace {

constexpr int kOpponents = 11;  // entries 0..10 hold uniform numbers 1..11

// Lane half-widths, metres.
constexpr double kShotLaneHalfWidth = 0.32;
constexpr double kClearLaneHalfWidth = 0.8;
// An opponent this close to the ball contests it: no time to line up a clearance.
constexpr double kContestedBallDist = 1.2;
constexpr double kHalfPiRad = kFullPi / 2;

// Direction of the line as the single-argument arctangent gives it, radians. A vertical
// line gets +-pi/2 and coinciding points 0 instead of a division by zero (whose 0/0 would
// make every later comparison false and hide an opponent standing right on the point).
double LineAngleRad(const Vector& target, const Vector& origin) {
    const double dx = target.Vx - origin.Vx;
    const double dy = target.Vy - origin.Vy;
    if (dx == 0.0) {
        if (dy == 0.0) return 0.0;
        return dy > 0.0 ? kHalfPiRad : -kHalfPiRad;
    }
    return std::atan(dy / dx);
}

}  // namespace

int Decision::NearBallOppNum() {
    double best = 100.0;
    int bestIndex = -1;
    for (int j = 0; j < kOpponents; ++j) {
        const PlayerPosInfo& opp = wm.m_vOpponent[j];
        if (!opp.bValid) continue;
        const double d = WorldModel::GetDistInXY(wm.m_vBallPos, opp.vAveragePos);
        if (d < best) {
            best = d;
            bestIndex = j;
        }
    }
    return bestIndex < 0 ? kOpponents : bestIndex + 1;
}

bool Decision::IsOppInLine(Vector Target, Vector Origin, Vector Opp, double d) {
    const double theta = LineAngleRad(Target, Origin);
    const double k = std::cos(theta);
    const double s = std::sin(theta);
    auto along = [k, s](const Vector& p) { return k * p.Vx + s * p.Vy; };
    auto across = [k, s](const Vector& p) { return k * p.Vy - s * p.Vx; };
    const double pOpp = along(Opp);
    const double qOpp = across(Opp);
    const bool inLength = along(Origin) - d <= pOpp && pOpp <= along(Target) + d;
    const bool inWidth = across(Target) - d <= qOpp && qOpp <= across(Target) + d;
    return inLength && inWidth;
}

bool Decision::IsOppMemberInLine(Vector target, Vector Origin, double d) {
    for (int j = 0; j < kOpponents; ++j) {
        const PlayerPosInfo& opp = wm.m_vOpponent[j];
        if (opp.bValid && IsOppInLine(target, Origin, opp.vAveragePos, d)) return true;
    }
    return false;
}

bool Decision::IsOppMoreLeft() {
    int left = 0, right = 0;
    for (int j = 0; j < kOpponents; ++j) {
        const PlayerPosInfo& opp = wm.m_vOpponent[j];
        if (!opp.bValid || !(opp.vAveragePos.Vx < wm.m_dFieldLength * 0.5)) continue;
        if (wm.m_vBallPos.Vy < opp.vAveragePos.Vy)
            ++left;
        else
            ++right;
    }
    return left > right;
}

Vector Decision::JudgeWayToShoot() {
    const double x = wm.m_dFieldLength * 0.5;
    const double w = wm.m_dGoalWidth;
    bAttackLeft = !IsOppMoreLeft();
    const Vector centre(x, 0.0, 0.0);
    const Vector post(x, bAttackLeft ? 0.5 * w : -0.5 * w, 0.0);
    const Vector inner(x, bAttackLeft ? 0.25 * w : -0.25 * w, 0.0);
    for (const Vector& aim : {centre, post, inner})
        if (!IsOppMemberInLine(aim, wm.m_vSelfPos, kShotLaneHalfWidth)) return aim;
    return Vector();
}

// Team-mates 7 and 8 are asked for whatever the model holds of them: a clearance towards
// a remembered position is still better than none.
Vector Decision::ClearPoint_defend() {
    for (int j : {6, 7}) {
        const Vector mate = wm.m_vTeamMate[j].vAveragePos;
        if (!IsOppMemberInLine(mate, wm.m_vSelfPosKF, kClearLaneHalfWidth)) return mate;
    }
    return Vector();
}

bool Decision::Defend() {
    const bool nearest = IsNearestToBall();
    const int oppNum = NearBallOppNum();
    const double dOpp = WorldModel::GetDistInXY(wm.m_vBallPos, wm.m_vOpponent[oppNum - 1].vAveragePos);
    Vector point;
    switch (wm.m_PlayerRole) {
    case PR_Goalie: {
        const double y = std::fmax(-1.0, std::fmin(1.0, wm.m_vBallPos.Vy));
        return skill.WalkGoalie(Vector(0.5 - wm.m_dFieldLength * 0.5, y, 0.0), false);
    }
    case PR_DefendLeft: point = WorldModel::GetPoint(wm.m_vMyGoalPos, wm.m_vBallPos, 2.0); break;
    case PR_DefendRight: point = WorldModel::GetPoint(wm.m_vMyGoalPos, wm.m_vBallPos, 4.0); break;
    default: return false;
    }
    if (!nearest) return skill.WalkDefend(point, false);
    if (dOpp > kContestedBallDist) {
        Vector target = ClearPoint_defend();
        if (target == Vector()) target = wm.m_vOppGoalPos;
        return skill.ReadyForKick_New(target, false, false);
    }
    return skill.WalkDribble(wm.m_vOppGoalPos, 15.0, false);
}
