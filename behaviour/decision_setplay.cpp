// Set pieces: the kicker routine of our throw-in, corner, goal kick and free kick (find the
// ball, come round it to face the goal, step up, stop, BigKick), who runs it, the bar on the
// taker's second touch, and the opponent's goal kick.
// Global: `decision`. Reads `wm`, `SenseParse`, `gVariant`; drives `skill`, `Lip`, `ACT`.
#include <algorithm>
#include <cmath>

#include "behaviour/decision.h"
#include "behaviour/skill.h"
#include "motion/3dlip.h"
#include "motion/acthandle.h"
#include "runtime/corvane.h"
#include "runtime/variant.h"

namespace {

constexpr double kMinCircleDist = 0.05;     // keeps the circling offset finite at the ball
constexpr double kHeadSpeed = 0.08;
constexpr double kHeadAccuracyDeg = 1.0;
constexpr double kHeadYawLimitDeg = 120.0;  // the neck's range

// Searching: turn on the spot, head tilted down, sweeping from side to side.
constexpr int kSearchTurnDeg = 20;
constexpr double kSearchTiltDeg = -40.0;
constexpr double kSweepTargetDeg = 110.0;
constexpr double kSweepTurnDeg = 90.0;

constexpr double kNearGoalBallX = 7.0;
constexpr double kTurnToGoalNearDeg = 30.0;  // ball beyond x 7
constexpr double kTurnToGoalFarDeg = 50.0;
constexpr double kGoalMouthMarginDeg = 10.0;
constexpr double kFacingGoalDeg = 10.0;
constexpr double kCircleFromDist = 0.4;
constexpr double kBehindBallDist = 0.5;
constexpr double kCircleGainDegM = 17.2;

constexpr double kTurnToBallDeg = 15.0;
constexpr double kFacingBallDeg = 7.0;
constexpr double kStepUpDist = 0.5;
constexpr double kStopDist = 0.2;
constexpr double kStepUpBiasDeg = 12.0;  // comes to the ball a little from its right
// The big kick sends the ball far only off the right foot, the ball 3 to 6 cm right of the
// torso: at the stop that is a bearing of about -10 to -15 degrees (FaceBall turns beyond
// -15). Measured: bearings -11 to -12 went 9 to 10 m, 0 and +9 went 1.5 and 2.3 m.
constexpr double kKickBallMaxBearingDeg = -9.0;

// A player whose torso is this close to the ball (horizontally) has a foot at it: the ball
// counts as played by it. Sightings of other robots are noisy to about a decimetre.
constexpr double kAtBallM = 0.35;
// A bar nobody lifts (the others all down, the ball unseen) must not keep the player that
// stands nearest away from the ball for good.
constexpr double kBarLimitSec = 20.0;
// Closer than this the barred taker stands still rather than walk off past the ball.
constexpr double kBesideBallM = 0.6;
// The big kick's swing begins at this cycle of its timer. Weight shift and wind-up before
// it can nudge a ball lying close: on the league's server that nudge is the first touch,
// and the swing would be the second.
constexpr long kBigKickSwingFromCycle = 71;
constexpr int kGoalKickTakerUnum = 1;

const Vector kGoalKickOppSpot7(12, 4, 0);
const Vector kGoalKickOppSpot8(12, -4, 0);
constexpr double kGoalKickOppArrivedDist = 1.0;

// What the kicker sees this cycle; degrees, positive to the left.
struct KickerView {
    double dist = 0;  // ball, horizontal from the camera, metres
    double h = 0;     // head yaw
    double aL = 0, aR = 0;  // goal posts, relative to the head
    double b = 0, vb = 0;   // ball relative to the head, horizontal and vertical
    double d = 0;   // ball, relative to the body
    double e = 0;   // goal, relative to the body
    double ed = 0;  // e - d, the short way round
    double f = 0;   // |ed|
};

// The post as seen, or where it must be from our own position and facing.
double PostAngleDeg(Flag_ID post, double h) {
    const PolPosInfo& seen = SenseParse.m_PolFlagPos[post];
    if (WorldModel::IsSeen(seen)) return seen.PolPos.Py;
    return NormalizeAngleDeg((wm.m_vFlagPos[post] - wm.m_vSelfPos).GetXYAngle() - wm.m_dBodyAng - h);
}

KickerView Look() {
    KickerView v;
    const Polar& ball = SenseParse.m_PolBallPos.PolPos;
    v.dist = WorldModel::GroundDistFromCameraM(ball.Px);
    v.h = wm.m_HJ[JID_HEAD_1].fAngle;
    v.aL = PostAngleDeg(wm.m_bIsLeft ? F_G1R : F_G2L, v.h);
    v.aR = PostAngleDeg(wm.m_bIsLeft ? F_G2R : F_G1L, v.h);
    v.b = ball.Py;
    v.vb = ball.Pz;
    v.d = NormalizeAngleDeg(v.b + v.h);
    // Half the way from one post to the other: the plain mean of the two angles points
    // away from the goal whenever the goal lies behind and they straddle 180.
    v.e = NormalizeAngleDeg(v.aL + NormalizeAngleDeg(v.aR - v.aL) / 2 + v.h);
    v.ed = NormalizeAngleDeg(v.e - v.d);
    v.f = std::fabs(v.ed);
    return v;
}

using Taker = Decision::SetPieceTaker;
using Step = Taker::Step;

void SearchBall(Taker& st) {
    Lip.Walk(WALK_STAY, kSearchTurnDeg, false, false);
    ACT.AdjustHJ(JID_HEAD_2, kSearchTiltDeg, kHeadSpeed, kHeadAccuracyDeg);
    const double h = wm.m_HJ[JID_HEAD_1].fAngle;
    if (st.sweepRight) {
        ACT.AdjustHJ(JID_HEAD_1, -kSweepTargetDeg, kHeadSpeed, kHeadAccuracyDeg);
        if (h < -kSweepTurnDeg) st.sweepRight = false;
    } else {
        ACT.AdjustHJ(JID_HEAD_1, kSweepTargetDeg, kHeadSpeed, kHeadAccuracyDeg);
        if (h > kSweepTurnDeg) st.sweepRight = true;
    }
}

// Between ball and goal while both fit in the picture; otherwise far towards the side
// the goal lies on.
void PointHead(const KickerView& v) {
    double yawDeg = v.d + v.ed / 2;
    if (!(std::fabs(v.b) < 50)) {
        const double s = v.ed >= 0 ? 1.0 : -1.0;
        yawDeg = std::clamp(40 * (v.d + s), -kHeadYawLimitDeg, kHeadYawLimitDeg);
    }
    ACT.AdjustHJ(JID_HEAD_1, yawDeg, kHeadSpeed, kHeadAccuracyDeg);
    ACT.AdjustHJ(JID_HEAD_2, 30 + v.vb, kHeadSpeed, kHeadAccuracyDeg);
}

void UpdateCircling(Taker& st, const KickerView& v) {
    const double ballX = wm.m_vBallPos.Vx;
    const bool wide = (ballX > kNearGoalBallX && v.f > kTurnToGoalNearDeg) ||
                      (ballX <= kNearGoalBallX && v.f > kTurnToGoalFarDeg);
    const bool outsideMouth = NormalizeAngleDeg(v.d - (v.aL + v.h)) > -kGoalMouthMarginDeg ||
                              NormalizeAngleDeg(v.d - (v.aR + v.h)) < kGoalMouthMarginDeg;
    if (wide && outsideMouth) st.circling = true;
    if (v.f < kFacingGoalDeg) st.circling = false;
}

// From afar walk to the point behind the ball on the goal-to-ball line; close by, step
// sideways or turn so that the ball passes round in front.
void CircleBehindBall(const KickerView& v) {
    if (v.dist > kCircleFromDist) {
        Vector away = wm.m_vBallPos - wm.m_vOppGoalPos;
        away.SetMod(kBehindBallDist);
        skill.WalkToFree(wm.m_vBallPos + away, false);
        return;
    }
    const double g = kCircleGainDegM / std::max(v.dist, kMinCircleDist);
    if (v.ed > 0) {
        const double d1 = v.d - g;
        if (d1 > -90 && d1 < -75) {
            Lip.Walk(WALK_HR, 0, false, false);
        } else if (d1 > -75) {
            Lip.Walk(WALK_STAY, TurnDegToInt(d1 + 80), false, false);
        } else if (d1 < -90) {
            Lip.Walk(WALK_STAY, TurnDegToInt(d1 + 90), false, false);
        }
    } else if (v.ed < 0) {
        const double d2 = v.d + g;
        if (d2 > 75 && d2 < 90) {
            Lip.Walk(WALK_HL, 0, false, false);
        } else if (d2 < 75) {
            Lip.Walk(WALK_STAY, TurnDegToInt(d2 - 80), false, false);
        } else if (d2 > 90) {
            Lip.Walk(WALK_STAY, TurnDegToInt(d2 - 90), false, false);
        }
    }
}

void TurnToBall(const KickerView& v) {
    Lip.Walk(WALK_STAY, TurnDegToInt(v.d < kTurnToBallDeg ? 0.5 * v.d : v.d), false, false);
}

// Short of the ball: walk, then small steps biased to come from its right, then sidesteps
// until the ball lies off the right foot, then stop in the stance.
void WalkUpToBall(Taker& st, const KickerView& v) {
    if (v.dist > kStepUpDist) {
        Lip.Walk(WALK_F, TurnDegToInt(v.d), false, false);
    } else if (v.dist > kStopDist) {
        Lip.Walk(WALK_F, TurnDegToInt(v.d + kStepUpBiasDeg), true, false);
    } else if (v.d > kKickBallMaxBearingDeg) {
        Lip.Walk(WALK_HL, 0, true, false);
    } else if (Lip.Prepare(0, false)) {
        st.step = Step::StoppedAtBall;
    }
}

// The taker's steps with the ball in sight and the goal beyond it.
void TakerStep(Taker& st, const KickerView& v) {
    switch (st.step) {
        case Step::Approach:
            if (std::fabs(v.d) > kTurnToBallDeg) {
                st.step = Step::TurnToBall;
                TurnToBall(v);
            } else {
                WalkUpToBall(st, v);
            }
            return;
        case Step::TurnToBall:
            if (std::fabs(v.d) < kFacingBallDeg) {
                st.step = Step::Approach;
                WalkUpToBall(st, v);
            } else {
                TurnToBall(v);
            }
            return;
        case Step::StoppedAtBall:
        case Step::Kicking:
            if (v.dist > kStepUpDist) {
                st.step = Step::Approach;
                WalkUpToBall(st, v);
                return;
            }
            // The kick ends with the robot on its back: once it has run, the next kick needs
            // a fresh approach rather than another blind one from wherever it stands up.
            st.step = ACT.BigKick() ? Step::Approach : Step::Kicking;
            return;
    }
}

void KickerSteps(Taker& st) {
    if (!wm.m_bCanSeeBall) {
        SearchBall(st);
        return;
    }
    const KickerView v = Look();
    UpdateCircling(st, v);
    if (st.circling) {
        CircleBehindBall(v);
    } else {
        TakerStep(st, v);
    }
    // Last, so that it overrides the level head of the standing stance: with the head level
    // the ball at the feet leaves the picture, and the kick waits for it to be seen.
    PointHead(v);
}

// Who takes the set piece of this mode; 0 when it is none of ours.
int SetPieceTakerNum(TPlayMode mode) {
    switch (mode) {
        case PM_KickOffUs: return Decision::kKickOffTakerUnum;
        case PM_GoalKickUs: return kGoalKickTakerUnum;
        case PM_KickInUs:
        case PM_CornerKickUs:
        case PM_FreeKickUs: return wm.GetNearestTeamMateNum();
        default: return 0;
    }
}

bool AtBall(const Vector& pos) { return WorldModel::GetDistInXY(pos, wm.m_vBallPos) < kAtBallM; }

// Another player than the taker stands at the ball: team-mates as this player sees them
// (itself included), opponents as seen.
bool OtherPlayerAtBall(int takerUnum) {
    if (wm.m_iUnum != takerUnum && AtBall(wm.m_vSelfPos)) return true;
    for (int k = 0; k < 11; ++k) {
        const PlayerPosInfo& mate = wm.m_vTeamMate[k];
        if (k + 1 != takerUnum && k + 1 != wm.m_iUnum && mate.bValid && AtBall(mate.vAveragePos)) return true;
        const PlayerPosInfo& opp = wm.m_vOpponent[k];
        if (opp.bValid && AtBall(opp.vAveragePos)) return true;
    }
    return false;
}

}  // namespace

// A kick goes on only while this cycle's step carries it on: one given up half-way (ball
// lost, ball moved, circling) falls back to standing at the ball and must not leave its
// timer to the next motion.
void Decision::SetPieceKicker(SetPieceTaker& st) {
    const bool wasKicking = st.step == Step::Kicking;
    if (wasKicking) st.step = Step::StoppedAtBall;
    KickerSteps(st);
    if (wasKicking && st.step != Step::Kicking && timer.IsTimerRun()) ACT.ClearAll();
}

void Decision::NearestTakes(SetPieceTaker& st) {
    if (IsNearestToBall()) {
        SetPieceKicker(st);
    } else {
        PlayOn();
    }
}

void Decision::KickInUs() { NearestTakes(m_KickInUs); }
void Decision::CornerKickUs() { NearestTakes(m_CornerKickUs); }
// Taken as a kick-in is, by its own taker.
void Decision::FreeKickUs() { NearestTakes(m_FreeKickUs); }
void Decision::FreeKickOpp() { KickInOpp(); }

// The server turns our set piece into open play at the taker's first touch, while its kick
// still runs: a kick past the start of its swing is finished (the swing made the touch),
// one still winding up is cut and its legs held where they are (see PlayOn); the bar starts
// then. Any other mode lifts it.
void Decision::UpdateSecondTouch(TPlayMode mode) {
    SecondTouchState& st = m_SecondTouch;
    if (const int taker = SetPieceTakerNum(mode)) {
        st.Reset();
        st.takerUnum = taker;
        return;
    }
    if (mode != PM_PlayOn) {
        st.Reset();
        return;
    }
    if (st.takerUnum != 0) {
        st.barredUnum = st.takerUnum;
        st.barredSinceSec = wm.m_dGameTime;
        const bool kicking = st.takerUnum == wm.m_iUnum && timer.IsTimerRun();
        using OwnKick = SecondTouchState::OwnKick;
        const bool swinging = timer.GetTime() >= kBigKickSwingFromCycle;
        st.ownKick = !kicking ? OwnKick::None : swinging ? OwnKick::Finishing : OwnKick::Cut;
        st.takerUnum = 0;
    }
    if (st.barredUnum == 0) return;
    if (OtherPlayerAtBall(st.barredUnum) || wm.m_dGameTime - st.barredSinceSec > kBarLimitSec) st.barredUnum = 0;
}

bool Decision::IsBarredBesideTheBall() const {
    return wm.m_iUnum != 0 && m_SecondTouch.barredUnum == wm.m_iUnum &&
           WorldModel::GetDistInXY(wm.m_vSelfPos, wm.m_vBallPos) < kBesideBallM;
}

// The keeper takes it wherever the others stand: the ball lies in its area.
void Decision::GoalKickUs() {
    if (wm.m_PlayerRole == PR_Goalie) {
        SetPieceKicker(m_GoalKickUs);
    } else {
        Formation();
    }
}

// Two forwards wait on the edge of the opponent's area for a short goal kick; the rest
// play on.
void Decision::GoalKickOpp() {
    if (gVariant.goalKickOppIsPlayOn) return;
    const Vector* spot = wm.m_iUnum == 7 ? &kGoalKickOppSpot7 : wm.m_iUnum == 8 ? &kGoalKickOppSpot8 : nullptr;
    if (spot == nullptr) {
        PlayOn();
    } else if (WorldModel::GetDistInXY(wm.m_vSelfPos, *spot) > kGoalKickOppArrivedDist) {
        skill.WalkDefend(*spot, false);
    } else {
        skill.walk(WALK_STAY, wm.getAngleGoalOppToBodyY(), false);
    }
}
