// Dribbling and the kick approach on the practice pitch, the agent's own code driving a
// kinematic robot against a rolling ball: the approach reaches a kick from all round the
// ball and the ball goes goalward; the carrier's dribble and the penalty push move the
// ball up the pitch.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>

#include "behaviour/decision.h"
#include "behaviour/skill.h"
#include "motion/3dlip.h"
#include "runtime/corvane.h"
#include "support/practice_player.h"
#include "worldmodel/worldmodel.h"
#include "support/quiet_match.h"

namespace {

constexpr int kCyclesPerSec = 50;
constexpr int kUnum = 9;

// What the decide functions act on; they are plain function pointers, so no captures.
Vector gTarget(15.0, 0.0, 0.0);
int gAdjusting = 0;

bool GetUpIfFallen() {
    if (wm.m_FallState == FALL_NONE) return false;
    skill.Climb(false);
    return true;
}

void Stand() { Lip.Prepare(0, false); }

void ApproachAndKick() {
    if (GetUpIfFallen()) return;
    skill.Watch();
    skill.ReadyForKick_New(gTarget, false, false);
}

// The ball carrier's rule: dribble while the checks pass, re-position after failures.
void CarryBall() {
    if (GetUpIfFallen()) return;
    skill.Watch();
    bool ok = false;
    if (gAdjusting > 4) {
        decision.AttackFormation(0);
        ok = skill.canDribble(true);
    } else {
        skill.dribbleFromBack();
        ok = skill.canDribble(false);
    }
    gAdjusting = Decision::NextAdjusting(gAdjusting, ok);
}

void PenaltyPush() {
    if (GetUpIfFallen()) return;
    skill.Watch();
    skill.WalkDribble(gTarget, 15.0, false);
}

class OnThePitch : public testing::Test {
protected:
    // A match with this one player standing at the pose, the ball placed, play on.
    void Start(double x, double y, double bodyDeg, double ballX, double ballY) {
        practice::Options o = standin::QuietMatch();
        o.seed = 7;
        match_ = std::make_unique<practice::Match>(o);
        ASSERT_TRUE(match_->Listen());
        player_ = std::make_unique<practice::InProcessPlayer>(*match_, "Corvane3D", kUnum);
        for (int i = 0; i < 60; ++i) ASSERT_TRUE(player_->Cycle(Stand));
        ASSERT_NE(match_->Robot(practice::Side::Left, kUnum), nullptr);
        match_->PlaceRobot(practice::Side::Left, kUnum, x, y, bodyDeg);
        match_->PlaceBall(ballX, ballY);
        match_->SetPlayMode("PlayOn");
        gAdjusting = 0;
    }
    void TearDown() override {
        player_.reset();
        match_.reset();
        practice::ResetAgentSingletons();
    }

    bool Cycle(void (*decide)()) { return player_->Cycle(decide); }
    practice::BallInfo Ball() const { return match_->Ball(); }
    const practice::RobotInfo& Robot() const { return *match_->Robot(practice::Side::Left, kUnum); }

    std::unique_ptr<practice::Match> match_;
    std::unique_ptr<practice::InProcessPlayer> player_;
};

const char* KickName(DribbleAction a) {
    switch (a) {
    case ReadyForRightKick: return "right foot";
    case ReadyForLeftKick: return "left foot";
    case ReadyForKickRight: return "cross right";
    case ReadyForKickLeft: return "cross left";
    case ReadyForKickRight_Small: return "small cross right";
    case ReadyForKickLeft_Small: return "small cross left";
    default: return "?";
    }
}

struct KickRun {
    int cyclesToKick = -1;  // until the first kick ended
    DribbleAction kick = WalkF;
    double travelM = 0.0;     // ball from the kick's start to where it rests
    double headingDeg = 0.0;  // of that travel, field frame
    bool fell = false;
    double aheadM = 0.0, leftM = 0.0;  // the ball from the body as the kick starts, truly
};

TEST_F(OnThePitch, KickApproachKicksTowardsTheGoalFromAllRoundTheBall) {
    const double kBallX = 2.0, kBallY = 1.0;
    gTarget = Vector(15.0, 0.0, 0.0);
    const double goalDeg = std::atan2(-kBallY, 15.0 - kBallX) * 180.0 / 3.1415926;
    int kicked = 0, goalward = 0;
    for (int i = 0; i < 12; ++i) {
        const double aroundDeg = 30.0 * i;
        const double distM = 1.0 + (i % 4);
        const double rx = kBallX + distM * std::cos(aroundDeg * 3.1415926 / 180.0);
        const double ry = kBallY + distM * std::sin(aroundDeg * 3.1415926 / 180.0);
        const double facing = aroundDeg + 180.0 + 60.0 * (i % 3 - 1);  // at, or 60 off, the ball
        Start(rx, ry, facing, kBallX, kBallY);
        if (HasFatalFailure()) return;
        KickRun run;
        double startX = 0, startY = 0;
        for (int c = 1; c <= 60 * kCyclesPerSec && run.cyclesToKick < 0; ++c) {
            const bool wasInFlight = skill.m_Kick.bKickInFlight;
            ASSERT_TRUE(Cycle(ApproachAndKick));
            run.fell = run.fell || Robot().lying;
            if (!wasInFlight && skill.m_Kick.bKickInFlight) {
                startX = Ball().x;
                startY = Ball().y;
                const double h = Robot().bodyDeg * 3.1415926 / 180.0;
                const double dx = startX - Robot().x, dy = startY - Robot().y;
                run.aheadM = dx * std::cos(h) + dy * std::sin(h);
                run.leftM = dy * std::cos(h) - dx * std::sin(h);
            }
            if (skill.m_Kick.kicksDone > 0) {
                run.cyclesToKick = c;
                run.kick = skill.m_Kick.lastKick;
            }
        }
        if (run.cyclesToKick > 0) {
            for (int c = 0; c < 5 * kCyclesPerSec; ++c) ASSERT_TRUE(Cycle(Stand));
            run.travelM = std::hypot(Ball().x - startX, Ball().y - startY);
            run.headingDeg = std::atan2(Ball().y - startY, Ball().x - startX) * 180.0 / 3.1415926;
            ++kicked;
            if (run.travelM > 1.0 && std::fabs(NormalizeAngleDeg(run.headingDeg - goalDeg)) < 45.0) ++goalward;
        }
        std::printf("[figures] start %2d: %.0f m at %3.0f deg facing %4.0f: %s", i, distM, aroundDeg,
                    NormalizeAngleDeg(facing), run.cyclesToKick > 0 ? "" : "no kick in 60 s");
        if (run.cyclesToKick > 0)
            std::printf("%d cycles to the %s kick from %.2f m ahead / %.2f m left, ball %.2f m at %.0f deg "
                        "(goal at %.0f)", run.cyclesToKick, KickName(run.kick), run.aheadM, run.leftM,
                        run.travelM, run.headingDeg, goalDeg);
        std::printf("%s\n", run.fell ? ", fell" : "");
        TearDown();
    }
    std::printf("[figures] kicked from %d of 12 starts, %d of them more than 1 m goalward\n", kicked, goalward);
    EXPECT_EQ(kicked, 12);  // nowhere does it circle the ball for the whole minute
    EXPECT_GE(goalward, 3);
}

TEST_F(OnThePitch, CarrierDribblesTheBallUpThePitch) {
    Start(-1.5, 0.8, -20.0, 0.0, 0.0);
    double bestGainM = 0.0;
    int reachedAt = -1;
    for (int c = 1; c <= 60 * kCyclesPerSec; ++c) {
        ASSERT_TRUE(Cycle(CarryBall));
        const double gain = 15.0 - std::hypot(15.0 - Ball().x, Ball().y);
        if (gain > bestGainM) bestGainM = gain;
        if (reachedAt < 0 && gain >= 5.0) reachedAt = c;
    }
    const double endGain = 15.0 - std::hypot(15.0 - Ball().x, Ball().y);
    std::printf("[figures] carrier: ball %.2f m nearer the goal after 60 s (best %.2f m), 5 m reached at %.1f s, "
                "ball at (%.2f, %.2f)\n", endGain, bestGainM, reachedAt / double(kCyclesPerSec), Ball().x, Ball().y);
    EXPECT_GE(endGain, 5.0);
}

TEST_F(OnThePitch, PenaltyPushTakesTheBallPastTenMetres) {
    Start(-0.5, 0.0, 0.0, 0.0, 0.0);
    gTarget = Vector(15.0, 0.0, 0.0);
    int crossedAt = -1;
    for (int c = 1; c <= 90 * kCyclesPerSec && crossedAt < 0; ++c) {
        ASSERT_TRUE(Cycle(PenaltyPush));
        if (Ball().x > 10.0) crossedAt = c;
    }
    std::printf("[figures] penalty push: ball past x = 10 after %.1f s, at (%.2f, %.2f)\n",
                crossedAt / double(kCyclesPerSec), Ball().x, Ball().y);
    EXPECT_GT(crossedAt, 0);
}

}  // namespace
