// Test-only world set-up for the decision tests: a fresh world model, parser, walking
// engine request log and decision state, and short ways to place ball, goal and players.
#pragma once
#include <gtest/gtest.h>

#include "behaviour/decision.h"
#include "behaviour/skill.h"
#include "motion/3dlip.h"
#include "perception/msgparse.h"
#include "runtime/corvane.h"

namespace decisiontest {

class DecisionWorld : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }

    static void Reset() {
        wm = WorldModel();
        SenseParse = MsgParse();
        decision = Decision();
        skill = Skill();
        Lip.lastRequest = LIP::Request();
    }
    // The ball seen this cycle at a camera distance and body bearing (head straight).
    static void SeeBall(double distM, double bearingDeg) {
        SenseParse.m_PolBallPos.bCanSee = true;
        SenseParse.m_PolBallPos.PolPos = Polar(distM, bearingDeg, -20);
        wm.m_bCanSeeBall = true;
    }
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
    static void SetNearestMate(int unum) { wm.m_NearestTeamMateInfo[0].iNum = unum; }
    // Roles as the kick-off assigns them: uniform number n gets the n-th entry.
    static void AssignStandardRoles() {
        const PLAYER_ROLE roles[] = {PR_Goalie,     PR_DefendLeft,  PR_DefendRight, PR_LeftRear,
                                     PR_MiddleRear, PR_RightRear,   PR_LeftFront,   PR_RightFront,
                                     PR_MiddleFront, PR_LeftForward, PR_RightForward};
        for (int n = 1; n <= 11; ++n) wm.m_AryPlayerRole[n] = roles[n - 1];
    }
};

}  // namespace decisiontest
