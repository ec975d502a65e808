// Test-only scenes for the dribbling and kick-approach skills: the agent's singletons
// reset, the robot, the ball and the opponent landmarks written straight into the world
// model and the parser's records (left team, head straight ahead), and one lock-step cycle
// of the bookkeeping the cycle loop does around the behaviour. Writes wm, SenseParse,
// skill, Lip, ACT's command table and timer.
#pragma once
#include <cmath>

#include "behaviour/skill.h"
#include "geometry/geometry.h"
#include "motion/3dlip.h"
#include "motion/acthandle.h"
#include "perception/msgparse.h"
#include "runtime/corvane.h"
#include "worldmodel/worldmodel.h"

namespace dribbletest {

inline void ResetAgent() {
    wm = WorldModel();
    SenseParse = MsgParse();
    skill = Skill();
    Lip = LIP();
    timer = Timer();
    ACT.ClearControl();
    wm.m_bIsLeft = true;
    wm.m_iUnum = 9;
    wm.m_iCycle = 1;
}

// The cycle loop's share of one cycle: count it, clear last cycle's commands, advance the
// key-frame timer.
inline void NextCycle() {
    ++wm.m_iCycle;
    ACT.ClearControl();
    timer.Update(1);
}

inline void Pose(const Vector& self, double bodyDeg) {
    wm.m_vSelfPos = self;
    wm.m_dBodyAng = bodyDeg;
    wm.m_dFaceAng = bodyDeg;
}

inline void SetRecord(PolPosInfo& rec, double distM, double bearingDeg) {
    rec.PolPos = Polar(distM, bearingDeg, -20.0);
    rec.bCanSee = true;
}

// The ball as this cycle's camera sees it, also taken as the world model's position.
inline void SeeBall(double distM, double bearingDeg, const Vector& pos = Vector()) {
    SetRecord(SenseParse.m_PolBallPos, distM, bearingDeg);
    wm.m_bCanSeeBall = true;
    wm.m_vBallPos = pos;
}

inline void LoseBall() {
    SenseParse.m_PolBallPos.bCanSee = false;
    wm.m_bCanSeeBall = false;
}

// Opponent goal posts and corner flags of a left team, by their server names.
constexpr Flag_ID kOppGoalL = F_G1R, kOppGoalR = F_G2R, kOppFlagL = F_F1R, kOppFlagR = F_F2R;

inline void SeeFlag(Flag_ID id, double bearingDeg, double distM = 10.0) {
    SetRecord(SenseParse.m_PolFlagPos[id], distM, bearingDeg);
}

inline double Rad(double deg) { return deg * kGeometryPi / 180.0; }

// The robot placed `alongM` along the kick line from the ball (negative behind it) and
// `acrossM` to the left of it, with the kick heading `turnDeg` to the left of the body.
inline void PlaceForKick(const Vector& ball, const Vector& target, double alongM, double acrossM,
                         double turnDeg) {
    const double kickDeg = (target - ball).GetXYAngle();
    const Vector along(std::cos(Rad(kickDeg)), std::sin(Rad(kickDeg)), 0.0);
    const Vector left(-along.Vy, along.Vx, 0.0);
    wm.m_vBallPos = ball;
    Pose(ball + along * alongM + left * acrossM, kickDeg - turnDeg);
}

}  // namespace dribbletest
