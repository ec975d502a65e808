// Get-up and plain walking skills. Reads wm.m_FallState; writes wm.m_bNeedCheckFall and the
// fall state through wm.UpdateFallState; commands the body through Lip and ACT.
#include "behaviour/skill.h"

#include "motion/acthandle.h"
#include "runtime/corvane.h"

bool Skill::walk(ACT_TYPE walkType, float walkAngleDeg, bool smallWalk) {
    Lip.bDisableSwingArm = false;
    Lip.Walk(walkType, static_cast<int>(walkAngleDeg), smallWalk, false);
    return true;
}

bool Skill::Climb(bool bClear) {
    if (bClear || wm.m_FallState == FALL_NONE) {
        wm.m_bNeedCheckFall = true;
        m_bClimbSetOver = false;
        m_bClimbOver = false;
        m_bClimbPrepare = true;
        return true;
    }
    if (!m_bClimbSetOver) {
        // Abandon whatever key-frame motion ran and keep the detector quiet while lying.
        ACT.ClearAll();
        wm.m_bNeedCheckFall = false;
        wm.UpdateFallState(2);
        m_bClimbSetOver = true;
    }
    if (!m_bClimbOver) {
        m_bClimbOver = ClimbOnGround(false);
        if (!m_bClimbOver) return false;
        m_bClimbPrepare = false;
    } else if (m_bClimbPrepare) {
        return false;
    }
    m_bClimbPrepare = Lip.Prepare(10, false);
    if (!m_bClimbPrepare) return false;
    wm.UpdateFallState(1);
    wm.m_bNeedCheckFall = true;
    m_bClimbSetOver = false;
    m_bClimbOver = false;
    m_bClimbPrepare = true;
    return true;
}

bool Skill::ClimbOnGround(bool bClear) {
    if (bClear) {
        m_GroundFallType = FALL_NONE;
        m_bGroundFallTypeSet = false;
        m_bGroundClimbOver = false;
        return true;
    }
    if (!m_bGroundFallTypeSet) {
        m_GroundFallType = wm.m_FallState;
        m_bGroundFallTypeSet = true;
    }
    m_bGroundClimbOver = m_GroundFallType == FALL_UP ? ACT.Climb_FaceUp() : ACT.Climb_FaceDown();
    if (!m_bGroundClimbOver) return false;
    return ClimbOnGround(true);
}

void Skill::ClearAll() {
    Climb(true);
    ClimbOnGround(true);
}
