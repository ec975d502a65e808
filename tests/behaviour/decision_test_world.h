// Test-only additions to the decision scene for the formation, attack and keeper tests:
// opponents, the opponent goal's posts and the kick-off roles placed by hand.
// Writes wm, SenseParse.
#pragma once
#include "support/decision_scene.h"

namespace decisiontest {

// Roles as the kick-off assigns them: uniform number n gets the n-th entry.
inline void AssignStandardRoles() {
    const PLAYER_ROLE roles[] = {PR_Goalie,      PR_DefendLeft,  PR_DefendRight, PR_LeftRear,
                                 PR_MiddleRear,  PR_RightRear,   PR_LeftFront,   PR_RightFront,
                                 PR_MiddleFront, PR_LeftForward, PR_RightForward};
    for (int n = 1; n <= 11; ++n) wm.m_AryPlayerRole[n] = roles[n - 1];
}

class DecisionWorld : public DecisionScene {
protected:
    // Both opponent goal posts seen at one distance and bearing (left half).
    static void SeeOppGoal(double distM, double bearingDeg) {
        for (Flag_ID post : {F_G1R, F_G2R}) {
            SenseParse.m_PolFlagPos[post].bCanSee = true;
            SenseParse.m_PolFlagPos[post].PolPos = Polar(distM, bearingDeg, 2);
        }
    }
    static void PlaceOpponent(int entry, double x, double y) {
        wm.m_vOpponent[entry].bValid = true;
        wm.m_vOpponent[entry].vAveragePos = Vector(x, y, 0);
    }
};

}  // namespace decisiontest
