// Gaze and ball search: the head keeps the ball and a landmark pair in view, scans when
// the ball is lost, and the body circles the ball until it stands behind it on the line
// to a target. Reads wm and SenseParse's ball record; drives ACT's head joints and Lip.
#include <algorithm>
#include <cmath>
#include <iostream>

#include "behaviour/skill.h"
#include "behaviour/skill_steer.h"
#include "motion/acthandle.h"

namespace {

constexpr double kHeadYawLimitDeg = 120;  // the neck's mechanical range
// A landmark this far from the view axis still sits just inside the picture.
constexpr double kEdgeOfViewDeg = 58;
// Ball and landmark both this close to the ball's bearing: looking at the ball shows both.
constexpr double kTogetherDeg = 50;
// Beyond this the pair cannot share one picture with the ball at all.
constexpr double kApartDeg = 100;
constexpr double kPitchAboveBallDeg = 30;  // the ball sits low in the picture, leaving the horizon in view

void CommandHead(double yawDeg, double pitchDeg, double speed) {
    ACT.AdjustHJ(JID_HEAD_1, yawDeg, speed, 1);
    ACT.AdjustHJ(JID_HEAD_2, pitchDeg, speed, 1);
}

// Look direction that keeps the ball and the landmark farther from it in the picture:
// the landmark just inside the edge of the view on the ball's side.
double EdgeOfViewDeg(double farDeg, double ballDeg) {
    return NormalizeAngleDeg(ballDeg - farDeg) > 0 ? farDeg + kEdgeOfViewDeg : farDeg - kEdgeOfViewDeg;
}

double AbsDiffDeg(double aDeg, double bDeg) { return std::fabs(NormalizeAngleDeg(aDeg - bDeg)); }

// Landmark pairs worth keeping in view with the ball, most useful first.
struct FlagPair {
    GameFlag_ID first, second;
};
constexpr FlagPair kWatchPairs[] = {
    {GF_OPPGL, GF_OPPGR}, {GF_OPPCL, GF_OPPGL}, {GF_OPPGR, GF_OPPCR}, {GF_OPPCL, GF_OURCL},
    {GF_OPPCR, GF_OURCR}, {GF_OURCL, GF_OURGL}, {GF_OURCR, GF_OURGR}, {GF_OURGL, GF_OURCL},
};

// The head scan: one row per sweep, each up to and including its last step.
struct ScanRow {
    int lastStep;
    double yawDeg;
    bool towardsLastBall;  // look where the ball was last seen instead of yawDeg
};
constexpr ScanRow kScan[] = {
    {21, 0, true}, {42, -120, false}, {63, 0, false}, {105, 120, false}, {126, 0, false}, {147, -120, false},
};
constexpr int kLastLowScanStep = 83;  // pitch -40 up to here, 10 after
constexpr double kScanLowPitchDeg = -40, kScanHighPitchDeg = 10;

// Ball distance from the camera to the ground distance: the camera stands 0.46 m above the
// ball centre. A ball seen nearer than that is taken as at the feet.
double GroundDistFromCamera(double cameraDist) {
    return std::sqrt(std::max(0.0, cameraDist * cameraDist - 0.2116));
}

// What the search decides on, evaluated fresh each time it is asked.
struct SearchView {
    double dDist;   // ground distance to the ball, metres
    double g;       // 0 standing behind the ball on the line to the target, +-180 in front
    double a;       // -g: the way round the ball
    double dAngle;  // ball bearing relative to the body
    double m;       // |dAngle|
};

SearchView ViewSearch(const Vector& target) {
    const Polar& ball = SenseParse.m_PolBallPos.PolPos;
    SearchView v;
    v.dDist = GroundDistFromCamera(ball.Px);
    v.g = NormalizeAngleDeg(HeadingDeg(wm.m_vBallPosKF, wm.m_vSelfPosKF) - HeadingDeg(wm.m_vBallPosKF, target) + 180);
    v.a = -v.g;
    v.dAngle = NormalizeAngleDeg(ball.Py + wm.m_dFaceAng - wm.m_dBodyAng);
    v.m = std::fabs(v.dAngle);
    return v;
}

int InitialSearchState(const SearchView& v) {
    if (v.dDist > 0.8) return 1;
    const bool facing = v.m < 15;
    if (std::fabs(v.g) > 165) return facing ? 2 : 3;
    if (v.a > 0) return facing ? 4 : v.a < 90 ? 5 : 8;
    return facing ? 6 : v.a > -90 ? 7 : 9;
}

// Exits several states share.
int ExitBehind(const SearchView& v) { return v.m < 15 ? 2 : 3; }
int ExitLeftAround(const SearchView& v) { return v.m < 15 ? 4 : v.a > 85 ? 5 : 8; }
int ExitBackRight(const SearchView& v) { return v.a < -85 ? 7 : 9; }
int ExitRightAround(const SearchView& v) { return v.m < 15 ? 6 : ExitBackRight(v); }

// One transition of the search, made only between steps of the walking engine.
int NextSearchState(int state, const SearchView& v) {
    const double absG = std::fabs(v.g);
    switch (state) {
        case 1:
            if (v.dDist >= 0.6) return 1;
            return absG < 15 ? ExitBehind(v) : v.a > 0 ? ExitLeftAround(v) : ExitRightAround(v);
        case 2:
            if (v.dDist > 1) return 1;
            if (v.a > 20) return v.m < 15 ? 4 : v.a < 85 ? 5 : 8;
            return v.a < -20 ? ExitRightAround(v) : 2;
        case 3:
            if (v.dDist > 1) return 1;
            if (absG <= 25) return v.m < 10 ? 2 : 3;
            if (v.m < 15) return v.a > 0 ? 4 : 6;
            return v.a > 85 ? 5 : v.a < -85 ? 7 : v.a > 0 ? 8 : 9;
        case 4:
            if (v.dDist > 1) return 1;
            if (absG < 12) return ExitBehind(v);
            if (v.a > 0 || v.a < -170) return v.m < 20 ? 4 : v.a > 85 ? 5 : 8;
            return ExitRightAround(v);
        case 5:
            if (v.dDist > 1) return 1;
            if (absG < 12) return ExitBehind(v);
            if (v.a > 12 || v.a < -170) return v.m < 10 ? 4 : v.a > 80 ? 5 : 8;
            return ExitRightAround(v);
        case 6:
            if (v.dDist > 1) return 1;
            if (absG < 12) return ExitBehind(v);
            if (v.a > 170 || v.a < -12) return v.m < 20 ? 6 : ExitBackRight(v);
            return ExitLeftAround(v);
        case 7:
            if (v.dDist > 1) return 1;
            if (absG < 12) return ExitBehind(v);
            if (v.a > 170 || v.a < -12) return v.m < 12 ? 6 : v.a < -80 ? 7 : 9;
            return ExitLeftAround(v);
        case 8:
            if (v.dDist > 1.2) return 1;
            if (absG < 12) return ExitBehind(v);
            if (v.a > 170 || v.a < -15) return ExitRightAround(v);
            return v.m < 15 ? 4 : v.a > 90 ? 5 : 8;
        case 9:
            if (v.dDist > 1.2) return 1;
            if (absG < 15) return ExitBehind(v);
            if (v.a > 170 || v.a < -15) return v.m < 15 ? 6 : v.a < -90 ? 7 : 9;
            return ExitLeftAround(v);
        default:
            return 1;
    }
}

// Sub-skills circle the ball with one stepping direction, pausing to turn back to the
// ball when the robot has drifted far off the line.
void CircleBall(Skill::SubStateSearch& s, ACT_TYPE moveType, const Vector& target) {
    const SearchView v = ViewSearch(target);
    s.dAngle = v.dAngle;
    s.dTargetAngle = v.a;
    const double absG = std::fabs(v.g);
    if (!s.bIsInit) {
        s.iState = absG < 30 ? 1 : 2;
        s.bIsInit = true;
    }
    if (s.iState == 1 && absG > 45) s.iState = 2;
    else if (s.iState == 2 && absG < 20) s.iState = 1;
    IssueWalk(s.iState == 1 ? moveType : WALK_STAY, v.dAngle);
}

}  // namespace

bool Skill::Watch() {
    if (!wm.m_bCanSeeBall) {
        if (m_Watch.missTime > 6) findBall();
        else ++m_Watch.missTime;
        return true;
    }
    findBallStage = 0;  // the next loss scans from its first step, where the ball was
    const double aDeg = NormalizeAngleDeg(wm.getAngleBallToBodyY());
    const double pitchDeg = wm.getAngleBallToBodyZ() + kPitchAboveBallDeg;
    if (wm.canSeeGoalOppL() && wm.canSeeGoalOppR()) {
        m_Watch.missTime = 0;
        const double lDeg = wm.getAngleGoalOppLToBodyY();
        const double rDeg = wm.getAngleGoalOppRToBodyY();
        const double dl = AbsDiffDeg(lDeg, aDeg), dr = AbsDiffDeg(rDeg, aDeg);
        const double yawDeg = dl < kTogetherDeg && dr < kTogetherDeg ? aDeg : EdgeOfViewDeg(dl > dr ? lDeg : rDeg, aDeg);
        CommandHead(yawDeg, pitchDeg, 0.1);
        return true;
    }
    for (const FlagPair& pair : kWatchPairs)
        if (lookAtBallAnd(pair.first, pair.second)) return true;
    CommandHead(aDeg, pitchDeg, 0.1);
    return true;
}

bool Skill::lookAtBallAnd(GameFlag_ID flag1, GameFlag_ID flag2) {
    const double hB = HeadingDeg(wm.m_vSelfPos, wm.m_vBallPos);
    const double h1 = HeadingDeg(wm.m_vSelfPos, wm.getFlagPos(flag1));
    const double h2 = HeadingDeg(wm.m_vSelfPos, wm.getFlagPos(flag2));
    const double d1 = AbsDiffDeg(h1, hB), d2 = AbsDiffDeg(h2, hB);
    if (d1 >= kApartDeg || d2 >= kApartDeg || AbsDiffDeg(h1, h2) >= kApartDeg) return false;
    double yawDeg = NormalizeAngleDeg(wm.getAngleBallToBodyY());
    if (!(d1 < kTogetherDeg && d2 < kTogetherDeg))
        yawDeg = NormalizeAngleDeg(EdgeOfViewDeg(d1 > d2 ? h1 : h2, hB) - wm.m_dBodyAng);
    CommandHead(yawDeg, wm.getAngleBallToBodyZ() + kPitchAboveBallDeg, 0.1);
    return true;
}

bool Skill::findBall() {
    const int s = ++findBallStage;
    if (wm.m_bCanSeeBall) {
        findBallStage = 0;
        return true;
    }
    const ScanRow* row = std::find_if(std::begin(kScan), std::end(kScan), [s](const ScanRow& r) { return s <= r.lastStep; });
    if (row == std::end(kScan)) {
        findBallStage = 0;
        return true;
    }
    double yawDeg = row->yawDeg;
    if (row->towardsLastBall) {
        const double bearingDeg = NormalizeAngleDeg(HeadingDeg(wm.m_vSelfPos, wm.m_vBallPos) - wm.m_dBodyAng);
        yawDeg = std::clamp(bearingDeg, -kHeadYawLimitDeg, kHeadYawLimitDeg);
    }
    CommandHead(yawDeg, s <= kLastLowScanStep ? kScanLowPitchDeg : kScanHighPitchDeg, 1);
    return true;
}

void Skill::SearchBall(Vector vTargetPos) {
    SearchBallState& s = m_Search;
    if (!s.bIsReset) {
        Lip.Prepare(0, false);
        s.bIsReset = true;
    }
    std::cout << s.iState << "  " << s.dTargetAngle << " " << s.dAngle << std::endl;
    if (!s.bIsInit) {
        const SearchView v = ViewSearch(vTargetPos);
        s.iState = InitialSearchState(v);
        s.bIsInit = true;
        s.dTargetAngle = v.a;
        s.dAngle = v.dAngle;
    }
    // Plans change only where the engine can take them: at a step end or the start step.
    if (Lip.isWalkStop()) {
        const SearchView v = ViewSearch(vTargetPos);
        s.iState = NextSearchState(s.iState, v);
        s.dTargetAngle = v.a;
        s.dAngle = v.dAngle;
    }
    switch (s.iState) {
        case 3: IssueWalk(WALK_STAY, s.dAngle); break;
        case 4: IssueWalk(WALK_HR, s.dTargetAngle); break;
        case 5: State5(vTargetPos); break;
        case 6: IssueWalk(WALK_HL, s.dTargetAngle); break;
        case 7: State7(vTargetPos); break;
        case 8: State8(vTargetPos); break;
        case 9: State9(vTargetPos); break;
        default: IssueWalk(WALK_F, s.dAngle); break;  // 1 far and 2 behind: walk in
    }
}

bool Skill::State5(Vector vTargetPos) {
    CircleBall(m_State5, WALK_B, vTargetPos);
    return true;
}

bool Skill::State7(Vector vTargetPos) {
    CircleBall(m_State7, WALK_B, vTargetPos);
    return true;
}

bool Skill::State8(Vector vTargetPos) {
    CircleBall(m_State8, WALK_HR, vTargetPos);
    return true;
}

bool Skill::State9(Vector vTargetPos) {
    CircleBall(m_State9, WALK_HL, vTargetPos);
    return true;
}
