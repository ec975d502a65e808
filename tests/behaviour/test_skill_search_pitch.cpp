// Gaze and ball search on the practice pitch: the ball stays in the picture while the robot
// walks past it, a ball behind is found by the scan, and the search around the ball ends
// behind it on the line to the target from every side.
#include <cstdio>

#include "behaviour/skill.h"
#include "runtime/corvane.h"
#include "test_skill_pitch.h"

namespace {

Vector gTarget;

void WalkAndWatch() {
    skill.WalkToFree(gTarget, false);
    skill.Watch();
}
void StandAndWatch() {
    Lip.Prepare(0, false);
    skill.Watch();
}
void SearchAndWatch() {
    skill.Watch();
    skill.SearchBall(gTarget);
}

TEST(GazeOnPitch, BallStaysInThePictureWhileWalkingPastIt) {
    pitch::Trial trial(-3, 1, 0, 0, 0);
    gTarget = Vector(2.5, 1, 0);
    int frames = 0, withBall = 0;
    const pitch::Track t = trial.Run(WalkAndWatch, [&] {
        if (SenseParse.m_bThisCycleHaveSeeInfo) {
            ++frames;
            withBall += SenseParse.m_PolBallPos.bCanSee;
        }
        return trial.DistM(2.5, 1) < 0.4;
    }, 40);
    std::printf("walk past the ball: %d of %d vision frames with the ball, %.2fs\n", withBall, frames, t.seconds);
    EXPECT_TRUE(t.done);
    EXPECT_GT(withBall, 0.8 * frames);
}

TEST(GazeOnPitch, ScanFindsABallBehind) {
    for (double side : {1.0, -1.0}) {
        pitch::Trial trial(-2, 0, 0, -3.5, 0.9 * side);  // the ball's default place lies ahead
        const pitch::Track t = trial.Run(StandAndWatch, [] { return wm.m_bCanSeeBall; }, 8);
        std::printf("ball behind at y=%+.1f: found after %.2fs\n", 0.9 * side, t.seconds);
        EXPECT_TRUE(t.done) << side;
    }
}

// Standing behind the ball on the line to the target, by the match's ground truth.
bool BehindBall(const pitch::Trial& trial) {
    const practice::BallInfo b = trial.Match().Ball();
    const Vector ball(b.x, b.y, 0), me(trial.Me().x, trial.Me().y, 0);
    const double gDeg = NormalizeAngleDeg((me - ball).GetXYAngle() - (gTarget - ball).GetXYAngle() + 180);
    return trial.DistM(b.x, b.y) < 0.6 && std::fabs(gDeg) < 15;
}

TEST(SearchOnPitch, EndsBehindTheBallFromEverySide) {
    gTarget = Vector(15, 0, 0);
    for (int k = 0; k < 8; ++k) {
        const double aroundRad = k * 45 * kGeometryPi / 180;
        pitch::Trial trial(1.2 * std::cos(aroundRad), 1.2 * std::sin(aroundRad), k * 45 + 180, 0, 0);
        testing::internal::CaptureStdout();  // the search reports its state every cycle
        const pitch::Track t = trial.Run(SearchAndWatch, [&] { return BehindBall(trial); }, 40);
        testing::internal::GetCapturedStdout();
        std::printf("search from %d deg round the ball: ended=%d after %d cycles, path %.2fm\n", k * 45, t.done,
                    static_cast<int>(t.seconds / pitch::kCycleSec + 0.5), t.pathM);
        EXPECT_TRUE(t.done) << k * 45;
    }
}

}  // namespace
