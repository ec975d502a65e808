// Dribbling: walking into the ball from behind, the "lined up to push it goalward" test and
// the straight push at the feet. Reads wm (ball, landmarks, own pose) and SenseParse (this
// cycle's ball and opponent feet) and `gVariant`; drives Lip through walk() and SearchBall.
#include <cmath>

#include "behaviour/skill.h"
#include "behaviour/skill_steer.h"
#include "runtime/corvane.h"
#include "runtime/variant.h"

namespace {


// The back-dribble: turning on the spot until the ball lies within kTurnLimitDeg, walking
// on while it lies within the walk-on limit.
constexpr double kTurnLimitDeg = 10.0;
constexpr double kWalkOnLimitPerMetreDeg = 10.0;
constexpr double kWalkOnLimitCapDeg = 50.0;  // a limit beyond this (far off) ...
constexpr double kWalkOnLimitFarDeg = 30.0;  // ... narrows to this
constexpr double kBendFromM = 2.0;       // nearer: bend the walk away from the reference
constexpr double kBendDeg = 6.0;

// Where the ball lies on the pitch, metres in the team frame.
constexpr double kDeepBallX = 8.0;        // beyond: the attacking third
constexpr double kWideBallY = 7.0;        // beyond |y|: the wing
constexpr double kLaneWidthY = 6.0;       // within |y|: the dribble lane widens with the way to go
constexpr double kLaneWideningDegM = 2.5;
constexpr double kFlagLineX = 15.0, kPostReferenceX = 30.0;  // whence the widening counts
constexpr double kBeforeGoalX = 13.0;     // beyond: in front of the goal
constexpr double kGoalMouthY = 1.0;
constexpr double kShootingRangeX = 12.5;  // beyond: line up within a band that grows with the goal distance
constexpr double kShootingBandDegM = 3.0, kShootingBandDeg = 15.0;
constexpr double kOpenPlayMaxX = 12.0, kOpenPlayMaxY = 8.0;  // within: walk on whenever the ball lies ...
constexpr double kOpenPlayMaxHeadingDeg = 80.0;              // ... ahead of the robot towards the goal

// Bearings, degrees.
constexpr double kGoalInViewDeg = 17.0;  // wing or deep: the goal this close to the ball bearing
constexpr double kLinedUpDeg = 10.0;     // in front of the goal: lined up with it
constexpr double kFromTheSideDeg = 30.0; // ... or coming from the touch-line side within this
// An opponent's foot this near the ball sighting is at the ball.
constexpr double kFootAtBallM = 0.2, kFootAtBallDeg = 5.0;

// Walking on in stage 1 tolerates a wider bearing, growing with the distance, so that a
// ball drifting sideways near the feet does not stop the robot; far off it narrows again.
double DribbleBearingLimitDeg(int stage, double distM) {
    if (stage == 0) return kTurnLimitDeg;
    const double q = kWalkOnLimitPerMetreDeg * distM + gVariant.dribbleWalkOnLimitDeg;
    return q <= kWalkOnLimitCapDeg ? q : kWalkOnLimitFarDeg;
}

// The bearing the near approach bends away from. agent_alt picks it from where the ball
// lies: the goal when it is deep or wide, otherwise the corner flag on the ball's side.
double DribbleReferenceBearingDeg() {
    if (!gVariant.dribbleReferenceByBallPlace) return wm.getAngleGoalOppToBodyY();
    const Vector& ball = wm.m_vBallPos;
    if (ball.Vx > kDeepBallX || std::fabs(ball.Vy) > kWideBallY) return wm.getAngleGoalOppToBodyY();
    return ball.Vy > 0.0 ? wm.getAngleFlagOppLToBodyY() : wm.getAngleFlagOppRToBodyY();
}

// An opponent's foot seen where the ball is: distance within 0.2 m and camera angle
// within 5 degrees.
bool OpponentAtBall(double ballDistM, double ballAngleDeg) {
    for (int i = 0; i < 11; ++i) {
        const PlayerPosInfo& opp = SenseParse.m_vOpponent[i];
        for (const PolPosInfo* foot : {&opp.mLFoot, &opp.mRFoot}) {
            if (!WorldModel::IsSeen(*foot)) continue;
            if (std::fabs(ballDistM - foot->PolPos.Px) < kFootAtBallM &&
                std::fabs(NormalizeAngleDeg(ballAngleDeg - foot->PolPos.Py)) < kFootAtBallDeg)
                return true;
        }
    }
    return false;
}

// Wing or deep ball: trust the goal bearing when the goal is in view, otherwise only the
// one spot right in front of the goal mouth.
bool WingOrDeepDribble(double diffAbsDeg) {
    const bool ballSeen = wm.m_bCanSeeBall;
    if (!ballSeen) return false;
    if (wm.canSeeGoalOpp() && diffAbsDeg < kGoalInViewDeg) return true;
    if (wm.canSeeAnyFlag()) return false;
    return wm.m_vBallPos.Vx > kBeforeGoalX && wm.m_vBallPos.Vy < kGoalMouthY;
}

// Central ball short of the box: the lane between the opponent corner flags (or posts),
// widened with the distance still to go.
bool InDribbleLane(double ballDeg, double goalDeg) {
    const Vector& ball = wm.m_vBallPos;
    const double k = std::fabs(ball.Vy) < kLaneWidthY ? kLaneWideningDegM : 0.0;
    double left = goalDeg;
    if (wm.canSeeFlagOppL()) left = wm.getAngleFlagOppLToBodyY() + k * (kFlagLineX - ball.Vx);
    else if (wm.canSeeGoalOppL()) left = wm.getAngleGoalOppLToBodyY() + k * (kPostReferenceX - ball.Vx);
    double right = goalDeg;
    if (wm.canSeeFlagOppR()) right = wm.getAngleFlagOppRToBodyY() - k * (kFlagLineX - ball.Vx);
    else if (wm.canSeeGoalOppR()) right = wm.getAngleGoalOppRToBodyY() - k * (kPostReferenceX - ball.Vx);
    return right < ballDeg && ballDeg < left;
}

// The ball in front of the goal: line up with the goal, or push it from the touch-line
// side towards the middle.
bool NearGoalDribble(double diffDeg) {
    const double d = std::fabs(diffDeg);
    if (d < kLinedUpDeg) return true;
    if (wm.m_vBallPos.Vy < 0.0) return diffDeg > 0.0 && diffDeg < kFromTheSideDeg;
    return diffDeg > -kFromTheSideDeg && diffDeg < 0.0;
}

// The push: begun with the ball this near and this far round the front of the feet, kept
// up while it stays within the wider limits.
constexpr double kPushFromM = 0.2;
constexpr double kPushFromMinDeg = -10.0, kPushFromMaxDeg = 12.0;
constexpr double kPushAgainFromM = 0.15;  // from the approach the ball must lie nearer
constexpr double kPushAgainMinDeg = -9.0;
constexpr double kPushLostBeyondM = 0.4;
constexpr double kPushLostBeyondDeg = 15.0;

}  // namespace

bool Skill::dribbleFromBack() {
    const double a = wm.getAngleBallToBodyY();
    const double dist = wm.getDistBallToBody();
    int& stage = m_DribbleFromBack.stage;
    if (std::fabs(a) > DribbleBearingLimitDeg(stage, dist)) {
        stage = 0;
        walk(WALK_STAY, static_cast<float>(a), false);
        return true;
    }
    stage = 1;
    double turn = a;
    if (dist <= kBendFromM) turn = a > DribbleReferenceBearingDeg() ? a + kBendDeg : a - kBendDeg;
    walk(WALK_F, static_cast<float>(turn), false);
    return true;
}

bool Skill::canDribble(bool adjusting) {
    const double a = wm.getAngleBallToBodyY();
    const double g = wm.getAngleGoalOppToBodyY();
    const double diff = NormalizeAngleDeg(a - g);
    const double d = std::fabs(diff);
    const Vector& ball = wm.m_vBallPos;
    const bool ballSeen = wm.m_bCanSeeBall;
    const bool goalSeen = wm.canSeeGoalOpp();

    if (adjusting) {
        if (ballSeen && (goalSeen || wm.canSeeFlagOppL() || wm.canSeeFlagOppR()) &&
            OpponentAtBall(wm.getDistBallToBody(), SenseParse.m_PolBallPos.PolPos.Py))
            return true;
        if (ball.Vx > kDeepBallX) return WingOrDeepDribble(d);
    }
    if (std::fabs(ball.Vy) > kWideBallY) return WingOrDeepDribble(d);
    if (wm.ballInGoalAngle()) return true;
    if (!goalSeen || !ballSeen) return false;
    if (ball.Vx > kBeforeGoalX) return NearGoalDribble(diff);
    if (ball.Vx > kShootingRangeX) return kShootingBandDegM * wm.getDistGoalOppToBody() + kShootingBandDeg > d;
    if (ball.Vx < kOpenPlayMaxX && std::fabs(ball.Vy) < kOpenPlayMaxY &&
        std::fabs(HeadingDeg(wm.m_vSelfPos, ball)) < kOpenPlayMaxHeadingDeg)
        return true;
    return InDribbleLane(a, g);
}

bool Skill::WalkDribble(Vector vTargetPos, double, bool bClear) {
    WalkDribbleState& s = m_WalkDribble;
    if (bClear) {
        s.Reset();
        m_Search.Reset();
        return true;
    }
    const Polar& seen = SenseParse.m_PolBallPos.PolPos;
    const double dist = WorldModel::GroundDistFromCameraM(seen.Px);
    const double e = NormalizeAngleDeg(seen.Py + wm.m_dFaceAng - wm.m_dBodyAng);
    // Pushing aims along the ball's line to the target as it lies when the push starts.
    auto startPushing = [&]() {
        s.step = DribbleStep::Push;
        s.dTargetAngle = NormalizeAngleDeg(HeadingDeg(wm.m_vBallPos, vTargetPos) - wm.m_dBodyAng);
    };
    if (!m_bDribbleStancePrepared) {
        Lip.Prepare(0, false);
        m_bDribbleStancePrepared = true;
    }
    if (!s.bChosen) {
        if (dist < kPushFromM && e > kPushFromMinDeg && e < kPushFromMaxDeg) startPushing();
        else s.step = DribbleStep::Approach;
        s.bChosen = true;
    }
    if (s.step == DribbleStep::Push) {
        // Written so that a non-finite ball reading also counts as lost.
        if (dist <= kPushLostBeyondM && std::fabs(e) <= kPushLostBeyondDeg) {
            walk(WALK_F, static_cast<float>(s.dTargetAngle), false);
            return true;
        }
        s.step = DribbleStep::Approach;
    }
    if (dist < kPushAgainFromM && e > kPushAgainMinDeg && e < kPushFromMaxDeg) {
        startPushing();
        return false;
    }
    SearchBall(vTargetPos);
    return true;
}
