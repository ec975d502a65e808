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

void ClearPhaseFlags(KickState& k) {
    k.bIsGetTurnAngle = k.bIsGetSafePos = k.bIsGetCheckPos = false;
    k.bIsGetCheckPosO = k.bIsGetCheckPosI = false;
    k.bIsGetiAearL = k.bIsGetiAearR = false;
}

// The kicks share one timer with every other key-frame motion; a kick left running would
// make the next motion start part-way through its table or end at once.
void AbandonKick(KickState& k) {
    if (!k.bKickInFlight) return;
    timer.ClearTimer();
    k.bKickInFlight = false;
    k.bIsWalkStop = false;
}

// A reset that discards every step of the approach made so far.
void DiscardProgress(KickState& k) {
    AbandonKick(k);
    ClearPhaseFlags(k);
    k.bSmallWalk = k.bIsWalkStop = k.bToSafeLine = false;
    k.bNeedUpdateDribbleState = true;
}

// ---- state choice. Each returns true with `next` set when it chose a state; false when
// a phase was passed this cycle (or the samples disagree), so the stored state runs once
// more and the choice is made again next cycle.

bool Latch(bool& phaseFlag) {
    phaseFlag = true;
    return false;
}

bool Pick(DribbleAction& next, DribbleAction state) {
    next = state;
    return true;
}

bool ChooseStraight(KickState& k, const KickGeometry& g, DribbleAction& next) {
    if (!k.bIsGetTurnAngle) {
        if (std::fabs(g.turnDeg) < 5.0) return Latch(k.bIsGetTurnAngle);
        return Pick(next, WalkTurn);
    }
    if (!k.bIsGetSafePos) {
        if (std::fabs(g.aveSafeM) < 0.21) return Latch(k.bIsGetSafePos);
        return Pick(next, WalkF);
    }
    if (!k.bIsGetiAearL && !k.bIsGetiAearR) {
        // After two kicks from one side the next one is taken from the other.
        if ((g.area == -1) != k.bIsKickManyTimes) k.bIsGetiAearL = true;
        else k.bIsGetiAearR = true;
        return false;
    }
    if (!k.bIsGetCheckPos) {
        const double lo = k.bIsGetiAearL ? 0.024 : -0.03;
        const double hi = k.bIsGetiAearL ? 0.029 : -0.025;
        const double c0 = k.dCheckPos[0], c1 = k.dCheckPos[1];
        if (c0 >= lo && c0 <= hi && c1 >= lo && c1 <= hi) return Latch(k.bIsGetCheckPos);
        if (c0 < lo && c1 < lo) return Pick(next, WalkFL);
        if (c0 > hi && c1 > hi) return Pick(next, WalkFR);
        return false;
    }
    return Pick(next, k.bIsGetiAearL ? ReadyForRightKick : ReadyForLeftKick);
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

bool ChooseCross(KickState& k, const KickGeometry& g, bool bUseSmallKick, DribbleAction& next) {
    const CrossKickLimits& lim = bUseSmallKick ? kCrossSmall : kCrossNormal;
    const bool toRight = g.turnDeg < 0.0;
    const double s = toRight ? 1.0 : -1.0;  // mirrors offsets into the kick-to-the-right frame
    const double check = s * g.aveCheckM;
    if (!k.bIsGetTurnAngle) {
        if (std::fabs(g.turnDeg) > 85.0 && std::fabs(g.turnDeg) < 95.0)
            return Latch(k.bIsGetTurnAngle);
        return Pick(next, toRight ? WalkTurn1 : WalkTurn2);
    }
    if (!k.bIsGetCheckPosO) {
        if (check > lim.firstCheckM) return Latch(k.bIsGetCheckPosO);
        return Pick(next, toRight ? WalkFL1 : WalkFR2);
    }
    if (!k.bIsGetCheckPosI) {
        if (check < lim.secondCheckM) return Latch(k.bIsGetCheckPosI);
        return Pick(next, toRight ? WalkFR1 : WalkFL2);
    }
    if (!k.bIsGetSafePos) {
        const bool nearTouchLine = s * wm.m_vBallPos.Vy <= -lim.nearTouchLineYM;
        const double limit = nearTouchLine ? lim.safeNearTouchLineM : lim.safeM;
        if (std::fabs(g.aveSafeM) < limit) return Latch(k.bIsGetSafePos);
        return Pick(next, toRight ? WalkF1 : WalkF2);
    }
    return Pick(next, toRight ? lim.rightKick : lim.leftKick);
}

Skill::KickPath PathOf(const KickGeometry& g) {
    if (g.area >= 0) return Skill::KP_WrongSide;
    return std::fabs(g.turnDeg) < 70.0 ? Skill::KP_Straight : Skill::KP_Cross;
}

bool ChooseKickState(KickState& k, const KickGeometry& g, bool bUseSmallKick, DribbleAction& next) {
    if (g.meToBallM >= 0.48) return Pick(next, WalkOther);
    // Each path latches its own phases: carried over to another path they would fire
    // that path's kick from the wrong place.
    const Skill::KickPath path = PathOf(g);
    if (path != k.path) {
        ClearPhaseFlags(k);
        k.path = path;
    }
    switch (path) {
    case Skill::KP_WrongSide:
        if (std::fabs(g.turnDeg) >= 8.0) next = WalkTurn;
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

void RunTwoWayStep(Skill& s, KickState& k, const KickGeometry& g) {
    const TwoWayStep& row = RowOf(kTwoWaySteps, k.DribbleState);
    const float turn = static_cast<float>(g.turnDeg + row.turnOffsetDeg);
    if (std::fabs(g.aveSafeM) > row.limitM) {
        k.bNeedUpdateDribbleState = true;
        s.walk(row.farType, turn, k.bSmallWalk);
        return;
    }
    if (row.nearDropsSafePos) k.bIsGetSafePos = false;
    s.walk(row.nearType, turn, k.bSmallWalk);
}

// From the target side of the ball: sidestep off the kick line, back past the ball, then
// step in towards the line again, all in full-size steps so as to clear the ball.
void RunGetBehind(Skill& s, KickState& k, const KickGeometry& g, bool mirrored) {
    const float turn = static_cast<float>(g.turnDeg);
    if (!k.bToSafeLine) {
        if (std::fabs(g.aveCheckM) < 0.25) {
            s.walk(mirrored ? WALK_HL : WALK_HR, turn, false);
            return;
        }
        k.bToSafeLine = true;
    }
    if (g.area < 0 && std::fabs(g.aveSafeM) > 0.2) {
        const bool offLine = mirrored ? g.aveCheckM > 0.04 : g.aveCheckM < -0.05;
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
    k.bIsGetSafePos = k.bIsGetTurnAngle = k.bSmallWalk = k.bIsWalkStop = false;
    if (straight) {
        ++k.KickTimes;
        k.bIsGetCheckPos = k.bIsGetiAearL = k.bIsGetiAearR = k.bIsKickManyTimes = false;
    } else {
        k.bIsGetCheckPosI = k.bIsGetCheckPosO = false;
    }
    k.bNeedUpdateDribbleState = true;
}

void RunKick(KickState& k, const KickMove& move) {
    if (!k.bIsWalkStop) {
        // Stop in the step size the approach walked with: a switch to full-size steps
        // here would lunge the stepping foot into the ball.
        k.bIsWalkStop = Lip.StopWalk(-15, k.bSmallWalk);
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
        if (g.meToBallM < 0.4) k.bNeedUpdateDribbleState = true;
        else s.WalkToFree(g.readyPos, false);
        break;
    case WalkOther_L: case WalkOther_R: break;
    default: RunKick(k, *FindKick(k.DribbleState)); break;
    }
}

}  // namespace

bool Skill::ReadyForKick_New(Vector vTargetPos, bool bUseSmallKick, bool bClear) {
    KickState& k = m_Kick;
    if (bClear) {
        DiscardProgress(k);
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
    if (std::fabs(g.turnDeg) > 65.0 && !bUseSmallKick) k.bSmallWalk = g.meToBallM < 0.32;
    else k.bSmallWalk = g.meToBallM < 0.24;
    if (WorldModel::GetDistInXY(wm.m_vBallPos, k.vLastBall) > 0.5) {
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
