// The league's rules on our set pieces, on the real server: the referee gives no free kick
// against the side whose taker plays the ball (kick-offs, kick-in, corner), and a free kick
// called in the middle of play does not topple the teams. Each check prints its wall time.
#include <array>
#include <chrono>
#include <cmath>

#include "realserver/realserver.h"

namespace realserver {
namespace {

constexpr double kWatchSetPieceSec = 15;  // game time from the call: approach, kick, the ball played on
constexpr double kFreeKickSec = 8;
// Legs left to the last cycle's speeds felled 8 and 7 robots in these 8 s; with the mode
// handled, five runs lost 3 to 8 of the 22 (open play: collisions at the ball, the kicker on
// its back, stumbles on the way).
constexpr int kMostFalls = 10;
// Issue 24 still has the second touch of our set pieces to mend (kick-offs: 2 free kicks
// against us in 12, then 1 in 3; kick-in and corner: one 0.08 to 0.24 s after play on in 5 of
// 6 tries, then none in 2). The kick alone, from its window, leaves the ball until the swing
// (the check below); the first touches seen on ground truth came before it: at kick-offs the
// beam's noise left the ball 0.17 m ahead and straight in front of the taker, where the
// support foot's step met it; at kick-in and corner the walk up ran into the ball (0.09 to
// 0.12 m ahead at play on, the kick not begun). Set to 0 once it holds.
constexpr int kSetPieceTouchIssue = 24;
// Where the set-piece taker stops before its big kick, relative to the torso.
constexpr double kWindowAheadM = 0.145;
constexpr double kDegToRad = 0.017453292519943295;
constexpr double kCycleSec = 0.02;
constexpr int kSwingCycle = 71;  // the kick's swing begins; the wind-up before it
constexpr double kStillM = 0.01;  // the server's ball jitters by millimetres
constexpr double kLeastTravelM = 8;  // measured 9.1-10.1 m in 9 kicks (load 6 to 12)

// A point in a robot's torso frame, on the ground.
struct TorsoSpot {
    double aheadM = 0, rightM = 0;
};
TorsoSpot FromTorso(const rcss::RobotTruth& r, double x, double y) {
    const double c = std::cos(r.headingDeg * kDegToRad), s = std::sin(r.headingDeg * kDegToRad);
    return {(x - r.x) * c + (y - r.y) * s, (x - r.x) * s - (y - r.y) * c};
}
void ToField(const rcss::RobotTruth& r, const TorsoSpot& spot, double& x, double& y) {
    const double c = std::cos(r.headingDeg * kDegToRad), s = std::sin(r.headingDeg * kDegToRad);
    x = r.x + spot.aheadM * c + spot.rightM * s;
    y = r.y + spot.aheadM * s - spot.rightM * c;
}
TorsoSpot NearestOfOurs(const rcss::GroundTruth& t) {
    const rcss::RobotTruth* nearest = nullptr;
    for (const rcss::RobotTruth& r : t.robots)
        if (r.side == TeamSide::Left &&
            (!nearest || std::hypot(r.x - t.ballX, r.y - t.ballY) < std::hypot(nearest->x - t.ballX, nearest->y - t.ballY)))
            nearest = &r;
    return nearest ? FromTorso(*nearest, t.ballX, t.ballY) : TorsoSpot{};
}

class Rules : public RealServer {
protected:
    void SetUp() override {
        RealServer::SetUp();
        began_ = std::chrono::steady_clock::now();
    }
    void TearDown() override {
        RealServer::TearDown();
        std::printf("check took %.0f s of wall time\n",
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - began_).count());
    }
    void Player(const char* program, const std::string& team, TeamSide side, int unum) {
        pitch_.Launch(program, {"--teamname=" + team, "--unum=" + std::to_string(unum)}, team + std::to_string(unum));
        ASSERT_TRUE(pitch_.WaitForAnswers(pitch_.Processes().size()));
        ASSERT_TRUE(pitch_.WaitForRobot(side, unum));
    }
    // Wall time standing in a mode whose clock does not run (BeforeKickOff).
    void Messages(long count) {
        const long until = pitch_.monitor().Truth().message + count;
        pitch_.monitor().WaitFor([until](const rcss::GroundTruth& t) { return t.message >= until; }, 30);
    }

    // What happened after a set piece of ours was called: when play began, and when (if) the
    // referee gave a free kick against us; falls of both teams meanwhile.
    struct Outcome {
        double playOnAfterSec = -1, freeKickAfterSec = -1, ballTravelM = 0, ballX = 0, ballY = 0;
        int fallsLeft = 0, fallsRight = 0;
        std::string fallen;  // side and number of each robot that fell
        // Where the ball lay from our player nearest to it when play went on: a first touch by
        // the walk up, by the wind-up or by the swing lies at different spots.
        TorsoSpot taker;
        std::string Text() const {
            return Line("ball at %.1f, %.1f; play on %s (ball %.3f m ahead, %.3f m right of our nearest), free kick "
                        "against us %s, ball moved %.1f m, falls ours %d, theirs %d:%s",
                        ballX, ballY, playOnAfterSec < 0 ? "never" : Line("after %.2f s", playOnAfterSec).c_str(),
                        taker.aheadM, taker.rightM,
                        freeKickAfterSec < 0 ? "none" : Line("%.2f s after play on", freeKickAfterSec).c_str(),
                        ballTravelM, fallsLeft, fallsRight, fallen.c_str());
        }
    };
    // From the moment the server shows the mode just called, for that much game time or until
    // a free kick against us.
    Outcome Watch(const std::string& calledMode, double forGameSec) {
        pitch_.monitor().WaitFor([&](const rcss::GroundTruth& t) { return t.playMode == calledMode; }, 10);
        const double untilGameSec = pitch_.monitor().Truth().gameTime + forGameSec;
        Outcome o;
        rcss::Tally window;
        PlayUntil(0.1);  // the placements called with the mode show
        const rcss::GroundTruth start = pitch_.monitor().Truth();
        window.Add(start);  // who already lies counts before the window
        o.ballX = start.ballX, o.ballY = start.ballY;
        double playOnAt = -1;
        pitch_.monitor().WaitFor(
            [&](const rcss::GroundTruth& t) {
                window.Add(t);
                if (playOnAt < 0 && t.playMode == "PlayOn") o.taker = NearestOfOurs(t);
                o.ballTravelM = std::max(o.ballTravelM, std::hypot(t.ballX - start.ballX, t.ballY - start.ballY));
                if (playOnAt < 0 && t.playMode == "PlayOn")
                    playOnAt = t.gameTime, o.playOnAfterSec = t.gameTime - start.gameTime;
                if (rcss::IsFreeKickFor(t.playMode, TeamSide::Right))
                    o.freeKickAfterSec = playOnAt < 0 ? 0 : t.gameTime - playOnAt;
                return o.freeKickAfterSec >= 0 || t.gameTime >= untilGameSec;
            },
            (untilGameSec - start.gameTime) * 4 + 30);
        rcss::Tally before;
        before.Add(start);
        for (const rcss::RobotTally& r : window.Robots()) {
            const rcss::RobotTally* was = before.Find(r.side, r.unum);
            const int falls = r.falls - (was ? was->falls : 0);
            (r.side == TeamSide::Left ? o.fallsLeft : o.fallsRight) += falls;
            if (falls > 0) o.fallen += Line(" %s %d", r.side == TeamSide::Left ? "ours" : "theirs", r.unum);
        }
        return o;
    }

    std::chrono::steady_clock::time_point began_;
};

// The taker's beam spot changes with each ten seconds of game time: three kick-offs in three
// such stretches try each spot once. Then a free kick of ours in open play, both teams on it.
TEST_F(Rules, ThreeKickOffsAndAFreeKickMidGameWithBothTeams) {
    rcss::StartTeam(pitch_, {"Main", CORVANE_AGENT_PATH, ""});
    ASSERT_TRUE(pitch_.WaitForRobot(TeamSide::Left, 1));
    rcss::StartTeam(pitch_, {"Alt", CORVANE_AGENT_ALT_PATH, ""});
    ASSERT_TRUE(pitch_.monitor().WaitFor([](const rcss::GroundTruth& t) { return t.robots.size() >= 22; }, 90));
    int fouls = 0;
    std::string runs;
    for (int k = 0; k < 3; ++k) {
        if (k > 0) PlayUntil(10.0 * k + 0.2 - pitch_.monitor().Truth().gameTime);
        pitch_.monitor().SetPlayMode("BeforeKickOff");
        pitch_.monitor().PlaceBall(0, 0);
        Messages(75);  // the beams taken and three seconds to stand still after them
        pitch_.monitor().KickOff(TeamSide::Left);
        const Outcome o = Watch("KickOff_Left", 10.0 * (k + 1) + 0.2 - pitch_.monitor().Truth().gameTime);
        fouls += o.freeKickAfterSec >= 0 ? 1 : 0;
        runs += Line("; kick-off %d: %s", k + 1, o.Text().c_str());
    }
    Judge(fouls == 0, Line("free kicks against the kicking side in 3 kick-offs: %d%s", fouls, runs.c_str()),
          kSetPieceTouchIssue);

    pitch_.monitor().SetPlayMode("PlayOn");
    PlayUntil(2);
    pitch_.monitor().PlaceBall(-4, 4);
    pitch_.monitor().SetPlayMode("free_kick_left");
    const Outcome o = Watch("free_kick_left", kFreeKickSec);
    Judge(o.fallsLeft + o.fallsRight <= kMostFalls,
          Line("our free kick called mid-game, %.0f s, at most %d falls: %s", kFreeKickSec, kMostFalls,
               o.Text().c_str()));
}

// Our taker a metre from the ball, a team-mate and an opponent some metres off; the taker
// comes round the ball to face the goal, kicks, and must leave the ball to the others.
TEST_F(Rules, OurKickInAndCornerBringNoFreeKickAgainstUs) {
    Player(CORVANE_AGENT_PATH, "Main", TeamSide::Left, 7);
    Player(CORVANE_AGENT_PATH, "Main", TeamSide::Left, 8);
    Player(CORVANE_AGENT_ALT_PATH, "Alt", TeamSide::Right, 6);
    Begin({7, 8});
    // The referee holds a set piece's ball on the spot where the ball last left the field: the
    // ball is rolled out there first, then the mode is made ours. The taker faces the goal
    // roughly already, since behind the ball on the line from the goal lies outside the field.
    struct SetPiece {
        const char* name;
        const char* mode;
        double outX, outY, rollVx, rollVy, takerX, takerY, takerDeg, mateX, mateY, oppX, oppY;
        int expectedFailIssue;
    };
    // The corner first: the referee's spot of a later set piece would stay where the first
    // one's foul left the ball.
    const SetPiece pieces[] = {
        {"corner", "corner_kick_left", 14.6, 9.8, 0, 1.5, 14.55, 10.45, -85, 10, 5, 12.5, 4, kSetPieceTouchIssue},
        {"kick-in", "KickIn_Left", 1, -9.8, 0, -1.5, 0.3, -9.7, 35, -3, -6, 4, -6, kSetPieceTouchIssue}};
    for (const SetPiece& p : pieces) {
        rcss::Monitor& m = pitch_.monitor();
        m.SetPlayMode("PlayOn");
        m.WaitFor([](const rcss::GroundTruth& t) { return t.playMode == "PlayOn"; }, 10);
        m.PlaceRobot(TeamSide::Left, 8, p.mateX, p.mateY, 0);
        m.PlaceRobot(TeamSide::Right, 6, p.oppX, p.oppY, 180);
        m.PlaceBall(p.outX, p.outY, p.rollVx, p.rollVy, 0);
        PlayUntil(1);
        m.SetPlayMode(p.mode);
        m.PlaceRobot(TeamSide::Left, 7, p.takerX, p.takerY, p.takerDeg);
        const Outcome o = Watch(p.mode, kWatchSetPieceSec);
        Judge(o.freeKickAfterSec < 0, Line("our %s: %s", p.name, o.Text().c_str()), p.expectedFailIssue);
    }
}

// The big kick of motion_probe alone, the ball placed in the torso frame as play goes on.
struct LoneKick {
    int unum;
    double rightM;
    double firstMoveCycle = -1, travelM = 0;
    double closestGapM[2] = {1, 1};  // left, right foot centre to ball centre, wind-up
    int closestCycle[2] = {0, 0};
};

class KickAlone : public Rules {
protected:
    void Run(LoneKick& k) {
        rcss::Monitor& m = pitch_.monitor();
        m.SetPlayMode("BeforeKickOff");
        Probe(k.unum, -5, 4.0 * (k.unum - 6), 0, {"--motion=bigkick", "--hold=3"});
        ASSERT_TRUE(pitch_.WaitForRobot(TeamSide::Left, k.unum));
        Messages(75);  // the beam taken and time to stand still
        // The probe beams again every cycle before kick-off, each time with the server's noise,
        // and the referee keeps the ball on the centre spot: the ball goes to its place once
        // play is on, while the kick's first cycles move only the arms.
        m.SetPlayMode("PlayOn");
        ASSERT_TRUE(m.WaitFor([](const rcss::GroundTruth& t) { return t.playMode == "PlayOn"; }, 10));
        double ballX, ballY;
        ToField(*m.Truth().Find(TeamSide::Left, k.unum), {kWindowAheadM, k.rightM}, ballX, ballY);
        m.PlaceBall(ballX, ballY);
        const double startSec = m.Truth().gameTime;
        bool placed = false;
        PlayUntil(6, [&](const rcss::GroundTruth& t) {
            const double cycle = (t.gameTime - startSec) / kCycleSec;
            const double moved = std::hypot(t.ballX - ballX, t.ballY - ballY);
            placed |= moved < kStillM;
            if (!placed) return false;
            k.travelM = std::max(k.travelM, moved);
            if (k.firstMoveCycle < 0 && moved > kStillM) k.firstMoveCycle = cycle;
            const rcss::RobotTruth* r = t.Find(TeamSide::Left, k.unum);
            if (r != nullptr && cycle < kSwingCycle) Closest(*r, t, int(cycle), k);
            return false;
        });
        pitch_.Processes().back()->Wait(30000);
    }
    static void Closest(const rcss::RobotTruth& r, const rcss::GroundTruth& t, int cycle, LoneKick& k) {
        const std::array<double, 3>* feet[2] = {&r.leftFoot, &r.rightFoot};
        for (int f = 0; f < 2; ++f) {
            const double gap = std::hypot((*feet[f])[0] - t.ballX, (*feet[f])[1] - t.ballY);
            if (gap < k.closestGapM[f]) k.closestGapM[f] = gap, k.closestCycle[f] = cycle;
        }
    }
};

// The cause of a second touch, on one robot alone: the big kick from where it is taken (ball
// 0.145 m ahead of the torso, 0.025 to 0.055 m right of it: the kick-off spots and the
// set-piece stop) must leave the ball where it lies until the swing, the ball's first touch,
// and still send it far. Robot type 0, the kick-off taker's and most kick-in takers' type.
TEST_F(KickAlone, BigKickLeavesTheBallUntilItsSwing) {
    LoneKick kicks[] = {{5, 0.025}, {6, 0.04}, {7, 0.055}};
    for (LoneKick& k : kicks) Run(k);
    for (const LoneKick& k : kicks) {
        const bool still = k.firstMoveCycle < 0 || k.firstMoveCycle >= kSwingCycle;
        Judge(still && k.travelM >= kLeastTravelM,
              Line("ball %.3f m right: first moved at kick cycle %.0f (not before %d), travelled %.1f m (at least "
                   "%.0f); closest in the wind-up: left foot %.3f m at cycle %d, right foot %.3f m at cycle %d",
                   k.rightM, k.firstMoveCycle, kSwingCycle, k.travelM, kLeastTravelM, k.closestGapM[0],
                   k.closestCycle[0], k.closestGapM[1], k.closestCycle[1]));
    }
}

}  // namespace
}  // namespace realserver
