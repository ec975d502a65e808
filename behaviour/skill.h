// Behaviour skills that turn a fall or a walk request into motion calls, one per cycle.
// Global: `skill` (corvane.cpp); reads and writes `wm` fall state, drives `Lip` and `ACT`.
#pragma once
#include "motion/3dlip.h"
#include "worldmodel/worldmodel.h"

class Skill {
public:
    bool walk(ACT_TYPE walkType, float walkAngleDeg, bool smallWalk);
    // Get-up driver: true once the robot stands in its walking stance again.
    bool Climb(bool bClear);
    // Runs the get-up motion that matches the fall direction; true when it has finished.
    bool ClimbOnGround(bool bClear);
    void ClearAll();

private:
    // Climb's latches
    bool m_bClimbSetOver = false;   // the fallen set-up cycle has run
    bool m_bClimbOver = false;      // the get-up motion has finished
    bool m_bClimbPrepare = true;    // waiting for the stance
    // ClimbOnGround's latches
    FALLTYPE m_GroundFallType = FALL_NONE;  // fall direction taken at the start
    bool m_bGroundFallTypeSet = false;
    bool m_bGroundClimbOver = false;
};
