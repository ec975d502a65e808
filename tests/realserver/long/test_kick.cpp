// Kicks from the approach on the real server: how far the set-piece kicker's big kick sends
// the ball, and the penalty shoot-out finish, the attacker alone and against our keeper.
#include <algorithm>
#include <cmath>
#include <functional>

#include "realserver/realserver.h"

namespace realserver {
namespace {

// Issue 25 asks for a median of 6 m and 4 goals of 5; measured before it lands: median
// 1.5 m, and from 4.5 m out 2 goals in 45 s tries (from the centre, without a time limit,
// 10 of 10). Set each to 0 once it holds.
constexpr int kKickTravelIssue = 25;
constexpr int kPenaltyFinishIssue = 25;
constexpr double kGoalLineX = 15, kPostY = 1.05;
// The keeper's area on the right-hand side, as the server's shoot-out rule checks it.
constexpr double kAreaFrontX = 13.2, kAreaHalfWidthY = 1.95;

class Kicks : public RealServer {
protected:
    void Player(TeamSide side, int unum, const std::string& team, const std::vector<std::string>& extra = {}) {
        std::vector<std::string> args = {"--teamname=" + team, "--unum=" + std::to_string(unum)};
        args.insert(args.end(), extra.begin(), extra.end());
        pitch_.Launch(CORVANE_AGENT_PATH, args, team + std::to_string(unum));
        ASSERT_TRUE(pitch_.WaitForRobot(side, unum));
    }

    struct ShootOut {
        int goals = 0, wide = 0;
        std::string tries;
    };
    // Five finishes from 4.5 m out: the dribble from the centre takes a minute or two each,
    // five of them do not fit one check's time. A goal, the ball over the line or 45 s end a try.
    ShootOut Finishes(bool withKeeper, const std::function<void(const rcss::GroundTruth&)>& watch) {
        rcss::Monitor& monitor = pitch_.monitor();
        ShootOut s;
        for (int n = 0; n < 5; ++n) {
            monitor.SetPlayMode("PlayOn");
            monitor.PlaceRobot(TeamSide::Left, 1, 10.5, 0.4 * (n - 2), 0);
            monitor.PlaceBall(10.9, 0.4 * (n - 2));
            if (withKeeper) monitor.PlaceRobot(TeamSide::Right, 1, 14.5, 0, 180);
            PlayUntil(0.2);
            const int before = monitor.Truth().scoreLeft;
            double crossedY = 0;
            PlayUntil(45, [&](const rcss::GroundTruth& t) {
                watch(t);
                if (t.ballX > kGoalLineX && crossedY == 0) crossedY = t.ballY;
                return t.scoreLeft > before || t.ballX > kGoalLineX || std::fabs(t.ballY) > 10;
            });
            PlayUntil(0.5);  // the referee scores a moment after the ball is over the line
            const rcss::GroundTruth end = monitor.Truth();
            const bool goal = end.scoreLeft > before;
            const bool wide = !goal && end.ballX > kGoalLineX && std::fabs(crossedY) > kPostY;
            s.goals += goal ? 1 : 0;
            s.wide += wide ? 1 : 0;
            s.tries += rcss::Line(" %s (ball %.1f, %.1f)", goal ? "goal" : wide ? "wide" : "none", end.ballX, end.ballY);
        }
        return s;
    }
};

// Each set piece: the kicker stands 1 m behind the ball, which lies 11 m from the goal; our
// kick-off after another mode is taken by the set-piece routine (walk up, stop, big kick).
TEST_F(Kicks, SetPieceKickerSendsTheBallTowardsTheGoal) {
    Player(TeamSide::Left, 9, "Taker");
    Begin({9});
    const double ballX = -4;
    std::vector<double> travel;
    std::string runs;
    for (int run = 0; run < 5; ++run) {
        pitch_.monitor().SetPlayMode("free_kick_left");  // no handler: the kicker stands or gets up
        pitch_.monitor().PlaceRobot(TeamSide::Left, 9, ballX - 1.0, 0.3 * (run - 2), 0);
        PlayUntil(3);
        // In a free kick the referee holds the ball on its spot: place it once the kick-off is on.
        pitch_.monitor().KickOff(TeamSide::Left);
        pitch_.monitor().PlaceBall(ballX, 0);
        PlayUntil(0.2);
        double farthest = 0;
        double movedAt = -1;
        PlayUntil(20, [&](const rcss::GroundTruth& t) {
            farthest = std::max(farthest, t.ballX - ballX);
            if (movedAt < 0 && std::hypot(t.ballX - ballX, t.ballY) > 0.3) movedAt = t.gameTime;
            return movedAt >= 0 && t.gameTime > movedAt + 4;
        });
        travel.push_back(farthest);
        runs += rcss::Line(" %.1f", farthest);
    }
    std::sort(travel.begin(), travel.end());
    Judge(travel[2] >= 6.0, rcss::Line("goalward travel of 5 set pieces (m):%s; median %.1f (at least 6)", runs.c_str(),
                                   travel[2]),
          kKickTravelIssue);
}

TEST_F(Kicks, PenaltyAttackerAloneScoresFourOfFive) {
    Player(TeamSide::Left, 1, "Attacker", {"--penaltyattacker"});
    Begin({1});
    const ShootOut s = Finishes(false, [](const rcss::GroundTruth&) {});
    Judge(s.goals >= 4, rcss::Line("5 tries:%s; %d goals (at least 4), %d wide of the posts", s.tries.c_str(), s.goals,
                               s.wide),
          kPenaltyFinishIssue);
}

TEST_F(Kicks, PenaltyAttackerAgainstOurKeeperWhoStaysInItsArea) {
    Player(TeamSide::Left, 1, "Attacker", {"--penaltyattacker"});
    Player(TeamSide::Right, 1, "Keeper", {"--penaltykeeper"});
    Begin({1});
    double keeperMinX = kGoalLineX, keeperMaxY = 0;
    const ShootOut s = Finishes(true, [&](const rcss::GroundTruth& t) {
        if (const rcss::RobotTruth* k = t.Find(TeamSide::Right, 1)) {
            keeperMinX = std::min(keeperMinX, k->x);
            keeperMaxY = std::max(keeperMaxY, std::fabs(k->y));
        }
    });
    const bool inArea = keeperMinX >= kAreaFrontX && keeperMaxY <= kAreaHalfWidthY;
    Judge(inArea, rcss::Line("5 tries:%s; attacker %d goals, %d wide, keeper %d saves; keeper's torso x >= %.2f, "
                         "|y| <= %.2f (area x >= %.1f, |y| <= %.2f)",
                         s.tries.c_str(), s.goals, s.wide, 5 - s.goals - s.wide, keeperMinX, keeperMaxY, kAreaFrontX,
                         kAreaHalfWidthY));
}

}  // namespace
}  // namespace realserver
