// Walking to points: the free walk, the defender's and the keeper's walks, and the walk to
// a formation position. Reads wm (own position, body angle, ball); drives Lip.
#include <cmath>

#include "behaviour/skill.h"
#include "behaviour/skill_steer.h"

namespace {

constexpr double kBandEdgeDeg = 10;       // forward within this of the bearing, sideways beyond
constexpr double kBackwardBandDeg = 170;  // backward beyond this

// The free walk.
constexpr double kFarM = 2;               // farther: walk straight at it or turn first
constexpr double kFarWalkMaxDeg = 90;     // ... walking while the bearing is within this
constexpr double kNearWalkMaxDeg = 60;    // nearer: walking while within this, else turning
constexpr double kTurnDoneDeg = 10;       // a turn on the spot ends within this
constexpr double kAbeamMinDeg = 70, kAbeamMaxDeg = 110;  // the point abeam ...
constexpr double kSidestepMaxM = 1.2;                    // ... and this near: sidestep
constexpr double kAbeamDeg = 90;

// The defender's walk.
constexpr double kDefendArrivedM = 0.25;
constexpr double kFacingGoalDeg = 10;      // no turn within this of the goal bearing
constexpr double kDefendFacingDoneDeg = 8;  // arrived and turned within this: done

// The keeper's walk.
constexpr double kKeeperNearM = 0.6;       // nearer: only turn to the ball
constexpr double kKeeperFacingDeg = 8;     // no turn within this of the ball bearing
constexpr double kKeeperTurnFirstDeg = 10;  // farther off the ball bearing: turn before stepping
constexpr double kKeeperArrivedM = 0.2;

// The walk to a formation position.
constexpr double kFormationArrivedM = 1;
constexpr double kBackwardsBeyondDeg = 90;  // a point farther round than this is walked to backwards
constexpr double kFormationTurnFirstDeg = 30;

// Stepping direction that carries the robot along a bearing without turning its body
// there. Exactly on a band edge (+-10 degrees) it chooses nothing: the caller keeps its
// previous action instead of stopping.
bool BandWalkType(double bearingDeg, ACT_TYPE& type) {
    if (std::fabs(bearingDeg) < kBandEdgeDeg) {
        type = WALK_F;
    } else if (std::fabs(bearingDeg) > kBackwardBandDeg) {
        type = WALK_B;
    } else if (bearingDeg < -kBandEdgeDeg) {
        type = WALK_HR;
    } else if (bearingDeg > kBandEdgeDeg) {
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
        if (absDelta < kTurnDoneDeg) inTurn = false;
    } else if (dist > kFarM) {
        if (absDelta < kFarWalkMaxDeg) type = WALK_F;
        else inTurn = true;
    } else if (absDelta > kAbeamMinDeg && absDelta < kAbeamMaxDeg && dist < kSidestepMaxM) {
        // Close and abeam: a sidestep is cheaper than turning, walking and turning back.
        type = delta < 0 ? WALK_HR : WALK_HL;
        turnDeg = delta < 0 ? delta + kAbeamDeg : delta - kAbeamDeg;
    } else if (absDelta < kNearWalkMaxDeg) {
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
    if (dist >= kFarM) {
        WalkToFree(vTargetPos, false);
        return false;
    }
    const double hGoalDeg = BodyBearingDeg(wm.m_vOppGoalPos);
    if (dist < kDefendArrivedM) {
        s.TurnAngle = std::fabs(hGoalDeg) < kFacingGoalDeg ? 0.0 : hGoalDeg;
        IssueWalk(WALK_STAY, s.TurnAngle);
        return std::fabs(s.TurnAngle) < kDefendFacingDoneDeg;
    }
    // Keep turning towards the goal while stepping, so the robot arrives facing it.
    if (BandWalkType(BodyBearingDeg(vTargetPos), s.WalkType)) s.TurnAngle = hGoalDeg;
    IssueWalk(s.WalkType, s.TurnAngle);
    return false;
}

bool Skill::WalkGoalie(Vector vTargetPos, bool) {
    WalkGoalieState& s = m_WalkGoalie;
    const double dist = GroundDistTo(vTargetPos);
    if (dist > kFarM) {
        // WalkToFree has issued this cycle's walk; a second one would run two gait periods.
        WalkToFree(vTargetPos, false);
        return false;
    }
    // Where the ball lies seen from the target, relative to the body: the keeper turns to
    // face it before it steps, so it never stands side-on to a shot.
    const double deltaDeg = NormalizeAngleDeg(HeadingDeg(vTargetPos, wm.m_vBallPos) - wm.m_dBodyAng);
    if (dist < kKeeperNearM) {
        s.WalkType = WALK_STAY;
        s.dTurnAngle = std::fabs(deltaDeg) < kKeeperFacingDeg ? 0.0 : deltaDeg;
    } else if (std::fabs(deltaDeg) > kKeeperTurnFirstDeg) {
        s.WalkType = WALK_STAY;
        s.dTurnAngle = deltaDeg;
    } else if (BandWalkType(HeadingDeg(wm.m_vSelfPos, vTargetPos), s.WalkType)) {
        // The keeper is taken to face the field, so the global heading picks the step.
        s.dTurnAngle = deltaDeg;
    }
    IssueWalk(s.WalkType, s.dTurnAngle);
    return dist < kKeeperArrivedM;
}

bool Skill::walkToFormationPos(Vector pos) {
    if ((pos - wm.m_vSelfPos).GetMod() < kFormationArrivedM) {
        IssueWalk(WALK_STAY, NormalizeAngleDeg(wm.getAngleBallToBodyY()));
        return true;
    }
    // A position towards the own goal is reached backwards, so the robot keeps watching
    // the play in front of it.
    const double angleDistDeg = HeadingDeg(wm.m_vSelfPos, pos);
    const bool behind = std::fabs(angleDistDeg) > kBackwardsBeyondDeg;
    const double aDeg = NormalizeAngleDeg(angleDistDeg + (behind ? 180.0 : 0.0) - wm.m_dBodyAng);
    IssueWalk(std::fabs(aDeg) > kFormationTurnFirstDeg ? WALK_STAY : behind ? WALK_B : WALK_F, aDeg);
    return false;
}
