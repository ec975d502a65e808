// Walking to points: the free walk, the defender's and the keeper's walks, and the walk to
// a formation position. Reads wm (own position, body angle, ball); drives Lip.
#include <cmath>

#include "behaviour/skill.h"
#include "behaviour/skill_steer.h"

namespace {

// Stepping direction that carries the robot along a bearing without turning its body
// there. Exactly on a band edge (+-10 degrees) it chooses nothing: the caller keeps its
// previous action instead of stopping.
bool BandWalkType(double bearingDeg, ACT_TYPE& type) {
    if (std::fabs(bearingDeg) < 10) {
        type = WALK_F;
    } else if (std::fabs(bearingDeg) > 170) {
        type = WALK_B;
    } else if (bearingDeg < -10) {
        type = WALK_HR;
    } else if (bearingDeg > 10) {
        type = WALK_HL;
    } else {
        return false;
    }
    return true;
}

double GroundDistTo(const Vector& target) { return WorldModel::GetDistInXY(target, wm.m_vSelfPos); }

}  // namespace

void Skill::WalkToFree(Vector vTargetPos, bool bClear) {
    bool& inTurn = m_WalkToFree.bInTurn;
    if (bClear) {
        inTurn = false;
        return;
    }
    const double dist = GroundDistTo(vTargetPos);
    const double delta = BodyBearingDeg(vTargetPos);
    const double absDelta = std::fabs(delta);
    ACT_TYPE type = WALK_STAY;
    double turnDeg = delta;
    if (inTurn) {
        // The last turn is still commanded: stopping it early would leave a residual error.
        if (absDelta < 10) inTurn = false;
    } else if (dist > 2) {
        if (absDelta < 90) type = WALK_F;
        else inTurn = true;
    } else if (absDelta > 70 && absDelta < 110 && dist < 1.2) {
        // Close and abeam: a sidestep is cheaper than turning, walking and turning back.
        type = delta < 0 ? WALK_HR : WALK_HL;
        turnDeg = delta < 0 ? delta + 90 : delta - 90;
    } else if (absDelta < 60) {
        type = WALK_F;
    } else {
        inTurn = true;
    }
    IssueWalk(type, turnDeg);
}

bool Skill::WalkDefend(Vector vTargetPos, bool bClear) {
    WalkDefendState& s = m_WalkDefend;
    if (bClear) {
        s.WalkType = WALK_STAY;
        s.TurnAngle = 0.0;
        WalkToFree(vTargetPos, true);
        return false;
    }
    s.vNowTargetPos = vTargetPos;
    const double dist = GroundDistTo(vTargetPos);
    if (dist >= 2) {
        WalkToFree(vTargetPos, false);
        return false;
    }
    const double hGoalDeg = BodyBearingDeg(wm.m_vOppGoalPos);
    if (dist < 0.25) {
        s.TurnAngle = std::fabs(hGoalDeg) < 10 ? 0.0 : hGoalDeg;
        IssueWalk(WALK_STAY, s.TurnAngle);
        return std::fabs(s.TurnAngle) < 8;
    }
    // Keep turning towards the goal while stepping, so the robot arrives facing it.
    if (BandWalkType(BodyBearingDeg(vTargetPos), s.WalkType)) s.TurnAngle = hGoalDeg;
    IssueWalk(s.WalkType, s.TurnAngle);
    return false;
}

bool Skill::WalkGoalie(Vector vTargetPos, bool) {
    WalkGoalieState& s = m_WalkGoalie;
    const double dist = GroundDistTo(vTargetPos);
    if (dist > 2) {
        // WalkToFree has issued this cycle's walk; a second one would run two gait periods.
        WalkToFree(vTargetPos, false);
        return false;
    }
    // Where the ball lies seen from the target, relative to the body: the keeper turns to
    // face it before it steps, so it never stands side-on to a shot.
    const double deltaDeg = NormalizeAngleDeg(HeadingDeg(vTargetPos, wm.m_vBallPos) - wm.m_dBodyAng);
    if (dist < 0.6) {
        s.WalkType = WALK_STAY;
        s.dTurnAngle = std::fabs(deltaDeg) < 8 ? 0.0 : deltaDeg;
    } else if (std::fabs(deltaDeg) > 10) {
        s.WalkType = WALK_STAY;
        s.dTurnAngle = deltaDeg;
    } else if (BandWalkType(HeadingDeg(wm.m_vSelfPos, vTargetPos), s.WalkType)) {
        // The keeper is taken to face the field, so the global heading picks the step.
        s.dTurnAngle = deltaDeg;
    }
    IssueWalk(s.WalkType, s.dTurnAngle);
    return dist < 0.2;
}

bool Skill::walkToFormationPos(Vector pos) {
    if ((pos - wm.m_vSelfPos).GetMod() < 1) {
        IssueWalk(WALK_STAY, NormalizeAngleDeg(wm.getAngleBallToBodyY()));
        return true;
    }
    // A position towards the own goal is reached backwards, so the robot keeps watching
    // the play in front of it.
    const double angleDistDeg = HeadingDeg(wm.m_vSelfPos, pos);
    const bool behind = std::fabs(angleDistDeg) > 90;
    const double aDeg = NormalizeAngleDeg(angleDistDeg + (behind ? 180.0 : 0.0) - wm.m_dBodyAng);
    IssueWalk(std::fabs(aDeg) > 30 ? WALK_STAY : behind ? WALK_B : WALK_F, aDeg);
    return false;
}
