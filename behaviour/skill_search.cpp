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

// What the search decides on, evaluated fresh each time it is asked.
struct SearchView {
    double dDist;   // ground distance to the ball, metres
    double g;       // 0 standing behind the ball on the line to the target, +-180 in front
    double a;       // -g: the way round the ball, positive on the left-hand way
    double dAngle;  // ball bearing relative to the body
    double m;       // |dAngle|
};

SearchView ViewSearch(const Vector& target) {
    const Polar& ball = SenseParse.m_PolBallPos.PolPos;
    SearchView v;
    v.dDist = WorldModel::GroundDistFromCameraM(ball.Px);
    v.g = NormalizeAngleDeg(HeadingDeg(wm.m_vBallPosKF, wm.m_vSelfPosKF) - HeadingDeg(wm.m_vBallPosKF, target) + 180);
    v.a = -v.g;
    v.dAngle = NormalizeAngleDeg(ball.Py + wm.m_dFaceAng - wm.m_dBodyAng);
    v.m = std::fabs(v.dAngle);
    return v;
}

using Step = Skill::SearchStep;

constexpr double kWalkInFromM = 0.8;     // first choice: farther than this, walk in first
constexpr double kReachedBallM = 0.6;    // walking in ends nearer than this
constexpr double kLostBallM = 1.0;       // circling states walk in again beyond this
constexpr double kLostBallInFrontM = 1.2;  // ... and the states in front of the ball beyond this
constexpr double kFacingBallDeg = 15;    // the ball this close to the body axis counts as ahead
constexpr double kBehindLineDeg = 165;   // first choice: |g| beyond this is behind the ball

// Exits: how near the body axis the ball must be to count as ahead, by state (the facing
// states keep it a little farther off, the turning ones stop a little nearer).
constexpr double kFacingAgainDeg = 20;         // a facing state stays facing within this
constexpr double kTurnedToBallDeg = 10;        // turning behind, backing off left: done within this
constexpr double kRightBackOffTurnedDeg = 12;  // backing off right: done within this
// ... and how far round the ball (the way round a, 0 behind it, 180 in front) decides.
constexpr double kOnLineDeg = 15;        // walked in this near the line: behind the ball
constexpr double kBackOnLineDeg = 25;    // turning behind: back on the line within this
constexpr double kLeftLineDeg = 20;      // standing behind: left the line beyond this
constexpr double kQuarterRoundDeg = 85;  // beyond about a quarter round: back off first
constexpr double kBackOffUntilDeg = 80;  // backing off goes on down to this
constexpr double kFullQuarterDeg = 90;   // the first choice and the states in front use 90
constexpr double kOtherSideFacingDeg = 12;   // backing off / facing the other way: crossed over
constexpr double kOtherSideInFrontDeg = 15;  // in front of the ball: crossed over
constexpr double kWrapDeg = 170;  // this near the front either way round counts as both

// Exits several states share.
Step ExitBehind(const SearchView& v) { return v.m < kFacingBallDeg ? Step::Behind : Step::TurnBehind; }
Step ExitLeftAround(const SearchView& v) {
    return v.m < kFacingBallDeg ? Step::LeftFacing : v.a > kQuarterRoundDeg ? Step::LeftBackOff : Step::LeftInFront;
}
Step ExitBackRight(const SearchView& v) { return v.a < -kQuarterRoundDeg ? Step::RightBackOff : Step::RightInFront; }
Step ExitRightAround(const SearchView& v) { return v.m < kFacingBallDeg ? Step::RightFacing : ExitBackRight(v); }

Step FirstStep(const SearchView& v) {
    if (v.dDist > kWalkInFromM) return Step::WalkIn;
    const bool facing = v.m < kFacingBallDeg;
    if (std::fabs(v.g) > kBehindLineDeg) return facing ? Step::Behind : Step::TurnBehind;
    if (v.a > 0) return facing ? Step::LeftFacing : v.a < kFullQuarterDeg ? Step::LeftBackOff : Step::LeftInFront;
    return facing ? Step::RightFacing : v.a > -kFullQuarterDeg ? Step::RightBackOff : Step::RightInFront;
}

// ---- transitions, one per state; each is asked only between steps of the walking engine.

Step FromWalkIn(const SearchView& v) {
    if (v.dDist >= kReachedBallM) return Step::WalkIn;
    if (std::fabs(v.g) < kOnLineDeg) return ExitBehind(v);
    return v.a > 0 ? ExitLeftAround(v) : ExitRightAround(v);
}
Step FromBehind(const SearchView& v) {
    if (v.a > kLeftLineDeg) {
        return v.m < kFacingBallDeg ? Step::LeftFacing : v.a < kQuarterRoundDeg ? Step::LeftBackOff : Step::LeftInFront;
    }
    return v.a < -kLeftLineDeg ? ExitRightAround(v) : Step::Behind;
}
Step FromTurnBehind(const SearchView& v) {
    if (std::fabs(v.g) <= kBackOnLineDeg) return v.m < kTurnedToBallDeg ? Step::Behind : Step::TurnBehind;
    if (v.m < kFacingBallDeg) return v.a > 0 ? Step::LeftFacing : Step::RightFacing;
    if (v.a > kQuarterRoundDeg) return Step::LeftBackOff;
    if (v.a < -kQuarterRoundDeg) return Step::RightBackOff;
    return v.a > 0 ? Step::LeftInFront : Step::RightInFront;
}
Step FromLeftFacing(const SearchView& v) {
    if (v.a > 0 || v.a < -kWrapDeg) {
        return v.m < kFacingAgainDeg ? Step::LeftFacing : v.a > kQuarterRoundDeg ? Step::LeftBackOff : Step::LeftInFront;
    }
    return ExitRightAround(v);
}
Step FromLeftBackOff(const SearchView& v) {
    if (v.a > kOtherSideFacingDeg || v.a < -kWrapDeg) {
        return v.m < kTurnedToBallDeg ? Step::LeftFacing : v.a > kBackOffUntilDeg ? Step::LeftBackOff : Step::LeftInFront;
    }
    return ExitRightAround(v);
}
Step FromRightFacing(const SearchView& v) {
    if (v.a > kWrapDeg || v.a < -kOtherSideFacingDeg) {
        return v.m < kFacingAgainDeg ? Step::RightFacing : ExitBackRight(v);
    }
    return ExitLeftAround(v);
}
Step FromRightBackOff(const SearchView& v) {
    if (v.a > kWrapDeg || v.a < -kOtherSideFacingDeg) {
        return v.m < kRightBackOffTurnedDeg ? Step::RightFacing : v.a < -kBackOffUntilDeg ? Step::RightBackOff : Step::RightInFront;
    }
    return ExitLeftAround(v);
}
Step FromLeftInFront(const SearchView& v) {
    if (v.a > kWrapDeg || v.a < -kOtherSideInFrontDeg) return ExitRightAround(v);
    return v.m < kFacingBallDeg ? Step::LeftFacing : v.a > kFullQuarterDeg ? Step::LeftBackOff : Step::LeftInFront;
}
Step FromRightInFront(const SearchView& v) {
    if (v.a > kWrapDeg || v.a < -kOtherSideInFrontDeg) {
        return v.m < kFacingBallDeg ? Step::RightFacing : v.a < -kFullQuarterDeg ? Step::RightBackOff : Step::RightInFront;
    }
    return ExitLeftAround(v);
}

// One row per state, in the order of the values: when to leave it (walking in again when
// the ball is lost, standing behind it when on the line, else the state's own exits) and
// what to do while there.
enum class Action { WalkToBall, TurnToBall, StepRight, StepLeft, Circle };
struct SearchRow {
    Step step;
    double lostBeyondM;   // < 0: this state does not give up on the ball
    double onLineDeg;     // |g| below this: behind the ball on the line; < 0: no such exit
    Step (*exits)(const SearchView&);
    Action action;
    int circle;           // which circling sub-state, for Action::Circle
    ACT_TYPE circleStep;  // the step of that circle
};
constexpr SearchRow kSearchRows[] = {
    {Step::WalkIn, -1, -1, FromWalkIn, Action::WalkToBall, 0, WALK_F},
    {Step::Behind, kLostBallM, -1, FromBehind, Action::WalkToBall, 0, WALK_F},
    {Step::TurnBehind, kLostBallM, -1, FromTurnBehind, Action::TurnToBall, 0, WALK_F},
    {Step::LeftFacing, kLostBallM, 12, FromLeftFacing, Action::StepRight, 0, WALK_F},
    {Step::LeftBackOff, kLostBallM, 12, FromLeftBackOff, Action::Circle, 0, WALK_B},
    {Step::RightFacing, kLostBallM, 12, FromRightFacing, Action::StepLeft, 0, WALK_F},
    {Step::RightBackOff, kLostBallM, 12, FromRightBackOff, Action::Circle, 1, WALK_B},
    {Step::LeftInFront, kLostBallInFrontM, 12, FromLeftInFront, Action::Circle, 2, WALK_HR},
    {Step::RightInFront, kLostBallInFrontM, 15, FromRightInFront, Action::Circle, 3, WALK_HL},
};

const SearchRow& RowOf(Step step) {
    for (const SearchRow& row : kSearchRows)
        if (row.step == step) return row;
    return kSearchRows[0];
}

Step NextStep(Step step, const SearchView& v) {
    const SearchRow& row = RowOf(step);
    if (row.lostBeyondM >= 0 && v.dDist > row.lostBeyondM) return Step::WalkIn;
    if (row.onLineDeg >= 0 && std::fabs(v.g) < row.onLineDeg) return ExitBehind(v);
    return row.exits(v);
}

constexpr double kCircleOnLineDeg = 30;  // first call: nearer the line than this, step at once
constexpr double kCircleTurnBackDeg = 45;  // drifted this far off the line: turn back to the ball
constexpr double kCircleStepAgainDeg = 20;  // turned back this near the line: step again

// Circling the ball with one stepping direction, pausing to turn back to the ball when the
// robot has drifted far off the line.
void CircleBall(Skill::CircleMode& mode, ACT_TYPE moveType, const Vector& target) {
    using Mode = Skill::CircleMode;
    const SearchView v = ViewSearch(target);
    const double absG = std::fabs(v.g);
    switch (mode) {
    case Mode::Unset: mode = absG < kCircleOnLineDeg ? Mode::Stepping : Mode::Turning; break;
    case Mode::Stepping: if (absG > kCircleTurnBackDeg) mode = Mode::Turning; break;
    case Mode::Turning: if (absG < kCircleStepAgainDeg) mode = Mode::Stepping; break;
    }
    IssueWalk(mode == Mode::Stepping ? moveType : WALK_STAY, v.dAngle);
}

}  // namespace

bool Skill::Watch() {
    if (!wm.m_bCanSeeBall) {
        if (m_HeadScan.missCycles > 6) findBall();
        else ++m_HeadScan.missCycles;
        return true;
    }
    m_HeadScan.step = 0;  // the next loss scans from its first step, where the ball was
    const double aDeg = NormalizeAngleDeg(wm.getAngleBallToBodyY());
    const double pitchDeg = wm.getAngleBallToBodyZ() + kPitchAboveBallDeg;
    if (wm.canSeeGoalOppL() && wm.canSeeGoalOppR()) {
        m_HeadScan.missCycles = 0;
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
    const int s = ++m_HeadScan.step;
    if (wm.m_bCanSeeBall) {
        m_HeadScan.step = 0;
        return true;
    }
    const ScanRow* row = std::find_if(std::begin(kScan), std::end(kScan), [s](const ScanRow& r) { return s <= r.lastStep; });
    if (row == std::end(kScan)) {
        m_HeadScan.step = 0;
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
    BallSearchState& s = m_Search;
    if (!m_bSearchStancePrepared) {
        Lip.Prepare(0, false);
        m_bSearchStancePrepared = true;
    }
    std::cout << static_cast<int>(s.step) << "  " << s.dTargetAngle << " " << s.dAngle << std::endl;
    if (!s.bChosen) {
        const SearchView v = ViewSearch(vTargetPos);
        s.step = FirstStep(v);
        s.bChosen = true;
        s.dTargetAngle = v.a;
        s.dAngle = v.dAngle;
    }
    // Plans change only where the engine can take them: at a step end or the start step.
    if (Lip.isWalkStop()) {
        const SearchView v = ViewSearch(vTargetPos);
        s.step = NextStep(s.step, v);
        s.dTargetAngle = v.a;
        s.dAngle = v.dAngle;
    }
    const SearchRow& row = RowOf(s.step);
    switch (row.action) {
    case Action::WalkToBall: IssueWalk(WALK_F, s.dAngle); break;
    case Action::TurnToBall: IssueWalk(WALK_STAY, s.dAngle); break;
    case Action::StepRight: IssueWalk(WALK_HR, s.dTargetAngle); break;
    case Action::StepLeft: IssueWalk(WALK_HL, s.dTargetAngle); break;
    case Action::Circle: CircleBall(s.circle[row.circle], row.circleStep, vTargetPos); break;
    }
}

bool Skill::State5(Vector vTargetPos) {
    CircleBall(m_Search.circle[0], WALK_B, vTargetPos);
    return true;
}

bool Skill::State7(Vector vTargetPos) {
    CircleBall(m_Search.circle[1], WALK_B, vTargetPos);
    return true;
}

bool Skill::State8(Vector vTargetPos) {
    CircleBall(m_Search.circle[2], WALK_HR, vTargetPos);
    return true;
}

bool Skill::State9(Vector vTargetPos) {
    CircleBall(m_Search.circle[3], WALK_HL, vTargetPos);
    return true;
}
