// Whole games on the practice pitch with the real programs, each player its own process:
// eleven `agent` against eleven `agent_alt`, and the penalty shoot-out. CI plays short
// games; CORVANE_GAME_SECONDS and CORVANE_PENALTY_TRIES ask for the long ones by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "practice_server/practice.h"
#include "support/agent_process.h"
#include "support/quiet_match.h"

namespace {

using practice::Side;

double EnvOr(const char* name, double fallback) {
    const char* text = std::getenv(name);
    return text != nullptr ? std::atof(text) : fallback;
}

// Where each number stands at our kick-off and after our goal, own frame (the dispatcher's
// tables; the taker's place varies by centimetres with the game time).
struct Spot {
    double x, y;
};
const Spot kKickOff[12] = {{0, 0},      {-15, 0},   {-13, 1.7}, {-13, -1.7}, {-10.5, 2.5}, {-9.5, 0},
                           {-10.5, -2.5}, {-1, 1.3}, {-1, -1.3}, {-0.15, 0}, {-2, 1.7},   {-2, -1.7}};
const Spot kAfterOurGoal[12] = {{0, 0},     {-15, 0},     {-12, 2.3},   {-12, -2.3}, {-9, 3},  {-7.5, 0},
                                {-9, -3},   {-0.2, 2.5},  {-0.2, -2.5}, {-2.25, 0},  {-2, 4},  {-2, -4}};

class Squad {
public:
    Squad(const char* program, const std::string& team, int port, std::vector<int> unums,
          const std::vector<std::string>& extra = {}) {
        for (int unum : unums) {
            std::vector<std::string> args = {"--unum=" + std::to_string(unum), "--teamname=" + team};
            args.insert(args.end(), extra.begin(), extra.end());
            players_.push_back(std::make_unique<standin::AgentProcess>(program, standin::WithPort(port, args)));
        }
    }
    // Every process ended by itself with status 0 once the pitch closed.
    int CleanExits() {
        int clean = 0;
        for (auto& p : players_) clean += p->Wait(20000) == 0;
        return clean;
    }

private:
    std::vector<std::unique_ptr<standin::AgentProcess>> players_;
};

// Connects one team after the other, so that the first named is the left team.
void Connect(practice::Match& match, int first, int total) {
    ASSERT_TRUE(match.WaitForAgents(first, 20));
    for (int i = 0; i < 3; ++i) match.Step();
    if (total > first) {
        ASSERT_TRUE(match.WaitForAgents(total, 20));
    }
}

// A robot on its table place: field frame, mirrored for the right team.
bool OnSpot(const practice::RobotInfo& r, const Spot (&table)[12]) {
    const double s = r.side == Side::Left ? 1 : -1;
    const Spot& spot = table[r.unum];
    return std::hypot(r.x - s * spot.x, r.y - s * spot.y) < 0.15;
}

int CountOnSpot(const practice::Match& match, Side side, const Spot (&table)[12]) {
    int n = 0;
    for (const practice::RobotInfo& r : match.Robots())
        if (r.side == side && OnSpot(r, table)) ++n;
    return n;
}

double NearestDist(const practice::Match& match, Side* side, int* unum) {
    const practice::BallInfo ball = match.Ball();
    double best = 1e9;
    for (const practice::RobotInfo& r : match.Robots()) {
        const double d = std::hypot(r.x - ball.x, r.y - ball.y);
        if (d < best) {
            best = d;
            if (side) *side = r.side;
            if (unum) *unum = r.unum;
        }
    }
    return best;
}

// Mode names end in "_Left"/"_Right" or, for corners and goal kicks, "_left"/"_right".
bool EndsWith(const std::string& s, const std::string& tail) {
    if (s.size() < tail.size()) return false;
    for (size_t i = 0; i < tail.size(); ++i)
        if (std::tolower(s[s.size() - tail.size() + i]) != std::tolower(tail[i])) return false;
    return true;
}

// A set piece of one side: who should take it, and who touched the ball first.
struct SetPiece {
    std::string mode;
    Side side;
    int taker;
    double startSec = 0, touchSec = 0;
    int firstTouch = 0;
    Side firstTouchSide = Side::Left;
};

struct GameFigures {
    int beamsChecked = 0, beamsOnSpot = 0;
    // The kick-off's first touch: by whom, and the ball's speed towards the opponent goal.
    int kickOffToucher = 0;
    bool kickOffTouchOwnSide = false;
    double kickOffForwardSpeed = 0;
    double lonelySec = 0, playSec = 0;
    std::vector<SetPiece> setPieces;
};

class GameWatch {
public:
    explicit GameWatch(practice::Match& match) : match_(match) {}

    void Observe() {
        const std::string mode = match_.PlayMode();
        if (mode != lastMode_) ModeChanged(mode);
        const practice::BallInfo ball = match_.Ball();
        touchUnumBefore_ = touchUnum_;
        touchSideBefore_ = touchSide_;
        touchUnum_ = ball.lastTouchUnum;
        touchSide_ = ball.lastTouchSide;
        if (mode == "PlayOn") {
            figures.playSec += 0.02;
            if (NearestDist(match_, nullptr, nullptr) > 1.0) figures.lonelySec += 0.02;
        }
        if (kickOffPending_ && ball.lastTouchUnum != 0 &&
            (ball.lastTouchUnum != touchUnumBefore_ || ball.lastTouchSide != touchSideBefore_)) {
            figures.kickOffToucher = ball.lastTouchUnum;
            figures.kickOffTouchOwnSide = ball.lastTouchSide == kickOffSide_;
            figures.kickOffForwardSpeed = (kickOffSide_ == Side::Left ? 1 : -1) * ball.vx;
            kickOffPending_ = false;
        }
        lastMode_ = mode;
    }

    GameFigures figures;

private:
    std::vector<SetPiece>& setPieces() { return figures.setPieces; }

    void ModeChanged(const std::string& mode) {
        // Leaving the placing modes: everyone should stand on its table place.
        if (lastMode_ == "BeforeKickOff") CheckSpots(Side::Left, kKickOff, Side::Right, kKickOff);
        if (lastMode_ == "Goal_Left") CheckSpots(Side::Left, kAfterOurGoal, Side::Right, kKickOff);
        if (lastMode_ == "Goal_Right") CheckSpots(Side::Right, kAfterOurGoal, Side::Left, kKickOff);
        if (figures.kickOffToucher == 0 && (mode == "KickOff_Left" || mode == "KickOff_Right")) {
            kickOffPending_ = true;
            kickOffSide_ = EndsWith(mode, "Left") ? Side::Left : Side::Right;
        }
        const bool ours = EndsWith(mode, "_Left") || EndsWith(mode, "_Right");
        if (ours && mode.rfind("KickOff", 0) != 0 && mode.rfind("Goal_", 0) != 0) StartSetPiece(mode);
        if (!setPieces().empty() && lastMode_ == setPieces().back().mode && mode == "PlayOn") TakeSetPiece();
    }

    void CheckSpots(Side a, const Spot (&ta)[12], Side b, const Spot (&tb)[12]) {
        figures.beamsOnSpot += CountOnSpot(match_, a, ta) + CountOnSpot(match_, b, tb);
        figures.beamsChecked += 22;
    }

    void StartSetPiece(const std::string& mode) {
        setPieces().push_back(SetPiece{mode, EndsWith(mode, "Left") ? Side::Left : Side::Right, 0, match_.GameTime()});
    }

    // The ball has moved: taken by the last toucher (a second touch by the same player
    // leaves no change to see). Goal kicks are the keeper's; throw-ins and corners its
    // side's player nearest to the ball (the team's ranking, judged here by distance).
    void TakeSetPiece() {
        SetPiece& sp = setPieces().back();
        const practice::BallInfo ball = match_.Ball();
        sp.firstTouch = ball.lastTouchUnum;
        sp.firstTouchSide = ball.lastTouchSide;
        sp.touchSec = match_.GameTime();
        sp.taker = 1;
        if (sp.mode.rfind("goal_kick", 0) == 0) return;
        double best = 1e9;
        for (const practice::RobotInfo& r : match_.Robots()) {
            const double d = std::hypot(r.x - ball.x, r.y - ball.y);
            if (r.side == sp.side && d < best) {
                best = d;
                sp.taker = r.unum;
            }
        }
    }

    practice::Match& match_;
    std::string lastMode_;
    bool kickOffPending_ = false;  // the first kick-off, until its first touch
    Side kickOffSide_ = Side::Left;
    int touchUnum_ = 0, touchUnumBefore_ = 0;
    Side touchSide_ = Side::Left, touchSideBefore_ = Side::Left;
};

int Touches(const practice::Match& match, const std::string& team) {
    int n = 0;
    for (const std::string& e : match.Events())
        if (e.find(" touch team=" + team + " ") != std::string::npos) ++n;
    return n;
}

TEST(Game, AgentAgainstAgentAltElevenEach) {
    const double seconds = EnvOr("CORVANE_GAME_SECONDS", 60);
    practice::Options options = standin::QuietMatch(false);
    options.seed = 7;
    options.gameLengthSec = seconds + 60;
    options.cycleTimeoutSec = 10;
    practice::Match match(options);
    ASSERT_TRUE(match.Listen());
    std::vector<int> all;
    for (int u = 1; u <= 11; ++u) all.push_back(u);
    Squad home(CORVANE_AGENT_PATH, "Home", match.Port(), all);
    Connect(match, 11, 11);
    Squad away(CORVANE_AGENT_ALT_PATH, "Away", match.Port(), all);
    Connect(match, 22, 22);
    // Two pushes per team, one onto the back and one onto the front.
    match.Push(Side::Left, 5, true, 8);
    match.Push(Side::Left, 10, false, 17);
    match.Push(Side::Right, 6, false, 9);
    match.Push(Side::Right, 11, true, 18);

    // The ball put out over a touch line and both goal lines, and once into a goal, so that
    // even a short game has throw-ins, corner or goal kicks, and beams after a goal.
    struct Placement {
        double atSec, x, y, vx;
        bool done;
    };
    Placement placements[] = {{12, 4, 10.3, 0, false},
                              {20, -15.3, 4, 0, false},
                              {28, 14.6, 0.3, 2.0, false},
                              {36, 15.3, -4, 0, false}};
    GameWatch watch(match);
    while (match.GameTime() < seconds && match.Step()) {
        watch.Observe();
        for (Placement& p : placements) {
            if (p.done || match.GameTime() < p.atSec || match.PlayMode() != "PlayOn") continue;
            match.PlaceBall(p.x, p.y, p.vx, 0);
            p.done = true;
            break;
        }
    }
    match.Close();

    const GameFigures& f = watch.figures;
    // The opponent plays a set piece as open play, and nothing on the pitch keeps it away.
    int setPiecesByTaker = 0, setPiecesTouched = 0, setPiecesByOpponent = 0;
    for (const SetPiece& sp : f.setPieces) {
        if (sp.firstTouch == 0) continue;
        if (sp.firstTouchSide != sp.side) {
            ++setPiecesByOpponent;
            continue;
        }
        ++setPiecesTouched;
        if (sp.firstTouch == sp.taker) ++setPiecesByTaker;
    }
    std::printf("[figures] %.0f s: score %d:%d, touches home %d away %d, nobody within 1 m %.1f of %.1f s play\n",
                seconds, match.Score(Side::Left), match.Score(Side::Right), Touches(match, "Home"),
                Touches(match, "Away"), f.lonelySec, f.playSec);
    std::printf("[figures] on the table place after beaming %d of %d; kick-off first touched by %s %d, ball %.2f m/s "
                "forward\n",
                f.beamsOnSpot, f.beamsChecked, f.kickOffTouchOwnSide ? "the kicking side's" : "the opponent's",
                f.kickOffToucher, f.kickOffForwardSpeed);
    std::printf("[figures] set pieces %zu: taken by the kicking side %d (by the named taker %d), by the opponent %d\n",
                f.setPieces.size(), setPiecesTouched, setPiecesByTaker, setPiecesByOpponent);
    for (const SetPiece& sp : f.setPieces)
        std::printf("[figures]   %s at %.1f s: taker %d, first touch %s %d after %.1f s\n", sp.mode.c_str(),
                    sp.startSec, sp.taker, sp.firstTouchSide == Side::Left ? "left" : "right", sp.firstTouch,
                    sp.touchSec - sp.startSec);
    int falls = 0;
    for (const practice::RobotInfo& r : match.Robots()) {
        EXPECT_EQ(r.silent, 0) << r.team << " " << r.unum;
        EXPECT_FALSE(r.endedEarly) << r.team << " " << r.unum;
        EXPECT_FALSE(r.sentNonFinite) << r.team << " " << r.unum;
        EXPECT_FALSE(r.lying) << r.team << " " << r.unum;
        falls += r.falls;
        if (r.falls > 0)
            std::printf("[figures]   %s %d fell %d, longest lying %.2f s\n", r.team.c_str(), r.unum, r.falls,
                        r.longestLyingSec);
    }
    std::printf("[figures] falls %d\n", falls);
    EXPECT_EQ(f.beamsOnSpot, f.beamsChecked);
    EXPECT_EQ(setPiecesByTaker, setPiecesTouched);
    EXPECT_TRUE(f.kickOffTouchOwnSide);
    EXPECT_EQ(f.kickOffToucher, 9);
    EXPECT_GT(f.kickOffForwardSpeed, 0.0);
    EXPECT_GE(falls, 4);
    EXPECT_GT(Touches(match, "Home") + Touches(match, "Away"), 2);
    EXPECT_EQ(home.CleanExits(), 11);
    EXPECT_EQ(away.CleanExits(), 11);
}

// One try: the attacker starts behind the ball at the centre, the keeper on its goal line.
struct TryResult {
    bool scored = false;
    double seconds = 0;
    int keeperOutsideCycles = 0;
    std::string ended;
};

TryResult PenaltyTry(uint64_t seed, double limitSec) {
    practice::Options options = standin::QuietMatch(false);
    options.seed = seed;
    options.visionNoise = true;
    options.kickOffAtSec = 2;
    options.gameLengthSec = limitSec + 10;
    practice::Match match(options);
    TryResult result;
    if (!match.Listen()) return result;
    Squad attacker(CORVANE_AGENT_PATH, "Shooter", match.Port(), {1}, {"--penaltyattacker"});
    Connect(match, 1, 1);
    Squad keeper(CORVANE_AGENT_PATH, "Keeper", match.Port(), {1}, {"--penaltykeeper"});
    Connect(match, 2, 2);
    bool playing = false;
    while (match.GameTime() < limitSec && match.Step()) {
        const std::string mode = match.PlayMode();
        if (mode == "PlayOn") playing = true;
        if (const practice::RobotInfo* k = match.Robot(Side::Right, 1)) {
            // The goal area: 1.8 m deep, 3.9 m wide, with a little slack for the dive.
            if (playing && (k->x < 15 - 2.0 || std::fabs(k->y) > 2.2)) ++result.keeperOutsideCycles;
        }
        if (playing && mode != "PlayOn") {
            result.ended = mode;
            break;
        }
    }
    result.scored = match.Score(Side::Left) > 0;
    result.seconds = match.GameTime();
    if (result.ended.empty()) result.ended = "time";
    match.Close();
    EXPECT_EQ(attacker.CleanExits(), 1);
    EXPECT_EQ(keeper.CleanExits(), 1);
    return result;
}

TEST(Game, PenaltyShootOut) {
    const int tries = static_cast<int>(EnvOr("CORVANE_PENALTY_TRIES", 1));
    int goals = 0, keeperOutside = 0;
    for (int k = 0; k < tries; ++k) {
        const TryResult r = PenaltyTry(100 + k, 120);
        goals += r.scored;
        keeperOutside += r.keeperOutsideCycles;
        std::printf("[figures] try %d: %s after %.1f s (%s), keeper outside its area %d cycles\n", k,
                    r.scored ? "goal" : "no goal", r.seconds, r.ended.c_str(), r.keeperOutsideCycles);
    }
    std::printf("[figures] penalties scored %d of %d\n", goals, tries);
    EXPECT_EQ(keeperOutside, 0);
}

}  // namespace
