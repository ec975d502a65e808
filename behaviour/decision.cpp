// Decision dispatcher: a fallen robot gets up, the head is pointed, and each play mode has
// its handler; beams before kick-off and after goals, roles, kick-off, open play, the dive.
// Global: `decision`. Reads `wm`, `gVariant`; writes wm's roles, drives `skill`, `Lip`,
// `ACT` (and through it `timer`).
#include "behaviour/decision.h"

#include <algorithm>
#include <cmath>
#include <iostream>

#include "behaviour/skill.h"
#include "motion/3dlip.h"
#include "motion/acthandle.h"
#include "runtime/corvane.h"
#include "runtime/variant.h"

namespace {

struct BeamSpot {
    double x, y, rotDeg;  // team frame, metres; beam rotation, degrees
};

constexpr int kMaxUnum = 11;

// Indexed by uniform number; entry 0 is the place of every number without one. The
// taker's entry is unused: its place depends on the game time (kTakerSpots).
constexpr BeamSpot kKickOffSpots[kMaxUnum + 1] = {
    {0, 0, 0},       {-15, 0, 0},      {-13, 1.7, 0}, {-13, -1.7, 0}, {-10.5, 2.5, 0},
    {-9.5, 0, 0},    {-10.5, -2.5, 0}, {-1, 1.3, 0},  {-1, -1.3, 0},  {0, 0, 0},
    {-2, 1.7, 0},    {-2, -1.7, 0}};
// The taker's place by k = whole tens of game seconds modulo 4 (rows 0, 1, 2, then 3 or
// anything else); the last row differs after a conceded goal.
constexpr BeamSpot kTakerSpotsBeforeKickOff[4] = {
    {-0.15, 0.025, 0}, {-0.14, 0.08, -20}, {-0.15, -0.02, 20}, {-0.15, 0.025, 0}};
constexpr BeamSpot kTakerSpotsGoalOpp[4] = {
    {-0.15, 0.025, 0}, {-0.14, 0.08, -20}, {-0.15, -0.02, 20}, {-0.15, -0.02, 20}};
// After our goal the opponent kicks off: everybody stands back from the centre circle.
constexpr BeamSpot kGoalUsSpots[kMaxUnum + 1] = {
    {0, 0, 0},     {-15, 0, 0},  {-12, 2.3, 0}, {-12, -2.3, 0}, {-9, 3, 0}, {-7.5, 0, 0},
    {-9, -3, 0},   {-0.2, 2.5, 0}, {-0.2, -2.5, 0}, {-2.25, 0, 0}, {-2, 4, 0}, {-2, -4, 0}};
constexpr PLAYER_ROLE kRoles[kMaxUnum + 1] = {
    PR_Goalie,     PR_Goalie,     PR_DefendLeft, PR_DefendRight, PR_LeftRear,    PR_MiddleRear,
    PR_RightRear,  PR_LeftFront,  PR_RightFront, PR_MiddleFront, PR_LeftForward, PR_RightForward};
const Vector kPenaltyAttackerSpot(-0.5, 0, 0);

constexpr int kBeamRepeats = 10;
constexpr double kGoalBeamRepeatSec = 2.3;
constexpr double kCatchJudgeDistance = -5.5;
constexpr double kKeeperFacingDeg = 30.0;
constexpr double kDiveSideBandY = 3.0;
constexpr double kPenaltyAimFromX = 12.0;
constexpr double kPenaltyKickFromX = 13.0;
constexpr double kPenaltyDribbleAdoptDeg = 15.0;
// A shot aimed at a post goes wide as often as in; the aim stays this far inside it.
constexpr double kPenaltyAimInsidePostM = 0.35;

using Handler = void (Decision::*)();
// Indexed by TPlayMode. A mode the league gives without a plan for it still must not
// leave the legs to the speeds of the last cycle: the robot stands and looks.
constexpr Handler kHandlers[PM_None + 1] = {
    &Decision::BeforeKickOff, &Decision::KickOffUs,     &Decision::KickOffOpp,
    &Decision::PlayOn,        &Decision::KickInUs,      &Decision::KickInOpp,
    &Decision::CornerKickUs,  &Decision::CornerKickOpp, &Decision::GoalKickUs,
    &Decision::GoalKickOpp,   &Decision::HoldStance,    &Decision::HoldStance,
    &Decision::HoldStance,    &Decision::GoalUs,        &Decision::GoalOpp,
    &Decision::FreeKickUs,    &Decision::FreeKickOpp,   &Decision::HoldStance};

Handler HandlerFor(TPlayMode mode) {
    if (mode < PM_BeforeKickOff || mode > PM_None) return &Decision::HoldStance;
    if (gVariant.goalKickOppIsPlayOn && mode == PM_GoalKickOpp) return &Decision::PlayOn;
    return kHandlers[mode];
}

bool KnownUnum(int unum) { return unum >= 1 && unum <= kMaxUnum; }

Vector ToBeam(const BeamSpot& spot) { return Vector(spot.x, spot.y, spot.rotDeg); }

// Computed in double throughout: a game time that does not fit an int (or is not a
// number) lands in the last row instead of an undefined conversion.
int TakerRow() {
    const double k = std::fmod(std::trunc(wm.m_dGameTime / 10.0), 4.0);
    if (k == 0.0 || k == 1.0 || k == 2.0) return static_cast<int>(k);
    return 3;
}

Vector KickOffSpot(const BeamSpot (&takerSpots)[4]) {
    if (wm.m_iUnum == Decision::kKickOffTakerUnum) return ToBeam(takerSpots[TakerRow()]);
    return ToBeam(kKickOffSpots[KnownUnum(wm.m_iUnum) ? wm.m_iUnum : 0]);
}

// The keeper's dive test, shared by the goalkeeper's situation and the penalty keeper.
bool ShouldDive(bool bNeedCatchBall, int oppNum) {
    if (wm.m_FallState != FALL_NONE) return false;
    // A dive once begun runs to its end: cut off by a walk for the cycles the test wavers,
    // it left the keeper walking half-folded until it fell.
    if (ACT.bCatchBall) return true;
    if (!(wm.m_vBallPos.Vx > wm.m_vSelfPos.Vx)) return false;
    const double faceDeg = wm.GetFaceAngInGlobalEx();
    if (!(faceDeg > -kKeeperFacingDeg && faceDeg < kKeeperFacingDeg)) return false;
    if (!KnownUnum(oppNum)) return false;
    if (!(wm.m_vOpponent[oppNum - 1].vAveragePos.Vx > wm.m_vBallPos.Vx)) return false;
    return bNeedCatchBall;
}

// A handler's key: the play mode, whether this player takes the set piece in it, or the
// get-up. Modes sharing a handler still count apart: a mode change cuts a motion too.
int RouteFor(TPlayMode mode, bool gettingUp) {
    if (gettingUp) return -2;
    bool kicker = false;
    if (mode == PM_KickInUs || mode == PM_CornerKickUs || mode == PM_FreeKickUs)
        kicker = Decision::IsNearestToBall();
    if (mode == PM_GoalKickUs) kicker = wm.m_PlayerRole == PR_Goalie;
    return static_cast<int>(mode) * 2 + (kicker ? 1 : 0);
}

// Beams after a goal, again every 2.3 s of game time while the mode lasts (a robot
// pushed off its place, or a beam the server missed).
void BeamAfterGoal(Decision& d, const Vector& spot) {
    if (d.bBeamOver && wm.m_dGameTime - d.beamTime <= kGoalBeamRepeatSec) {
        Lip.Prepare(0, false);
        d.Clear();
        return;
    }
    d.beamTime = wm.m_dGameTime;
    d.bBeamOver = ACT.Beam(spot, kBeamRepeats, false);
    d.Clear();
}

void PenaltyAttacker(Decision& d) {
    Decision::PlayOnState& st = d.m_PlayOn;
    const double x = wm.m_vSelfPos.Vx;
    // Aimed on the first cycle past the band's lower edge, so that a position estimate
    // that jumps over the band still aims at the goal and not at the field origin.
    if (x > kPenaltyAimFromX && !st.bCaledKickPos) {
        st.KickPos = d.JudgeWayToShoot();
        if (st.KickPos.Vx == 0) st.KickPos = Vector(wm.m_dFieldLength * 0.5, wm.m_dGoalWidth * 0.5, 0);
        const double maxAimY = wm.m_dGoalWidth * 0.5 - kPenaltyAimInsidePostM;
        st.KickPos.Vy = std::clamp(st.KickPos.Vy, -maxAimY, maxAimY);
        st.bCaledKickPos = true;
    }
    if (x < kPenaltyKickFromX) {
        skill.WalkDribble(wm.m_vOppGoalPos, kPenaltyDribbleAdoptDeg, false);
    } else {
        skill.ReadyForKick_New(st.KickPos, false, false);
    }
}

void PenaltyKeeper(Decision& d, bool dive) {
    if (dive) {
        d.CatchBall();
    } else {
        d.Defend();
    }
}

// Dribbles while the checks allow it; after repeated failures re-positions behind the
// ball (attack formation 0) until the checks pass again.
void BallCarrier(Decision& d) {
    bool dribbleOk = false;
    if (d.m_PlayOn.adjusting > Decision::kLastDribbling) {
        d.AttackFormation(0);
        dribbleOk = skill.canDribble(true);
    } else {
        skill.dribbleFromBack();
        dribbleOk = skill.canDribble(false);
    }
    d.m_PlayOn.adjusting = Decision::NextAdjusting(d.m_PlayOn.adjusting, dribbleOk);
}

}  // namespace

// Before the server has told us our number the ranking is empty as well (number 0), and
// the two must not be taken for a match.
bool Decision::IsNearestToBall() { return wm.m_iUnum != 0 && BallCarrierNum() == wm.m_iUnum; }

int Decision::BallCarrierNum() {
    const int nearest = wm.GetNearestTeamMateNum();
    if (nearest == 0 || nearest != decision.m_SecondTouch.barredUnum) return nearest;
    return wm.m_NearestTeamMateInfo[1].iNum;
}

Decision::Decision() : bRoleSign(false), beamTime(0.0), lastPlayMode(PM_None), nowPlayMode(PM_None) {}

void Decision::Do() {
    const TPlayMode mode = wm.PlayState;
    UpdateSecondTouch(mode);
    const bool fallen = wm.m_FallState != FALL_NONE;
    const bool gettingUp = fallen && mode != PM_BeforeKickOff && mode != PM_GoalUs && mode != PM_GoalOpp;
    if (gettingUp && m_SecondTouch.Finishing()) m_SecondTouch.ownKick = SecondTouchState::OwnKick::None;
    // The kick-off's blind big kick ends on the ground by design: once is enough.
    if (gettingUp && mode == PM_KickOffUs) m_KickOff.bKicked = true;

    // The shared key-frame timer belongs to whichever motion runs; one cut off by a change
    // of handler would make the next motion start mid-table or end at once. The taker's
    // kick that outlives its set piece is no such motion: it is finished below.
    const int route = RouteFor(mode, gettingUp);
    if (route != m_Dispatch.lastRoute && timer.IsTimerRun() && !m_SecondTouch.Finishing()) ACT.ClearAll();
    m_Dispatch.lastRoute = route;

    if (gettingUp) {
        if (skill.Climb(false)) Clear();
        return;
    }
    if (mode != PM_KickOffUs && mode != PM_GoalOpp && !IsNearestToBall()) ACT.TurnHead();
    if (mode != nowPlayMode) {
        lastPlayMode = nowPlayMode;
        nowPlayMode = mode;
        if (mode == PM_KickOffUs) m_KickOff.bKicked = false;
    }
    if (m_SecondTouch.Finishing()) {
        if (ACT.BigKick()) m_SecondTouch.ownKick = SecondTouchState::OwnKick::None;
        return;
    }
    (this->*HandlerFor(mode))();
}

void Decision::Clear() {
    bCalcShootPos = false;
    bCalcDribblePos = false;
    skill.WalkDefend(Vector(), true);
    skill.WalkDribble(Vector(), 0.0, true);
    skill.ReadyForKick_New(Vector(), false, true);
}

void Decision::UpdateSituation() {
    Vector vKickerPos, vAveBallPos;
    const bool bNeedCatchBall = Golie_CatchJudge_new(vKickerPos, vAveBallPos, kCatchJudgeDistance);
    const int oppNum = NearBallOppNum();
    const PLAYER_ROLE role = wm.m_PlayerRole;
    const bool defender = role == PR_DefendLeft || role == PR_DefendRight;
    if (IsNearestToBall()) {
        Situation_Decision = defender ? DEFEND : ATTACK;
    } else if (defender) {
        Situation_Decision = DEFEND;
    } else if (role == PR_Goalie) {
        Situation_Decision = ShouldDive(bNeedCatchBall, oppNum) ? CATCHBALL : DEFEND;
    } else {
        Situation_Decision = FORMATION;
    }
}

void Decision::BeforeKickOff() {
    if (Lip.Prepare(0, false) && !bBeamOver) {
        const Vector spot =
            bPenaltyAttacker && wm.m_iUnum == 1 ? kPenaltyAttackerSpot : KickOffSpot(kTakerSpotsBeforeKickOff);
        bBeamOver = ACT.Beam(spot, kBeamRepeats, false);
    } else {
        Lip.Prepare(0, false);
    }
    if (!bPenaltyAttacker && !bRoleSign && wm.m_iUnum != 0) {
        bRoleSign = true;
        for (int unum = 1; unum <= kMaxUnum; ++unum) wm.m_AryPlayerRole[unum] = kRoles[unum];
        if (KnownUnum(wm.m_iUnum)) {
            wm.m_PlayerRole = kRoles[wm.m_iUnum];
        } else {
            std::cout << "Error Player Number!" << std::endl;
        }
    }
    Clear();
}

void Decision::KickOffUs() {
    if (bPenaltyAttacker && wm.m_iUnum == 1) {
        skill.WalkDribble(wm.m_vOppGoalPos, kPenaltyDribbleAdoptDeg, false);
    } else if (wm.m_PlayerRole != PR_MiddleFront) {
        BeforeKickOff();
    } else if ((lastPlayMode == PM_BeforeKickOff || lastPlayMode == PM_GoalOpp) && !m_KickOff.bKicked) {
        // Blind: the taker was beamed to the ball. Once is enough; a kick that left the
        // ball in place is followed up with eyes open.
        if (ACT.BigKick()) m_KickOff.bKicked = true;
    } else {
        KickInUs();
    }
}

void Decision::KickOffOpp() {
    Lip.Prepare(0, false);
    bBeamOver = false;
}

int Decision::NextAdjusting(int adjusting, bool dribbleOk) {
    if (dribbleOk) {
        if (adjusting > kLastDribbling) adjusting -= 1;
        if (adjusting == kLastDribbling) adjusting = 0;
    } else {
        if (adjusting <= kLastDribbling) adjusting += 1;
        if (adjusting == kFirstAdjusting) adjusting = kAdjustingFull;
    }
    return adjusting;
}

void Decision::PlayOn() {
    bBeamOver = false;
    // A taker still beside the ball it may not play would touch it on its way anywhere. One
    // whose wind-up touched the ball has a foot at it: even the way back to the stance
    // touches it again, so its legs stay as the cut kick left them.
    if (IsBarredBesideTheBall()) {
        if (m_SecondTouch.ownKick == SecondTouchState::OwnKick::Cut) {
            ACT.TurnHead();
        } else {
            HoldStance();
        }
        return;
    }
    Vector vKickerPos, vAveBallPos;
    const bool bNeedCatchBall = Golie_CatchJudge_new(vKickerPos, vAveBallPos, kCatchJudgeDistance);
    const int oppNum = NearBallOppNum();
    skill.Watch();

    // The penalty modes come before the ball carrier: in a shoot-out each side's only
    // player is always its side's nearest to the ball.
    if (bPenaltyAttacker) {
        PenaltyAttacker(*this);
    } else if (bPenaltyKeeper) {
        PenaltyKeeper(*this, ShouldDive(bNeedCatchBall, oppNum));
    } else if (IsNearestToBall()) {
        BallCarrier(*this);
    } else if (wm.m_iUnum == 8 || (gVariant.secondSupportUnum != 0 && wm.m_iUnum == gVariant.secondSupportUnum)) {
        AttackFormation(wm.m_iUnum);
    } else {
        UpdateSituation();
        if (Situation_Decision == CATCHBALL) {
            CatchBall();
        } else {
            Formation();
        }
    }
}

// A stride cut off where it stands topples the robot, so the walk ends with its closing
// step first; a robot that has not walked takes the posture without stepping. The head is
// pointed last: the posture would centre it.
void Decision::HoldStance() {
    if (Lip.mPhase == PREPARE) {
        Lip.Prepare(0, false);
    } else {
        Lip.StopWalk(0, Lip.bSmallWalk);
    }
    ACT.TurnHead();
}

void Decision::KickInOpp() { PlayOn(); }
void Decision::CornerKickOpp() { PlayOn(); }

void Decision::GoalUs() { BeamAfterGoal(*this, ToBeam(kGoalUsSpots[KnownUnum(wm.m_iUnum) ? wm.m_iUnum : 0])); }
void Decision::GoalOpp() { BeamAfterGoal(*this, KickOffSpot(kTakerSpotsGoalOpp)); }

void Decision::CatchBall() {
    const double ballY = wm.m_vBallPos.Vy;
    int type = 1;  // left leg folded
    if (ballY > -kDiveSideBandY && ballY < kDiveSideBandY) {
        type = wm.m_vSelfPos.Vy > 0 ? 2 : 1;
    } else if (ballY < -kDiveSideBandY) {
        type = 2;
    }
    ACT.CatchBall(type);
}
