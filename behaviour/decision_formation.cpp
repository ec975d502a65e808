// Formation targets for players away from the ball, and the ball-relative positioning of
// the ball carrier and the forward support. Reads wm (ball, own pose, roles, field size)
// and SenseParse's ball sighting; writes m_AttackFormation; drives `skill`; the rules of
// agent_alt come from `gVariant`.
#include <cmath>
#include <iostream>

#include "behaviour/decision.h"
#include "behaviour/skill.h"
#include "runtime/corvane.h"
#include "runtime/variant.h"

namespace {

constexpr int kRoleCount = 11;
constexpr int kAnyRole = -1;

// How far the centre moves so that the player nearest to the ball finds the ball in its
// own slot; roles without a row leave the centre at the ball.
struct CentreShift {
    PLAYER_ROLE nearest;
    double dx, dy;
};
constexpr CentreShift kCentreShifts[] = {
    {PR_LeftFront, -1.95, -1.5}, {PR_LeftRear, 1.95, -1.5}, {PR_RightFront, -1.95, 1.5},
    {PR_RightRear, 1.95, 1.5},   {PR_MiddleRear, 2.5, 0.0},
};

enum AreaRule { AR_None, AR_FieldPlayer, AR_MiddleFront };

// Target = (kx * M.x + dx, ky * M.y + dy), then y moved `toCentre` towards the centre
// line, then the area rule. A row with nearest kAnyRole is the role's default.
struct FormationSlot {
    PLAYER_ROLE role;
    int nearest;
    double kx, dx, ky, dy, toCentre;
    AreaRule rule;
};
constexpr FormationSlot kSlots[] = {
    {PR_Goalie, kAnyRole, 0, -14.5, 0, 0.0, 0, AR_None},
    {PR_DefendLeft, kAnyRole, 0, -13.0, 0, 1.7, 0, AR_None},
    {PR_DefendRight, kAnyRole, 0, -13.0, 0, -1.7, 0, AR_None},
    {PR_LeftRear, kAnyRole, 0, -11.0, 0, 2.7, 0, AR_None},
    {PR_RightRear, kAnyRole, 0, -11.0, 0, -2.7, 0, AR_None},
    {PR_MiddleRear, kAnyRole, 0, -10.5, 0, 0.0, 0, AR_None},
    {PR_LeftFront, PR_RightFront, 1, -0.78, 0, 0.0, 0, AR_FieldPlayer},
    {PR_LeftFront, kAnyRole, 1, -2.0, 1, 1.0, 0, AR_FieldPlayer},
    {PR_RightFront, PR_MiddleFront, 1, -1.2, 1, -1.0, 0, AR_FieldPlayer},
    {PR_RightFront, PR_LeftFront, 1, -0.5, 1, -1.0, 0, AR_FieldPlayer},
    {PR_RightFront, kAnyRole, 1, -2.2, 1, -1.0, 0, AR_FieldPlayer},
    {PR_MiddleFront, PR_MiddleRear, 1, 1.5, 1, 0.0, 0.5, AR_MiddleFront},
    {PR_MiddleFront, PR_LeftFront, 1, 0.0, 1, 2.0, 0, AR_MiddleFront},
    {PR_MiddleFront, PR_RightFront, 1, 1.0, 1, -2.0, 0, AR_MiddleFront},
    {PR_MiddleFront, kAnyRole, 1, -0.5, 1, 0.0, 0, AR_MiddleFront},
    {PR_LeftForward, kAnyRole, 1, -2.6, 1, 2.0, 0, AR_None},
    {PR_RightForward, kAnyRole, 1, -2.6, 1, -2.0, 0, AR_None},
};

const FormationSlot* FindSlot(PLAYER_ROLE role, int nearest) {
    const FormationSlot* fallback = nullptr;
    for (const FormationSlot& s : kSlots) {
        if (s.role != role) continue;
        if (s.nearest == nearest) return &s;
        if (s.nearest == kAnyRole) fallback = &s;
    }
    return fallback;
}

double Clamp(double v, double lo, double hi) {
    if (v < lo) v = lo;
    if (v > hi) v = hi;
    return v;
}

// The role of the team-mate chosen for the ball; an unknown or out-of-table number
// (the ranking can still be empty, or hold a number heard from outside 1..11) is no role.
int NearestRole() {
    const int num = Decision::BallCarrierNum();
    if (num < 1 || num > kRoleCount) return kAnyRole;
    return wm.m_AryPlayerRole[num];
}

Vector FormationCentre(int nearestRole, double halfL, double halfW) {
    Vector m = wm.m_vBallPos;
    for (const CentreShift& s : kCentreShifts)
        if (s.nearest == nearestRole) m = m + Vector(s.dx, s.dy, 0.0);
    const double upperX = halfL - gVariant.centreMaxXInsideGoalLineM;
    m.Vx = Clamp(m.Vx, 2 - halfL + 1.95, upperX);
    m.Vy = Clamp(m.Vy, -(halfW - 1.5), halfW - 1.5);
    return m;
}

bool InOwnPenaltyArea(const Vector& f, double halfL) {
    return f.Vx < -halfL + 3.3 && f.Vy > -2.95 && f.Vy < 2.95;
}

void ApplyAreaRule(AreaRule rule, Vector& f, double halfL, double halfW) {
    if (rule == AR_FieldPlayer) {
        f.Vx = Clamp(f.Vx, -(halfL - 0.5), halfL - 0.5);
        f.Vy = Clamp(f.Vy, -(halfW - 0.5), halfW - 0.5);
        if (InOwnPenaltyArea(f, halfL)) {
            f.Vx = -halfL + 3.3;
            f.Vy += f.Vy < 0 ? -1.0 : 1.0;
        }
    } else if (rule == AR_MiddleFront && InOwnPenaltyArea(f, halfL)) {
        f = Vector(-halfL + 3.3, wm.m_vBallPos.Vy - 1.0, 0.0);
    }
}

}  // namespace

Vector Decision::FormationTarget() {
    const double halfL = wm.m_dFieldLength * 0.5;
    const double halfW = wm.m_dFieldWidth * 0.5;
    const int nearestRole = NearestRole();
    const Vector m = FormationCentre(nearestRole, halfL, halfW);
    const FormationSlot* slot = FindSlot(wm.m_PlayerRole, nearestRole);
    if (slot == nullptr) return Vector();
    Vector f(slot->kx * m.Vx + slot->dx, slot->ky * m.Vy + slot->dy, 0.0);
    if (slot->toCentre != 0.0) f.Vy += f.Vy < 0 ? slot->toCentre : -slot->toCentre;
    ApplyAreaRule(slot->rule, f, halfL, halfW);
    return f;
}

bool Decision::Formation() {
    const Vector target = FormationTarget();
    if (gVariant.printLeftFront && wm.m_PlayerRole == PR_LeftFront) std::cout << "lf" << wm.m_iUnum << std::endl;
    return skill.walkToFormationPos(target);
}

// ---- AttackFormation

namespace {

struct AttackSlot {
    int num;
    double dist;   // metres from the ball
    double scale;  // T = scale * g + offsetDeg
    double offsetDeg;
};
constexpr AttackSlot kAttackSlots[] = {
    {0, 0.4, 1.0, 0.0},   {7, 1.4, 0.2, -60.0}, {8, 1.2, 0.2, 40.0},
    {9, 0.8, 0.2, 0.0},   {10, 4.0, 0.2, -18.0}, {11, 3.5, 0.2, 18.0},
};

// Tolerances the previous stage leaves for this call, so that a phase just entered is
// not left on the next small disturbance.
struct StageTolerance {
    double bodyAngleDis, farDis, posAngleDis, distDis;
};
constexpr StageTolerance kStageTolerances[] = {
    {20, 0.4, 20, 0.4}, {40, 0.3, 20, 0.4}, {60, 0.4, 10, 0.6},
    {40, 0.4, 30, 0.2}, {40, 0.6, 10, 0.6},
};
constexpr StageTolerance kDefaultTolerance = {40, 0.4, 10, 0.6};

StageTolerance ToleranceAfter(int stage) {
    StageTolerance t = (stage >= 0 && stage < 5) ? kStageTolerances[stage] : kDefaultTolerance;
    if (stage == 0 && gVariant.attackFirstTurnToleranceDeg >= 0) t.bodyAngleDis = gVariant.attackFirstTurnToleranceDeg;
    return t;
}

// Everything one call looks at, read once. Degrees and metres; a, gb body-relative,
// hMinusT the normalised difference of the global headings.
struct AttackView {
    int num;
    double a, db, dist, T, hMinusT, gb, goalDist, seenBallDist;
    bool goalAndBallSeen;
};

struct WalkOrder {
    int stage;
    ACT_TYPE type;
    double turnDeg;
    bool small;
};

AttackView ReadAttackView(int num) {
    AttackView v{};
    v.num = num;
    const float g = static_cast<float>((wm.m_vOppGoalPos - wm.m_vBallPos).GetXYAngle());
    const float h = static_cast<float>((wm.m_vBallPos - wm.m_vSelfPos).GetXYAngle());
    for (const AttackSlot& s : kAttackSlots)
        if (s.num == num) {
            v.dist = s.dist;
            v.T = static_cast<float>(s.scale * g + s.offsetDeg);
        }
    v.a = wm.getAngleBallToBodyY();
    v.db = wm.getDistBallToBody();
    v.hMinusT = NormalizeAngleDeg(h - v.T);
    v.gb = wm.getAngleGoalOppToBodyY();
    v.goalDist = wm.getDistGoalOppToBody();
    v.seenBallDist = SenseParse.m_PolBallPos.PolPos.Px;
    v.goalAndBallSeen = wm.canSeeGoalOpp() && wm.m_bCanSeeBall;
    return v;
}

ACT_TYPE SideStepTowards(double diffDeg) { return diffDeg > 0 ? WALK_HL : WALK_HR; }

// Close in on the slot once ball and goal are lined up (stages 3 and 4).
WalkOrder InPlaceOrder(const AttackView& v, const StageTolerance& t) {
    const double toGoal = NormalizeAngleDeg(v.a - v.gb);
    if (v.num != 0) {
        if (std::fabs(v.db - v.dist) > t.distDis) {
            if (v.seenBallDist > v.dist) return {3, WALK_F, v.a, false};
            return {3, WALK_B, -v.a, false};
        }
        return {4, WALK_STAY, gVariant.attackHoldFacesGoal ? v.gb : v.a, false};
    }
    if (gVariant.attackZeroAimsAtGoal) {
        if (!v.goalAndBallSeen) return {4, WALK_STAY, v.gb, false};
        if (std::fabs(toGoal) <= 5) return {4, WALK_STAY, v.a, false};
        return {4, SideStepTowards(toGoal), toGoal > 0 ? v.a - 40 : v.a + 40, true};
    }
    if (v.goalAndBallSeen && std::fabs(toGoal) > 5) return {4, SideStepTowards(toGoal), v.a, true};
    return {4, WALK_STAY, v.a, false};
}

WalkOrder ChooseAttackOrder(const AttackView& v, const StageTolerance& t) {
    const double absA = std::fabs(v.a);
    const double absHT = std::fabs(v.hMinusT);
    const double turnLimit = gVariant.attackTurnLimitGrowsWithDistance
                                  ? gVariant.attackTurnLimitPerMetreDeg * v.db + t.bodyAngleDis
                                  : t.bodyAngleDis;
    if (absA > turnLimit)
        return {0, WALK_STAY, v.a, gVariant.attackSmallStepsNearEdge && std::fabs(absA - t.bodyAngleDis) < 10};
    const double farLimit = t.farDis + v.dist;
    if (v.db > farLimit) {
        if (gVariant.attackApproachLeadsHeading) return {1, WALK_F, v.a - gVariant.attackApproachLeadShare * v.T, false};
        return {1, WALK_F, v.a, v.db - farLimit < 0.2 && absHT > t.posAngleDis};
    }
    const double toGoal = NormalizeAngleDeg(v.a - v.gb);
    if (v.goalAndBallSeen && std::fabs(toGoal) > v.goalDist + t.posAngleDis)
        return {2, SideStepTowards(toGoal), v.a, gVariant.attackSmallStepsNearEdge && absHT < 20};
    if (v.goalAndBallSeen || absHT <= t.posAngleDis) return InPlaceOrder(v, t);
    return {2, SideStepTowards(v.hMinusT), v.a, gVariant.attackSmallStepsNearEdge && absHT < 16};
}

}  // namespace

int Decision::AttackFormation(int num) {
    const AttackView view = ReadAttackView(num);
    const WalkOrder order = ChooseAttackOrder(view, ToleranceAfter(m_AttackFormation.stage));
    m_AttackFormation.stage = order.stage;
    skill.walk(order.type, static_cast<float>(order.turnDeg), order.small);
    return 0;
}
