// Kicks from the approach on the real server: how far the set-piece kicker's big kick sends
// the ball, and the penalty shoot-out finish, the attacker alone and against our keeper.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "realserver/realserver.h"

namespace realserver {
namespace {

// Issue 25 asks for a median of 6 m and 4 goals of 5; measured before it lands: median
// 1.5 m, and from 4.5 m out 2 goals in 45 s tries (from the centre, without a time limit,
// 10 of 10). Set each to 0 once it holds. In sync mode the attacker alone scored 4 and 3
// of 5, its straight kicks starting with the ball 0.16-0.21 m ahead and up to 0.09 m either
// side of the torso (the kick alone, robot type 2: 0.19-0.21 m ahead 5.1-5.6 m, 0.17 m
// 2.3 m, 0.13 m 3.6 m, 0.23 m 1.5 m, sideways 0 to 0.08 m hardly matters).
constexpr int kKickTravelIssue = 25;
constexpr int kPenaltyFinishIssue = 25;
constexpr double kGoalLineX = 15, kPostY = 1.05;
constexpr double kKickAndRollSec = 5;
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
    struct BallAt {
        double gameTimeSec, x, y;
    };
    std::vector<BallAt> ballTrack_;

    // Where the ball lay in the attacker's torso frame (ahead, right) on the first cycle of
    // each kick its motion log names: the kick's window is judged from these.
    std::string KickPlaces(const std::string& output) const {
        struct Start {
            double sec;
            std::string name;
        };
        std::string last = "-";
        const std::vector<Start> starts = ReadLines<Start>(output, [&](const std::string& line, Start& k) {
            const size_t kf = line.find(" kf=");
            if (line.rfind("M t=", 0) != 0 || kf == std::string::npos) return false;
            const std::string name = line.substr(kf + 4, line.find(' ', kf + 4) - kf - 4);
            const bool start = name.rfind("Kick", 0) == 0 && name != last;
            last = name;
            k = {std::atof(line.c_str() + 4), name};
            return start;
        });
        std::string text;
        for (const Start& k : starts) {
            const rcss::RobotTruth r = At(1, k.sec).robot;
            auto b = std::lower_bound(ballTrack_.begin(), ballTrack_.end(), k.sec,
                                      [](const BallAt& a, double sec) { return a.gameTimeSec < sec; });
            if (b == ballTrack_.end()) continue;
            const double c = std::cos(r.headingDeg * M_PI / 180), s = std::sin(r.headingDeg * M_PI / 180);
            const double ahead = (b->x - r.x) * c + (b->y - r.y) * s, right = (b->x - r.x) * s - (b->y - r.y) * c;
            double travelM = 0;  // within the kick and the roll after it
            for (auto a = b; a != ballTrack_.end() && a->gameTimeSec < k.sec + kKickAndRollSec; ++a)
                travelM = std::max(travelM, std::hypot(a->x - b->x, a->y - b->y));
            text += rcss::Line(" [%s t %.1f ahead %.3f right %.3f: %.1f m]", k.name.c_str(), k.sec, ahead, right,
                               travelM);
        }
        return text;
    }
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
                ballTrack_.push_back({t.gameTime, t.ballX, t.ballY});
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
    Player(TeamSide::Left, 1, "Attacker", {"--penaltyattacker", "--motionlog"});
    Begin({1});
    const ShootOut s = Finishes(false, [](const rcss::GroundTruth&) {});
    std::printf("kicks started with the ball at (m):%s\n", KickPlaces(pitch_.Processes()[0]->Output()).c_str());
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
