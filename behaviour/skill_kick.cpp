// Kick approach: places the feet behind or beside the ball for a straight or a cross kick
// towards a target and takes the kick. Reads wm (ball, own pose); drives Lip, ACT's kicks
// and WalkToFree; owns m_Kick and hands the key-frame timer back when it drops a kick.
#include <cmath>

#include "behaviour/skill.h"
#include "behaviour/skill_steer.h"
#include "motion/acthandle.h"
#include "runtime/corvane.h"

namespace {

using KickState = Skill::ReadyForKickState;

// Where the robot stands relative to the ball and the line the kick must take.
struct KickGeometry {
    double kickDeg = 0.0;  // global heading from the ball to the target
    Vector readyPos;       // just behind the ball on that line
    double meToBallM = 0.0;
    double turnDeg = 0.0;  // kick heading relative to the body
    double aveSafeM = 0.0;   // along the kick line, negative behind the ball (two-cycle mean)
    double aveCheckM = 0.0;  // across it, positive left of the line (two-cycle mean)
    int area = 0;            // 1, 2 on the target side (left, right); -1, -2 behind
};

constexpr double kDegToRad = kGeometryPi / 180.0;
constexpr double kReadyBehindBallM = 0.13;
constexpr double kWalkToBallFromM = 0.48;  // farther than this, walk to the ready point first
constexpr double kReadyPointReachedM = 0.4;  // ... until this near the ball
constexpr double kStraightKickMaxTurnDeg = 70.0;  // beyond this the kick goes across the body
constexpr double kWrongSideTurnFirstDeg = 8.0;  // target side: turn to the heading first
// Small steps near the ball: within these distances, the wider one for a big cross kick.
constexpr double kCrossTurnFromDeg = 65.0;
constexpr double kSmallStepsCrossM = 0.32, kSmallStepsM = 0.24;
constexpr double kBallMovedM = 0.5;  // the ball moved this far between calls: start afresh
constexpr int kTurnsKickStopDeg = -15;  // the closing step's turn before a kick
// Getting behind the ball from its target side.
constexpr double kOffTheLineM = 0.25;  // first sidestep this far off the kick line
constexpr double kPastTheBallM = 0.2;  // then back until this far behind the ball
constexpr double kBackOnLineLeftM = 0.04, kBackOnLineRightM = -0.05;  // and in towards the line

KickGeometry MeasureKick(KickState& k, const Vector& vTargetPos) {
    KickGeometry g;
    Vector ball = wm.m_vBallPos;
    Vector self = wm.m_vSelfPos;
    Vector target = vTargetPos;
    ball.Vz = self.Vz = target.Vz = 0.0;
    g.kickDeg = HeadingDeg(ball, target);
    const Vector along(std::cos(g.kickDeg * kDegToRad), std::sin(g.kickDeg * kDegToRad), 0.0);
    g.readyPos = ball - along * kReadyBehindBallM;
    g.meToBallM = (self - ball).GetMod();
    g.turnDeg = NormalizeAngleDeg(g.kickDeg - wm.m_dBodyAng);
    const double checkRad = NormalizeAngleDeg(HeadingDeg(ball, self) - g.kickDeg) * kDegToRad;
    k.icc = k.icc == 0 ? 1 : 0;
    k.dSafePos[k.icc] = std::cos(checkRad) * g.meToBallM;
    k.dCheckPos[k.icc] = std::sin(checkRad) * g.meToBallM;
    g.aveSafeM = (k.dSafePos[0] + k.dSafePos[1]) / 2.0;
    g.aveCheckM = (k.dCheckPos[0] + k.dCheckPos[1]) / 2.0;
    if (g.aveSafeM > 0.0) g.area = g.aveCheckM > 0.0 ? 1 : 2;
    else g.area = g.aveCheckM > 0.0 ? -1 : -2;
    return g;
}

using Phase = Skill::ApproachPhase;
using Foot = Skill::KickFoot;

void RestartPhases(KickState& k) {
    k.phase = Phase::Facing;
    k.foot = Foot::Undecided;
}

// The kicks share one timer with every other key-frame motion; a kick left running would
// make the next motion start part-way through its table or end at once.
void AbandonKick(KickState& k) {
    if (!k.bKickInFlight) return;
    timer.ClearTimer();
    k.bKickInFlight = false;
    k.bIsWalkStop = false;
}

// Discards every step of the approach made so far; the ball's history stays.
void DiscardProgress(KickState& k) {
    AbandonKick(k);
    RestartPhases(k);
    k.bSmallWalk = k.bIsWalkStop = k.bToSafeLine = false;
    k.bNeedUpdateDribbleState = true;
}

// ---- state choice. Each returns true with `next` set when it chose a state; false when
// a phase was passed this cycle (or the samples disagree), so the stored state runs once
// more and the choice is made again next cycle.

bool Advance(KickState& k, Phase next) {
    k.phase = next;
    return false;
}

bool Pick(DribbleAction& next, DribbleAction state) {
    next = state;
    return true;
}

constexpr double kStraightFacingDeg = 5.0;    // the kick heading this near the body axis
constexpr double kStraightBehindBallM = 0.21;  // along the line, this near behind the ball
// Lateral bands (left of the line positive) that put the ball before the kicking foot.
constexpr double kRightFootBandLoM = 0.024, kRightFootBandHiM = 0.029;
constexpr double kLeftFootBandLoM = -0.03, kLeftFootBandHiM = -0.025;

// The straight kick: face the kick heading, come to the right distance behind the ball,
// choose the foot, then step sideways into that foot's band.
bool ChooseStraight(KickState& k, const KickGeometry& g, DribbleAction& next) {
    switch (k.phase) {
    case Phase::Facing:
        if (std::fabs(g.turnDeg) < kStraightFacingDeg) return Advance(k, Phase::Distance);
        return Pick(next, WalkTurn);
    case Phase::Distance:
        if (std::fabs(g.aveSafeM) < kStraightBehindBallM) return Advance(k, Phase::ChooseFoot);
        return Pick(next, WalkF);
    case Phase::ChooseFoot:
        // Backed off to redo the distance: the foot chosen before still holds.
        if (k.foot == Foot::Undecided) {
            // After two kicks from one side the next one is taken from the other.
            k.foot = (g.area == -1) != k.bIsKickManyTimes ? Foot::Right : Foot::Left;
            return Advance(k, Phase::Lateral);
        }
        k.phase = Phase::Lateral;
        [[fallthrough]];
    case Phase::Lateral: {
        const bool right = k.foot == Foot::Right;
        const double lo = right ? kRightFootBandLoM : kLeftFootBandLoM;
        const double hi = right ? kRightFootBandHiM : kLeftFootBandHiM;
        const double c0 = k.dCheckPos[0], c1 = k.dCheckPos[1];
        if (c0 >= lo && c0 <= hi && c1 >= lo && c1 <= hi) return Advance(k, Phase::Placed);
        if (c0 < lo && c1 < lo) return Pick(next, WalkFL);
        if (c0 > hi && c1 > hi) return Pick(next, WalkFR);
        return false;
    }
    case Phase::FinalDistance:
        if (std::fabs(g.aveSafeM) < kStraightBehindBallM) return Advance(k, Phase::Placed);
        return Pick(next, WalkF);
    default:
        return Pick(next, k.foot == Foot::Right ? ReadyForRightKick : ReadyForLeftKick);
    }
}

// Thresholds of the kick across the body, for the kick to the body's right (turn < 0);
// the kick to the left mirrors them.
struct CrossKickLimits {
    double firstCheckM, secondCheckM;  // lateral offsets the two checks must pass
    double nearTouchLineYM;            // |ball y| from which the tighter limit applies
    double safeNearTouchLineM, safeM;  // longitudinal limits
    DribbleAction rightKick, leftKick;
};
constexpr CrossKickLimits kCrossSmall = {-0.12, -0.05, 3.0, 0.08, 0.14, ReadyForKickRight_Small,
                                         ReadyForKickLeft_Small};
constexpr CrossKickLimits kCrossNormal = {-0.2, -0.15, 2.0, 0.13, 0.15, ReadyForKickRight,
                                          ReadyForKickLeft};

constexpr double kCrossTurnMinDeg = 85.0, kCrossTurnMaxDeg = 95.0;  // the ball square to the body

// The kick across the body: turn square to the kick heading, pass the outer then the inner
// lateral check, then come to the right distance along the line.
bool ChooseCross(KickState& k, const KickGeometry& g, bool bUseSmallKick, DribbleAction& next) {
    const CrossKickLimits& lim = bUseSmallKick ? kCrossSmall : kCrossNormal;
    const bool toRight = g.turnDeg < 0.0;
    const double s = toRight ? 1.0 : -1.0;  // mirrors offsets into the kick-to-the-right frame
    const double check = s * g.aveCheckM;
    switch (k.phase) {
    case Phase::Facing:
        if (std::fabs(g.turnDeg) > kCrossTurnMinDeg && std::fabs(g.turnDeg) < kCrossTurnMaxDeg)
            return Advance(k, Phase::Outside);
        return Pick(next, toRight ? WalkTurn1 : WalkTurn2);
    case Phase::Outside:
        if (check > lim.firstCheckM) return Advance(k, Phase::Inside);
        return Pick(next, toRight ? WalkFL1 : WalkFR2);
    case Phase::Inside:
        if (check < lim.secondCheckM) return Advance(k, Phase::Distance);
        return Pick(next, toRight ? WalkFR1 : WalkFL2);
    case Phase::Distance: {
        const bool nearTouchLine = s * wm.m_vBallPos.Vy <= -lim.nearTouchLineYM;
        const double limit = nearTouchLine ? lim.safeNearTouchLineM : lim.safeM;
        if (std::fabs(g.aveSafeM) < limit) return Advance(k, Phase::Placed);
        return Pick(next, toRight ? WalkF1 : WalkF2);
    }
    default:
        return Pick(next, toRight ? lim.rightKick : lim.leftKick);
    }
}

Skill::KickPath PathOf(const KickGeometry& g) {
    if (g.area >= 0) return Skill::KP_WrongSide;
    return std::fabs(g.turnDeg) < kStraightKickMaxTurnDeg ? Skill::KP_Straight : Skill::KP_Cross;
}

bool ChooseKickState(KickState& k, const KickGeometry& g, bool bUseSmallKick, DribbleAction& next) {
    if (g.meToBallM >= kWalkToBallFromM) return Pick(next, WalkOther);
    // Each path latches its own phases: carried over to another path they would fire
    // that path's kick from the wrong place.
    const Skill::KickPath path = PathOf(g);
    if (path != k.path) {
        RestartPhases(k);
        k.path = path;
    }
    switch (path) {
    case Skill::KP_WrongSide:
        if (std::fabs(g.turnDeg) >= kWrongSideTurnFirstDeg) next = WalkTurn;
        else next = g.area == 1 ? WalkBR : WalkBL;
        return true;
    case Skill::KP_Straight: return ChooseStraight(k, g, next);
    default: return ChooseCross(k, g, bUseSmallKick, next);
    }
}

// ---- state actions

// States that walk one way and keep re-choosing.
struct PlainStep {
    DribbleAction state;
    ACT_TYPE type;
    double turnOffsetDeg;
};
constexpr PlainStep kPlainSteps[] = {
    {WalkF, WALK_F, 0.0},         {WalkF1, WALK_HR, 90.0},    {WalkF2, WALK_HL, -90.0},
    {WalkTurn, WALK_STAY, 0.0},   {WalkTurn1, WALK_STAY, 90.0}, {WalkTurn2, WALK_STAY, -90.0},
};

// States that move (and keep re-choosing) while the robot is more than `limitM` from the
// ball along the kick line, and otherwise hold the state with a corrective step.
struct TwoWayStep {
    DribbleAction state;
    double turnOffsetDeg;
    double limitM;
    ACT_TYPE farType, nearType;
    bool nearDropsSafePos;  // too close to side-step: the distance phase is redone
};
constexpr TwoWayStep kTwoWaySteps[] = {
    {WalkFL, 0.0, 0.13, WALK_HL, WALK_B, true},    {WalkFR, 0.0, 0.13, WALK_HR, WALK_B, true},
    {WalkFL1, 90.0, 0.08, WALK_F, WALK_HL, false}, {WalkFR1, 90.0, 0.08, WALK_B, WALK_HL, false},
    {WalkFL2, -90.0, 0.08, WALK_B, WALK_HR, false}, {WalkFR2, -90.0, 0.08, WALK_F, WALK_HR, false},
};

struct KickMove {
    DribbleAction state;
    bool (ActHandle::*kick)();
    bool straight;
};
constexpr KickMove kKicks[] = {
    {ReadyForRightKick, &ActHandle::KickRightFoot_NEW, true},
    {ReadyForLeftKick, &ActHandle::KickLeftFoot_NEW, true},
    {ReadyForKickRight, &ActHandle::KickRight_Karate, false},
    {ReadyForKickLeft, &ActHandle::KickLeft_Karate, false},
    {ReadyForKickRight_Small, &ActHandle::KickRight, false},
    {ReadyForKickLeft_Small, &ActHandle::KickLeft, false},
};

const KickMove* FindKick(DribbleAction state) {
    for (const KickMove& m : kKicks)
        if (m.state == state) return &m;
    return nullptr;
}

template <typename Row, size_t N>
const Row& RowOf(const Row (&rows)[N], DribbleAction state) {
    for (const Row& r : rows)
        if (r.state == state) return r;
    return rows[0];
}

void RunPlainStep(Skill& s, KickState& k, const KickGeometry& g) {
    const PlainStep& row = RowOf(kPlainSteps, k.DribbleState);
    k.bNeedUpdateDribbleState = true;
    s.walk(row.type, static_cast<float>(g.turnDeg + row.turnOffsetDeg), k.bSmallWalk);
}

// Too close to side-step: the distance to the ball is redone and the rest of the approach
// kept; on the cross path the distance is its last phase.
void RedoDistance(KickState& k) {
    if (k.path == Skill::KP_Cross) {
        if (k.phase == Phase::Placed) k.phase = Phase::Distance;
    } else if (k.path == Skill::KP_Straight) {
        if (k.phase == Phase::Placed || k.phase == Phase::FinalDistance) k.phase = Phase::FinalDistance;
        else if (k.phase != Phase::Facing) k.phase = Phase::Distance;
    }
}

void RunTwoWayStep(Skill& s, KickState& k, const KickGeometry& g) {
    const TwoWayStep& row = RowOf(kTwoWaySteps, k.DribbleState);
    const float turn = static_cast<float>(g.turnDeg + row.turnOffsetDeg);
    if (std::fabs(g.aveSafeM) > row.limitM) {
        k.bNeedUpdateDribbleState = true;
        s.walk(row.farType, turn, k.bSmallWalk);
        return;
    }
    if (row.nearDropsSafePos) RedoDistance(k);
    s.walk(row.nearType, turn, k.bSmallWalk);
}

// From the target side of the ball: sidestep off the kick line, back past the ball, then
// step in towards the line again, all in full-size steps so as to clear the ball.
void RunGetBehind(Skill& s, KickState& k, const KickGeometry& g, bool mirrored) {
    const float turn = static_cast<float>(g.turnDeg);
    if (!k.bToSafeLine) {
        if (std::fabs(g.aveCheckM) < kOffTheLineM) {
            s.walk(mirrored ? WALK_HL : WALK_HR, turn, false);
            return;
        }
        k.bToSafeLine = true;
    }
    if (g.area < 0 && std::fabs(g.aveSafeM) > kPastTheBallM) {
        const bool offLine = mirrored ? g.aveCheckM > kBackOnLineLeftM : g.aveCheckM < kBackOnLineRightM;
        if (offLine) {
            s.walk(mirrored ? WALK_HR : WALK_HL, turn, false);
            return;
        }
        k.bToSafeLine = false;
        k.bNeedUpdateDribbleState = true;
        return;
    }
    s.walk(WALK_B, turn, false);
}

void EndKick(KickState& k, bool straight) {
    k.bKickInFlight = false;
    ++k.kicksDone;
    k.lastKick = k.DribbleState;
    RestartPhases(k);
    k.bSmallWalk = k.bIsWalkStop = false;
    if (straight) {
        ++k.KickTimes;
        k.bIsKickManyTimes = false;
    }
    k.bNeedUpdateDribbleState = true;
}

void RunKick(KickState& k, const KickMove& move) {
    if (!k.bIsWalkStop) {
        // Stop in the step size the approach walked with: a switch to full-size steps
        // here would lunge the stepping foot into the ball.
        k.bIsWalkStop = Lip.StopWalk(kTurnsKickStopDeg, k.bSmallWalk);
        return;
    }
    const bool done = (ACT.*move.kick)();
    k.bKickInFlight = !done;
    if (done) EndKick(k, move.straight);
}

void RunKickState(Skill& s, KickState& k, const KickGeometry& g) {
    switch (k.DribbleState) {
    case WalkF: case WalkF1: case WalkF2: case WalkTurn: case WalkTurn1: case WalkTurn2:
        RunPlainStep(s, k, g);
        break;
    case WalkFL: case WalkFR: case WalkFL1: case WalkFR1: case WalkFL2: case WalkFR2:
        RunTwoWayStep(s, k, g);
        break;
    case WalkBL: RunGetBehind(s, k, g, false); break;
    case WalkBR: RunGetBehind(s, k, g, true); break;
    case WalkOther:
        if (g.meToBallM < kReadyPointReachedM) k.bNeedUpdateDribbleState = true;
        else s.WalkToFree(g.readyPos, false);
        break;
    default:
        // WalkOther_L and WalkOther_R are never chosen: nothing to run for them.
        if (const KickMove* move = FindKick(k.DribbleState)) RunKick(k, *move);
        break;
    }
}

}  // namespace

bool Skill::ReadyForKick_New(Vector vTargetPos, bool bUseSmallKick, bool bClear) {
    KickState& k = m_Kick;
    if (bClear) {
        AbandonKick(k);
        k.Reset();
        return true;
    }
    // Not called last cycle: whoever ran meanwhile may have used the timer of our kick.
    if (wm.m_iCycle > k.iLastCallCycle + 1 || wm.m_iCycle < k.iLastCallCycle) AbandonKick(k);
    k.iLastCallCycle = wm.m_iCycle;

    const KickGeometry g = MeasureKick(k, vTargetPos);
    if (k.KickTimes == 2) {
        k.bIsKickManyTimes = true;
        k.KickTimes = 0;
    }
    if (std::fabs(g.turnDeg) > kCrossTurnFromDeg && !bUseSmallKick) k.bSmallWalk = g.meToBallM < kSmallStepsCrossM;
    else k.bSmallWalk = g.meToBallM < kSmallStepsM;
    if (WorldModel::GetDistInXY(wm.m_vBallPos, k.vLastBall) > kBallMovedM) {
        DiscardProgress(k);
        k.bIsKickManyTimes = false;
    }
    k.vLastBall = wm.m_vBallPos;

    if (k.bNeedUpdateDribbleState) {
        DribbleAction next = k.DribbleState;
        if (ChooseKickState(k, g, bUseSmallKick, next)) {
            k.DribbleState = next;
            k.bNeedUpdateDribbleState = false;
        }
    }
    if (!FindKick(k.DribbleState)) AbandonKick(k);
    RunKickState(*this, k, g);
    return true;
}
