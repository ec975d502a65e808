// Scene set-up for the skill unit tests: a fresh agent state with the robot, ball and
// sightings placed by hand, and the head command read back. Writes wm, SenseParse, Lip,
// skill and ACT.
#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "behaviour/skill.h"
#include "motion/acthandle.h"
#include "runtime/corvane.h"

class SkillScene : public testing::Test {
public:
    void SetUp() override {
        wm = WorldModel();
        wm.InitFlagPos();
        SenseParse = MsgParse();
        Lip = LIP();
        skill = Skill();
        ACT.ClearControl();
    }

    // Own position (raw and filtered) and body = camera direction, team frame.
    static void Stand(double x, double y, double bodyDeg) {
        wm.m_vSelfPos = wm.m_vSelfPosKF = Vector(x, y, 0);
        wm.m_dBodyAng = wm.m_dFaceAng = bodyDeg;
    }
    static void BallAt(double x, double y) { wm.m_vBallPos = wm.m_vBallPosKF = Vector(x, y, 0); }
    // The ball as the camera sees it this cycle (camera distance, bearing, elevation).
    static void SeeBall(double cameraDist, double bearingDeg, double elevationDeg = -20) {
        SenseParse.m_PolBallPos.PolPos = Polar(cameraDist, bearingDeg, elevationDeg);
        SenseParse.m_PolBallPos.bCanSee = wm.m_bCanSeeBall = true;
    }
    static void LoseBall() { SenseParse.m_PolBallPos.bCanSee = wm.m_bCanSeeBall = false; }

    // Angle the head joint was sent towards this cycle, NaN when it got no command.
    static double HeadTargetDeg(JointID joint, double speed) {
        const HJCtrl& c = ACT.HJControl[joint];
        if (!c.bCtrled) return std::numeric_limits<double>::quiet_NaN();
        return wm.m_HJ[joint].fAngle + c.fAngle / speed;
    }
    static void NextCycle() { ACT.ClearControl(); }
};
