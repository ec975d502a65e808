// Get-up and plain walking skills. Reads wm.m_FallState; writes wm.m_bNeedCheckFall and the
// fall state through wm.UpdateFallState; commands the body through Lip and ACT.
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
        m_Climb.step = Step::Rising;
        [[fallthrough]];
    case Step::Rising:
        if (!ClimbOnGround(false)) return false;
        m_Climb.step = Step::Settling;
        [[fallthrough]];
    case Step::Settling:
        if (!Lip.Prepare(kStanceSettleCycles, false)) return false;
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
