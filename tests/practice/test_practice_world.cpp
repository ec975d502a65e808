// The practice pitch's world against the agent's own reading of it: how far a ball rolls,
// and where the agent's localisation puts a robot from the rendered vision, both sides.
#include <gtest/gtest.h>

#include <cmath>

#include "practice_server/ball.h"
#include "practice_server/practice.h"
#include "support/practice_player.h"
#include "runtime/corvane.h"
#include "worldmodel/worldmodel.h"
#include "support/quiet_match.h"

namespace {

double RollDistance(double speed) {
    practice::BallState ball{0, 0, speed, 0};
    for (int k = 0; k < 5000 && ball.vx > 0; ++k) practice::Roll(ball, 0.02);
    EXPECT_EQ(ball.vx, 0.0) << "a rolling ball comes to rest";
    return ball.x;
}

TEST(PracticeBall, KickedBallRollsAsOnTheRealPitch) {
    EXPECT_GE(RollDistance(3.0), 5.0);
    EXPECT_LE(RollDistance(5.0), 12.0);
    EXPECT_LT(RollDistance(3.0), RollDistance(4.0));
    EXPECT_LT(RollDistance(0.3), 0.8) << "a nudge stays a nudge";
}

TEST(PracticeBall, FootSweepingIntoBallKicksHarderWhenFaster) {
    auto kicked = [](double footSpeed) {
        practice::BallState ball{0.11, 0, 0, 0};
        practice::FootBox foot;
        foot.x = 0.0;
        foot.vx = footSpeed;
        EXPECT_TRUE(practice::PushByFoot(ball, foot));
        EXPECT_GE(ball.x, foot.halfLength + practice::kBallRadius - 1e-9) << "pushed out of the foot";
        return ball.vx;
    };
    EXPECT_GT(kicked(2.0), kicked(1.0));
    EXPECT_GT(kicked(1.0), 1.0);
    practice::BallState ball{0, 0, 0, 0};
    practice::FootBox lifted;
    lifted.soleZ = 0.2;
    EXPECT_FALSE(practice::PushByFoot(ball, lifted)) << "a foot above the ball misses it";
}

TEST(PracticeBall, PostSendsBallBack) {
    practice::BallState ball{14.9, practice::kGoalPostY, 3.0, 0};
    for (int k = 0; k < 10; ++k) {
        practice::Roll(ball, 0.02);
        practice::BounceOffGoal(ball);
    }
    EXPECT_LT(ball.vx, 0.0);
    EXPECT_LT(ball.x, 15.0);
}

struct Truth {
    practice::Side side;
    double x, y, bodyDeg;  // field frame
};

// Localises one in-process player placed at the truth and returns its own position error.
double LocalisationError(const Truth& truth, double& faceErrDeg) {
    practice::Match match(standin::QuietMatch());
    EXPECT_TRUE(match.Listen());
    // The left team is named first; a right-team robot needs a left team to exist.
    if (truth.side == practice::Side::Right) {
        practice::InProcessPlayer left(match, "Lefts", 1);
        left.Cycle([] {});
        left.Cycle([] {});
    }
    practice::InProcessPlayer player(match, truth.side == practice::Side::Left ? "Lefts" : "Rights", 2);
    for (int k = 0; k < 3; ++k) player.Cycle([] {});
    match.PlaceRobot(truth.side, 2, truth.x, truth.y, truth.bodyDeg);
    for (int k = 0; k < 60; ++k) player.Cycle([] {});
    const double m = truth.side == practice::Side::Left ? 1.0 : -1.0;
    EXPECT_EQ(wm.m_bIsLeft, truth.side == practice::Side::Left);
    const double ownDeg = truth.side == practice::Side::Left ? truth.bodyDeg : truth.bodyDeg + 180.0;
    faceErrDeg = std::fabs(std::remainder(wm.m_dFaceAng - ownDeg, 360.0));
    return std::hypot(wm.m_vSelfPos.Vx - m * truth.x, wm.m_vSelfPos.Vy - m * truth.y);
}

TEST(PracticeVision, AgentLocalisesItselfFromRenderedVision) {
    const Truth cases[] = {{practice::Side::Left, -3.0, 1.0, 10.0},
                           {practice::Side::Left, 4.0, -2.5, -30.0},
                           {practice::Side::Right, 3.0, 1.5, 160.0},
                           {practice::Side::Right, -4.0, -2.0, -170.0}};
    for (const Truth& t : cases) {
        double faceErr = 0;
        const double err = LocalisationError(t, faceErr);
        EXPECT_LT(err, 0.05) << "side " << int(t.side) << " at " << t.x << ", " << t.y;
        EXPECT_LT(faceErr, 1.0) << "side " << int(t.side) << " at " << t.x << ", " << t.y;
    }
}

}  // namespace
