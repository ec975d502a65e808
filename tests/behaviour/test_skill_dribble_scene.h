// Scenes for the dribbling and kick-approach tests, on top of the skill scene: the cycle
// count and the key-frame timer as the cycle loop keeps them, the opponent landmarks of a
// left team, and the robot placed relative to a kick line. Writes wm, SenseParse, ACT's
// command table and timer.
#pragma once
#include <cmath>

#include "behaviour/test_skill_world.h"

class DribbleScene : public SkillScene {
public:
    void SetUp() override {
        SkillScene::SetUp();
        timer = Timer();
        wm.m_iCycle = 1;
    }
    void TearDown() override { timer = Timer(); }

    // The cycle loop's share of one cycle: count it, clear last cycle's commands, advance
    // the key-frame timer.
    static void NextCycle() {
        ++wm.m_iCycle;
        ACT.ClearControl();
        timer.Update(1);
    }

    static void SetRecord(PolPosInfo& rec, double distM, double bearingDeg) {
        rec.PolPos = Polar(distM, bearingDeg, -20.0);
        rec.bCanSee = true;
    }
    // This cycle's sighting of the ball and the world model's position for it.
    static void SeeBallAt(double cameraDistM, double bearingDeg, double x, double y) {
        SeeBall(cameraDistM, bearingDeg);
        BallAt(x, y);
    }

    static constexpr Flag_ID kOppGoalL = F_G1R, kOppGoalR = F_G2R;
    static constexpr Flag_ID kOppFlagL = F_F1R, kOppFlagR = F_F2R;
    static void SeeFlag(Flag_ID id, double bearingDeg, double distM = 10.0) {
        SetRecord(SenseParse.m_PolFlagPos[id], distM, bearingDeg);
    }
    static void HideFlag(Flag_ID id) { SenseParse.m_PolFlagPos[id].bCanSee = false; }

    // The robot `alongM` along the kick line from the ball (negative behind it) and
    // `acrossM` to the left of it, the kick heading `turnDeg` to the left of the body.
    static void PlaceForKick(const Vector& ball, const Vector& target, double alongM,
                             double acrossM, double turnDeg) {
        const double kickRad = (target - ball).GetXYAngle() * kGeometryPi / 180.0;
        const Vector along(std::cos(kickRad), std::sin(kickRad), 0.0);
        const Vector left(-along.Vy, along.Vx, 0.0);
        const Vector self = ball + along * alongM + left * acrossM;
        BallAt(ball.Vx, ball.Vy);
        Stand(self.Vx, self.Vy, kickRad * 180.0 / kGeometryPi - turnDeg);
    }
};
