// Get-up and plain walking skills. Reads wm.m_FallState and the torso's gyroscope and
// accelerometer; writes wm.m_bNeedCheckFall and the fall state through wm.UpdateFallState;
// commands the body through Lip and ACT.
#include "behaviour/skill.h"

#include <cmath>
#include <limits>

#include "motion/acthandle.h"
#include "runtime/corvane.h"

int TurnDegToInt(double turnDeg) {
    // Compare in double before converting: the conversion itself is what must not overflow.
    if (!std::isfinite(turnDeg)) return 0;
    const double t = std::trunc(turnDeg);
    if (t < static_cast<double>(std::numeric_limits<int>::min()) ||
        t > static_cast<double>(std::numeric_limits<int>::max()))
        return 0;
    return static_cast<int>(t);
}

namespace {

// What the get-up reports to the fall detector (WorldModel::UpdateFallState).
constexpr int kFallReportGetUpStarted = 2;
constexpr int kFallReportGetUpDone = 1;
constexpr int kStanceSettleCycles = 10;  // the stance is taken over this many cycles

// A get-up started while the body still rolls, or from the jack-knife a failed get-up
// ends in, throws it into a headstand it cannot leave. Before each rise the body is laid
// flat and comes to rest; a body that keeps rocking rises all the same after the cap.
constexpr double kAtRestRateDegPerSec = 30.0;  // torso turn rate below which the body is still
constexpr int kAtRestCycles = 4;               // still for this many cycles in a row
constexpr int kRestWaitCapCycles = 40;
constexpr double kStretchGain = 0.2;
constexpr double kStretchedDeg = 8.0;  // hips and knees this close to straight
// Gravity along the torso's axes (9.81 m/s² along the up axis when upright): after the
// motion a torso with less than this along its up axis still lies, more than
// kLyingSideAccMps2 along the forward axis tells front from back.
constexpr double kUprightAccMps2 = 5.0;
constexpr double kLyingSideAccMps2 = 6.0;

bool BodyStill() {
    return std::sqrt(wm.m_Gyro.dx * wm.m_Gyro.dx + wm.m_Gyro.dy * wm.m_Gyro.dy + wm.m_Gyro.dz * wm.m_Gyro.dz) <
           kAtRestRateDegPerSec;
}

// Legs straight and arms along the body, so that the body lies flat in a known pose. True
// once hips and knees are straight; feet held square by the ground (face down the toes meet
// it) never arrive, and need not.
bool LieFlat() {
    for (int j = JID_LLEG_1; j <= JID_RLEG_6; ++j) ACT.AdjustHJ(j, 0.0, kStretchGain, kStretchedDeg);
    Lip.CommandStandingHeadAndArms();
    for (int j : {JID_LLEG_3, JID_RLEG_3, JID_LLEG_4, JID_RLEG_4})
        if (!(std::fabs(wm.m_HJ[j].fAngle) <= kStretchedDeg)) return false;
    return true;
}

bool TorsoUpright() { return wm.m_Acc.dz > kUprightAccMps2; }

// The side the robot lies on now; a roll during the fall or a failed get-up can have turned
// it over since the detector spoke.
FALLTYPE SideLyingOn(FALLTYPE detected) {
    if (std::fabs(wm.m_Acc.dy) < kLyingSideAccMps2) return detected;
    return wm.m_Acc.dy < 0 ? FALL_DOWN : FALL_UP;
}

// A pose the motion for the side has failed from mostly fails the same way again (the
// long-legged type face down above all): every second try plays the other side's motion,
// which turns the body over.
FALLTYPE SideToRiseFrom(const Skill::ClimbState& climb, FALLTYPE detected) {
    const FALLTYPE side = SideLyingOn(detected);
    if (climb.failedRises % 2 == 0) return side;
    return side == FALL_DOWN ? FALL_UP : FALL_DOWN;
}

bool RestedEnough(Skill::ClimbState& climb) {
    ++climb.restingCycles;
    climb.stillCycles = BodyStill() ? climb.stillCycles + 1 : 0;
    const bool flat = LieFlat();
    return (flat && climb.stillCycles >= kAtRestCycles) || climb.restingCycles >= kRestWaitCapCycles;
}

void EnterResting(Skill::ClimbState& climb) {
    climb.step = Skill::GetUpStep::Resting;
    climb.restingCycles = 0;
    climb.stillCycles = 0;
}

}  // namespace

bool Skill::walk(ACT_TYPE walkType, float walkAngleDeg, bool smallWalk) {
    Lip.bDisableSwingArm = false;
    Lip.Walk(walkType, TurnDegToInt(walkAngleDeg), smallWalk, false);
    return true;
}

bool Skill::Climb(bool bClear) {
    using Step = GetUpStep;
    if (bClear || wm.m_FallState == FALL_NONE) {
        wm.m_bNeedCheckFall = true;
        m_Climb.Reset();
        return true;
    }
    switch (m_Climb.step) {
    case Step::Lying:
        // Abandon whatever key-frame motion ran and keep the detector quiet while lying.
        ACT.ClearAll();
        wm.m_bNeedCheckFall = false;
        wm.UpdateFallState(kFallReportGetUpStarted);
        EnterResting(m_Climb);
        [[fallthrough]];
    case Step::Resting:
        if (!RestedEnough(m_Climb)) return false;
        m_ClimbOnGround.FallType = SideToRiseFrom(m_Climb, wm.m_FallState);
        m_ClimbOnGround.bFirstGetFallType = true;
        m_Climb.step = Step::Rising;
        [[fallthrough]];
    case Step::Rising:
        if (!ClimbOnGround(false)) return false;
        // Still down: settling would only push the legs against the ground; rise again.
        if (!TorsoUpright()) {
            ++m_Climb.failedRises;
            EnterResting(m_Climb);
            return false;
        }
        m_Climb.step = Step::Settling;
        [[fallthrough]];
    case Step::Settling:
        if (!Lip.Prepare(kStanceSettleCycles, false)) return false;
        Lip.StartAfresh();
        wm.UpdateFallState(kFallReportGetUpDone);
        wm.m_bNeedCheckFall = true;
        m_Climb.Reset();
        return true;
    }
    return false;
}

bool Skill::ClimbOnGround(bool bClear) {
    if (bClear) {
        m_ClimbOnGround.FallType = FALL_NONE;
        m_ClimbOnGround.bFirstGetFallType = false;
        m_ClimbOnGround.bClimbOver = false;
        return true;
    }
    if (!m_ClimbOnGround.bFirstGetFallType) {
        m_ClimbOnGround.FallType = wm.m_FallState;
        m_ClimbOnGround.bFirstGetFallType = true;
    }
    m_ClimbOnGround.bClimbOver = m_ClimbOnGround.FallType == FALL_UP ? ACT.Climb_FaceUp() : ACT.Climb_FaceDown();
    if (!m_ClimbOnGround.bClimbOver) return false;
    return ClimbOnGround(true);
}

void Skill::ClearAll() {
    Climb(true);
    ClimbOnGround(true);
    WalkToFree(Vector(), true);
    WalkDefend(Vector(), true);
}
