// Formation and keeper positioning closed-loop on the practice pitch: the agent's own
// code, one player per run, with the ball placed at points across the pitch.
#include <cmath>
#include <algorithm>
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "behaviour/decision.h"
#include "behaviour/skill.h"
#include "decision_test_world.h"
#include "geometry/geometry.h"
#include "practice_server/practice.h"
#include "runtime/corvane.h"
#include "support/practice_player.h"
#include "support/quiet_match.h"

namespace {

constexpr double kCycleSec = 0.02;
constexpr int kMaxCycles = 1500;      // 30 simulated seconds
constexpr int kSettleCycles = 250;    // watched after arrival: turning to face the ball

struct Spot {
    double x, y;
};

struct RunResult {
    double arrivedSec = -1;  // first time within 1 m of the target
    double finalDistM = 1e9;
    double facingErrDeg = 1e9;  // body heading against the true bearing of the ball
    Vector target;
    bool targetInOwnArea = false;
    double minX = 1e9, maxX = -1e9, maxAbsY = 0;  // over the run
};

void FormationDecide() {
    skill.Watch();
    decision.Formation();
}

void DefendDecide() {
    skill.Watch();
    decision.Defend();
}

bool InOwnPenaltyArea(const Vector& v) { return v.Vx < -15 + 3.3 && std::fabs(v.Vy) < 2.95; }

// One player alone on the pitch in open play; `target` gives the point it should reach.
// It is watched until kSettleCycles after it first comes within arriveM of that point.
RunResult RunPlayer(int unum, PLAYER_ROLE role, Spot ball, Spot start, void (*decide)(),
                    Vector (*target)(), double arriveM) {
    practice::Match match(standin::QuietMatch());
    EXPECT_TRUE(match.Listen());
    practice::InProcessPlayer player(match, "Lefts", unum);
    for (int k = 0; k < 3; ++k) player.Cycle([] {});
    match.SetPlayMode("PlayOn");
    match.PlaceBall(ball.x, ball.y);
    match.PlaceRobot(practice::Side::Left, unum, start.x, start.y, 0);
    decisiontest::AssignStandardRoles();
    wm.m_PlayerRole = role;

    RunResult r;
    bool seenBall = false;
    int stopAt = kMaxCycles;
    for (int k = 0; k < stopAt; ++k) {
        player.Cycle(decide);
        const practice::RobotInfo* robot = match.Robot(practice::Side::Left, unum);
        if (robot == nullptr) break;
        r.target = target();
        r.finalDistM = std::hypot(robot->x - r.target.Vx, robot->y - r.target.Vy);
        r.minX = std::fmin(r.minX, robot->x);
        r.maxX = std::fmax(r.maxX, robot->x);
        r.maxAbsY = std::fmax(r.maxAbsY, std::fabs(robot->y));
        const practice::BallInfo b = match.Ball();
        // Before the agent has found the ball its target means nothing yet.
        seenBall = seenBall || SenseParse.m_PolBallPos.bCanSee;
        const bool knowsBall =
            seenBall && std::hypot(wm.m_vBallPos.Vx - b.x, wm.m_vBallPos.Vy - b.y) < 0.5;
        r.targetInOwnArea = r.targetInOwnArea || (knowsBall && InOwnPenaltyArea(r.target));
        if (r.arrivedSec < 0 && knowsBall && r.finalDistM < arriveM) {
            r.arrivedSec = (k + 1) * kCycleSec;
            stopAt = k + 1 + kSettleCycles;
        }
        const double bearing = std::atan2(b.y - robot->y, b.x - robot->x) * 180 / kGeometryPi;
        r.facingErrDeg = std::fabs(NormalizeAngleDeg(bearing - robot->bodyDeg));
    }
    return r;
}

Vector FormationTargetNow() { return decision.FormationTarget(); }

Vector KeeperTargetNow() {
    return Vector(-14.5, std::fmax(-1.0, std::fmin(1.0, wm.m_vBallPos.Vy)), 0);
}

struct FormationCase {
    int unum;
    PLAYER_ROLE role;
    Spot start;  // kick-off places for the front players, elsewhere for the fixed slots
};
constexpr FormationCase kFrontPlayers[] = {
    {7, PR_LeftFront, {-1, 1.3}},      {8, PR_RightFront, {-1, -1.3}},
    {9, PR_MiddleFront, {-0.5, 0}},    {10, PR_LeftForward, {-2, 1.7}},
    {11, PR_RightForward, {-2, -1.7}},
};
constexpr Spot kBallSpots[] = {{1, 1}, {-4, 3}, {5, -4}, {8, 5}, {-5, -3}};

void ExpectHeldFormation(const FormationCase& c, Spot ball, const RunResult& r) {
    // The two defenders' fixed slots are in front of the keeper, inside the area.
    const bool slotInArea = c.role == PR_DefendLeft || c.role == PR_DefendRight;
    const std::string where = "player " + std::to_string(c.unum) + " ball (" +
                              std::to_string(ball.x) + ", " + std::to_string(ball.y) + ")";
    std::printf("formation %s: arrived %.2f s, end %.2f m off, facing off %.1f deg\n",
                where.c_str(), r.arrivedSec, r.finalDistM, r.facingErrDeg);
    EXPECT_GE(r.arrivedSec, 0) << where;
    EXPECT_LT(r.finalDistM, 1.0) << where;
    EXPECT_LT(r.facingErrDeg, 20) << where;
    EXPECT_EQ(r.targetInOwnArea, slotInArea) << where;
}

TEST(FormationPitch, FrontPlayersTakeTheirSlotsAroundTheBall) {
    for (Spot ball : kBallSpots)
        for (const FormationCase& c : kFrontPlayers)
            ExpectHeldFormation(c, ball,
                                RunPlayer(c.unum, c.role, ball, c.start, FormationDecide,
                                          FormationTargetNow, 1.0));
}

TEST(FormationPitch, DefendersAndRearPlayersHoldTheirFixedSlots) {
    constexpr FormationCase kRear[] = {{2, PR_DefendLeft, {-10, 3}}, {3, PR_DefendRight, {-9, -1}},
                                       {4, PR_LeftRear, {-7, 0}},    {5, PR_MiddleRear, {-6, -3}},
                                       {6, PR_RightRear, {-8, 1}}};
    for (const FormationCase& c : kRear)
        ExpectHeldFormation(c, {2, 3},
                            RunPlayer(c.unum, c.role, {2, 3}, c.start, FormationDecide,
                                      FormationTargetNow, 1.0));
}

// The keeper's walk stands still within 0.6 m of its point, so it is started on the far
// post and must cross towards the ball's side. Its side-steps may take it a few
// centimetres onto the goal line, never out of the goal box.
TEST(FormationPitch, KeeperFollowsTheBallAcrossItsGoal) {
    struct KeeperCase {
        Spot ball, start;
    };
    const KeeperCase cases[] = {{{-6, 0.5}, {-14.5, -1}}, {{-5, 4}, {-14.5, -1}}, {{-8, -3}, {-14.5, 1}}};
    for (const KeeperCase& c : cases) {
        const RunResult r = RunPlayer(1, PR_Goalie, c.ball, c.start, DefendDecide, KeeperTargetNow, 0.6);
        std::printf("keeper ball (%.1f, %.1f): there after %.2f s, end %.2f m off, x in [%.2f, %.2f], "
                    "|y| <= %.2f\n", c.ball.x, c.ball.y, r.arrivedSec, r.finalDistM, r.minX, r.maxX, r.maxAbsY);
        EXPECT_GE(r.arrivedSec, 0) << c.ball.y;
        EXPECT_LT(r.finalDistM, 0.65) << c.ball.y;
        EXPECT_NEAR(r.target.Vy, std::fmax(-1.0, std::fmin(1.0, c.ball.y)), 0.05) << c.ball.y;
        EXPECT_GT(r.minX, -15.1) << c.ball.y;
        EXPECT_LT(r.maxX, -13.5) << c.ball.y;
        EXPECT_LT(r.maxAbsY, 1.5) << c.ball.y;
    }
}

}  // namespace
