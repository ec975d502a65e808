// The practice match's rules seen from the wire: who may join, what ends a connection,
// the referee's play modes on scripted ball paths, beams and hearing.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "practice/raw_agent.h"
#include "practice_server/practice.h"
#include "support/quiet_match.h"

namespace {

using practice::Side;
using practice_test::RawAgent;

practice::Options Quiet() {
    practice::Options o = standin::QuietMatch(false);
    o.kickOffAtSec = 100.0;
    return o;
}

// Scripted agents that join with a scene and an init and then answer every message with
// the text the test gives them (nothing by default).
struct Squad {
    explicit Squad(practice::Match& m) : match(m) {}
    practice::Match& match;
    std::vector<std::unique_ptr<RawAgent>> agents;
    std::vector<std::string> inits;
    std::vector<std::string> last;  // last message each received

    int Join(const std::string& team, int unum) {
        agents.push_back(std::make_unique<RawAgent>(match.Port()));
        agents.back()->Scene();
        inits.push_back("(init (unum " + std::to_string(unum) + ")(teamname " + team + "))");
        last.emplace_back();
        return int(agents.size()) - 1;
    }
    // One lock-step cycle; answers[k] (when given) is agent k's effector text.
    void Cycle(const std::vector<std::string>& answers = {}) {
        match.BeginCycle();
        for (size_t k = 0; k < agents.size(); ++k) {
            if (!agents[k]->Receive(last[k], 200)) continue;
            if (!inits[k].empty()) agents[k]->Send(inits[k]);
            inits[k].clear();
            agents[k]->Send(k < answers.size() ? answers[k] : "");
        }
        match.EndCycle();
    }
    void Cycles(int n) {
        for (int k = 0; k < n; ++k) Cycle();
    }
};

TEST(PracticeJoining, RefusesTwelfthPlayerDuplicateNumberAndThirdTeam) {
    practice::Match match(Quiet());
    ASSERT_TRUE(match.Listen());
    Squad squad(match);
    for (int n = 1; n <= 11; ++n) squad.Join("Alpha", n);
    squad.Join("Beta", 4);
    squad.Cycles(2);
    const int twelfth = squad.Join("Alpha", 0);
    const int duplicate = squad.Join("Beta", 4);
    const int third = squad.Join("Gamma", 1);
    squad.Cycles(2);
    EXPECT_TRUE(squad.agents[size_t(twelfth)]->ClosedByServer());
    EXPECT_TRUE(squad.agents[size_t(duplicate)]->ClosedByServer());
    EXPECT_TRUE(squad.agents[size_t(third)]->ClosedByServer());
    squad.Cycles(1);
    ASSERT_NE(match.Robot(Side::Right, 4), nullptr);
    EXPECT_EQ(match.Robot(Side::Right, 4)->team, "Beta");
    EXPECT_TRUE(match.Robot(Side::Right, 4)->connected) << "the first Beta 4 plays on";
    int left = 0;
    for (const auto& r : match.Robots()) left += r.side == Side::Left && r.connected;
    EXPECT_EQ(left, 11);
    EXPECT_EQ(match.Robot(Side::Left, 11)->silent, 0);
}

TEST(PracticeJoining, BadFramesCloseOnlyTheirConnection) {
    practice::Match match(Quiet());
    ASSERT_TRUE(match.Listen());
    Squad squad(match);
    const int good = squad.Join("Alpha", 1);
    const int unbalanced = squad.Join("Alpha", 2);
    const int oversized = squad.Join("Alpha", 3);
    const int control = squad.Join("Alpha", 4);
    squad.Cycles(2);
    squad.Cycle({"", "(lle1 0.5", "", "(say a\x01)"});
    const std::string announcesOneMebibyte("\x00\x10\x00\x00", 4);
    squad.agents[size_t(oversized)]->SendRaw(announcesOneMebibyte + "(lle1 ");
    squad.Cycles(2);
    EXPECT_TRUE(squad.agents[size_t(unbalanced)]->ClosedByServer());
    EXPECT_TRUE(squad.agents[size_t(oversized)]->ClosedByServer());
    EXPECT_TRUE(squad.agents[size_t(control)]->ClosedByServer());
    EXPECT_TRUE(match.Robot(Side::Left, 1)->connected);
    EXPECT_TRUE(match.Robot(Side::Left, 2)->endedEarly);
    // A say text is free bytes: one that spells NaN is no non-finite number.
    squad.Cycle({"(lle1 0.5)(say NaNinfNAN)"});
    EXPECT_FALSE(match.Robot(Side::Left, 1)->sentNonFinite);
    squad.Cycle({"(lle1 nan)"});
    EXPECT_TRUE(match.Robot(Side::Left, 1)->sentNonFinite);
    squad.Cycles(3);
    EXPECT_TRUE(std::isfinite(match.Robot(Side::Left, 1)->x)) << "a nan speed never reaches the pose";
    EXPECT_EQ(squad.last[size_t(good)].find("nan"), std::string::npos);
}

TEST(PracticeJoining, ServerWaitsForLateAnswerAndCountsItSilent) {
    practice::Options o = Quiet();
    o.cycleTimeoutSec = 0.05;
    practice::Match match(o);
    ASSERT_TRUE(match.Listen());
    Squad squad(match);
    squad.Join("Alpha", 1);
    squad.Cycles(2);
    match.BeginCycle();  // nobody answers this one
    match.EndCycle();
    EXPECT_EQ(match.Robot(Side::Left, 1)->silent, 1);
    EXPECT_EQ(match.Robot(Side::Left, 1)->answered, 2);
}

// ---- referee

struct RefereeRun {
    practice::Match match;
    explicit RefereeRun(practice::Options o) : match(o) { match.Listen(); }
    // Steps until the mode changes (at most maxSec), returns the new mode.
    std::string Next(double maxSec = 20.0) {
        const std::string before = match.PlayMode();
        for (long k = 0; k < std::lround(maxSec / 0.02) && match.PlayMode() == before; ++k) {
            match.BeginCycle();
            match.EndCycle();
        }
        return match.PlayMode();
    }
};

TEST(PracticeReferee, KickOffGoalAndKickOffOfTheOtherSide) {
    practice::Options o = Quiet();
    o.kickOffAtSec = 0.5;
    RefereeRun run(o);
    EXPECT_EQ(run.match.PlayMode(), "BeforeKickOff");
    EXPECT_EQ(run.Next(), "KickOff_Left");
    EXPECT_NEAR(run.match.ServerTime(), 0.5, 0.021);
    EXPECT_EQ(run.match.GameTime(), 0.0) << "the game clock waits for the kick-off";
    run.match.PlaceBall(0.0, 0.0, 4.0, 0.0);
    EXPECT_EQ(run.Next(), "PlayOn");
    run.match.PlaceBall(13.0, 0.3, 4.0, 0.0);
    EXPECT_EQ(run.Next(), "Goal_Left");
    EXPECT_EQ(run.match.Score(Side::Left), 1);
    EXPECT_EQ(run.match.Score(Side::Right), 0);
    const double goalAt = run.match.GameTime();
    EXPECT_EQ(run.Next(), "KickOff_Right");
    EXPECT_NEAR(run.match.GameTime() - goalAt, 3.0, 0.03);
    EXPECT_EQ(run.match.Ball().x, 0.0);
    EXPECT_EQ(run.match.Ball().y, 0.0);
    run.match.PlaceBall(0.0, 0.0, -4.0, 0.0);
    EXPECT_EQ(run.Next(), "PlayOn");
    run.match.PlaceBall(-13.0, -0.5, -4.0, 0.0);
    EXPECT_EQ(run.Next(), "Goal_Right");
    EXPECT_EQ(run.match.Score(Side::Right), 1);
}

TEST(PracticeReferee, BallLeavingTheFieldIsPlacedForTheSetPiece) {
    practice::Options o = Quiet();
    RefereeRun run(o);
    run.match.SetPlayMode("PlayOn");
    // Nobody touched it: it counts as the left team's, so the right team throws in.
    run.match.PlaceBall(3.0, 9.5, 0.5, 3.0);
    EXPECT_EQ(run.Next(), "KickIn_Right");
    EXPECT_EQ(run.match.Ball().y, 10.0);
    EXPECT_GT(run.match.Ball().x, 3.0);
    EXPECT_EQ(run.match.Ball().vx, 0.0);
    EXPECT_EQ(run.Next(1.0), "KickIn_Right") << "a set piece waits for the kick";
    run.match.PlaceBall(run.match.Ball().x, 9.9, 0.0, -1.0);
    EXPECT_EQ(run.Next(), "PlayOn");
    run.match.PlaceBall(14.0, 4.0, 3.0, 0.0);
    EXPECT_EQ(run.Next(), "goal_kick_right");
    EXPECT_EQ(run.match.Ball().x, 14.0);
    EXPECT_EQ(run.match.Ball().y, 0.0);
    run.match.SetPlayMode("PlayOn");
    run.match.PlaceBall(-14.0, -4.0, -3.0, 0.0);
    EXPECT_EQ(run.Next(), "corner_kick_right") << "the left team put it over its own line";
    EXPECT_EQ(run.match.Ball().x, -15.0);
    EXPECT_EQ(run.match.Ball().y, -10.0);
}

TEST(PracticeReferee, LastTouchDecidesCornerAndGameEnds) {
    practice::Options o = Quiet();
    o.gameLengthSec = 4.0;
    practice::Match match(o);
    ASSERT_TRUE(match.Listen());
    Squad squad(match);
    squad.Join("Alpha", 1);
    squad.Join("Beta", 5);
    squad.Cycles(2);
    match.SetPlayMode("PlayOn");
    match.PlaceRobot(Side::Right, 5, 14.9, 5.0, 180.0);
    match.PlaceBall(14.98, 4.95, 2.0, 0.0);
    for (int k = 0; k < 20 && match.PlayMode() == "PlayOn"; ++k) squad.Cycle();
    EXPECT_EQ(match.PlayMode(), "corner_kick_left");
    EXPECT_EQ(match.Ball().lastTouchSide, Side::Right);
    EXPECT_EQ(match.Ball().lastTouchUnum, 5);
    EXPECT_EQ(match.Ball().x, 15.0);
    EXPECT_EQ(match.Ball().y, 10.0);
    for (int k = 0; k < 300 && match.PlayMode() != "GameOver"; ++k) squad.Cycle();
    EXPECT_EQ(match.PlayMode(), "GameOver");
    EXPECT_NEAR(match.GameTime(), 4.0, 1e-9);
    EXPECT_FALSE(match.Step()) << "the match closes once the game is over";
    EXPECT_TRUE(squad.agents[0]->ClosedByServer());
    EXPECT_FALSE(match.Robot(Side::Left, 1)->endedEarly);
}

TEST(PracticeReferee, BeamsOnlyBeforeKickOffAndAfterGoalsInTheOwnHalf) {
    practice::Match match(Quiet());
    ASSERT_TRUE(match.Listen());
    Squad squad(match);
    const int left = squad.Join("Alpha", 2);
    const int right = squad.Join("Beta", 3);
    squad.Cycles(2);
    squad.agents[size_t(left)]->Send("(beam 5 2 90)");
    squad.agents[size_t(right)]->Send("(beam -3 1 0)");
    squad.Cycle();
    const practice::RobotInfo* l = match.Robot(Side::Left, 2);
    const practice::RobotInfo* r = match.Robot(Side::Right, 3);
    EXPECT_NEAR(l->x, 0.0, 1e-9) << "x is clamped to the own half";
    EXPECT_NEAR(l->y, 2.0, 1e-9);
    EXPECT_NEAR(l->bodyDeg, 90.0, 1e-9);
    EXPECT_NEAR(r->x, 3.0, 1e-9) << "the right team beams in its own frame";
    EXPECT_NEAR(r->y, -1.0, 1e-9);
    EXPECT_NEAR(std::fabs(r->bodyDeg), 180.0, 1e-9);
    match.SetPlayMode("PlayOn");
    squad.agents[size_t(left)]->Send("(beam -7 -3 0)");
    squad.Cycle();
    EXPECT_NEAR(l->x, 0.0, 1e-9) << "no beams in open play";
    match.SetPlayMode("Goal_Right");
    squad.agents[size_t(left)]->Send("(beam -7 -3 0)");
    squad.Cycle();
    EXPECT_NEAR(l->x, -7.0, 1e-9);
    // A beam the pitch cannot carry out leaves the robot where it is.
    for (const char* bad : {"(beam nan 1 0)", "(beam -5 inf 0)", "(beam -5 1)", "(beam -5 1 -nan)"}) {
        squad.agents[size_t(left)]->Send(bad);
        squad.Cycle();
        EXPECT_NEAR(l->x, -7.0, 1e-9) << bad;
        EXPECT_NEAR(l->y, -3.0, 1e-9) << bad;
    }
}

// ---- hearing

TEST(PracticeHearing, SayReachesEveryoneTwoCyclesLaterWithTheSpeakersBearing) {
    practice::Match match(Quiet());
    ASSERT_TRUE(match.Listen());
    Squad squad(match);
    squad.Join("Blue", 2);
    squad.Join("Blue", 3);
    squad.Join("Red", 2);
    squad.Cycles(2);
    match.PlaceRobot(Side::Left, 2, -3.0, 0.0, 0.0);
    match.PlaceRobot(Side::Left, 3, -1.0, 1.0, 180.0);
    match.PlaceRobot(Side::Right, 2, 1.0, 0.0, 90.0);
    squad.Cycle({"", "(say mate3)(lle1 0)", "(say abcdefghijklmnopqrstu)"});
    squad.Cycle();
    for (const std::string& m : squad.last) EXPECT_EQ(m.find("(hear"), std::string::npos) << "not yet: " << m;
    squad.Cycle();
    EXPECT_NE(squad.last[0].find("(hear Blue 0.00 26.57 mate3)"), std::string::npos) << squad.last[0];
    EXPECT_NE(squad.last[1].find("(hear Blue 0.00 self mate3)"), std::string::npos) << squad.last[1];
    // Red 2 at (1, 0) faces +y of the field: the speaker is at 153.43 degrees from +x, so
    // 63.43 to the left of its body, whatever frame its own team uses.
    EXPECT_NE(squad.last[2].find("(hear Blue 0.00 63.43 mate3)"), std::string::npos) << squad.last[2];
    for (const std::string& m : squad.last) EXPECT_EQ(m.find("abcdefghij"), std::string::npos) << "21 characters";
    squad.Cycle();
    EXPECT_EQ(squad.last[0].find("(hear"), std::string::npos) << "heard once";
}

TEST(PracticeHearing, HostileTextsAreValidHearClauses) {
    practice::Options o = Quiet();
    o.hostileHearPeriodSec = 0.1;
    practice::Match match(o);
    ASSERT_TRUE(match.Listen());
    Squad squad(match);
    squad.Join("Blue", 2);
    int heard = 0;
    for (int k = 0; k < 30; ++k) {
        squad.Cycle();
        const size_t at = squad.last[0].find("(hear Blue ");
        if (at == std::string::npos) continue;
        ++heard;
        const size_t end = squad.last[0].find(')', at);
        const std::string clause = squad.last[0].substr(at, end - at);
        const std::string text = clause.substr(clause.rfind(' ') + 1);
        EXPECT_GE(text.size(), 1u);
        EXPECT_LE(text.size(), 20u);
        EXPECT_EQ(clause.find('('), 0u);
    }
    EXPECT_GE(heard, 4);
}

// ---- vision and falls

TEST(PracticeVision, CameraSeesOnlyWhatLiesInItsViewBothSides) {
    practice::Match match(Quiet());
    ASSERT_TRUE(match.Listen());
    Squad squad(match);
    squad.Join("Blue", 2);
    squad.Join("Red", 2);
    squad.Cycles(3);
    match.PlaceRobot(Side::Left, 2, 0.0, 0.0, 0.0);
    match.PlaceRobot(Side::Right, 2, 0.0, 3.0, 0.0);  // faces the same way, its own goal ahead
    match.PlaceBall(-0.2, 0.0);
    std::string left, right;
    for (int k = 0; k < 3; ++k) {
        squad.Cycle();
        if (squad.last[0].find("(See") != std::string::npos) left = squad.last[0], right = squad.last[1];
    }
    ASSERT_FALSE(left.empty());
    for (const char* ahead : {"(F1R (pol", "(F2R (pol", "(G1R (pol", "(G2R (pol", "(L (pol"})
        EXPECT_NE(left.find(ahead), std::string::npos) << ahead;
    for (const char* behind : {"(F1L", "(F2L", "(G1L", "(G2L", "(B (pol"}) EXPECT_EQ(left.find(behind), std::string::npos) << behind;
    // Landmark names are absolute: the right-team robot looking toward +x sees the same posts.
    for (const char* ahead : {"(F1R (pol", "(G2R (pol"}) EXPECT_NE(right.find(ahead), std::string::npos) << ahead;
    EXPECT_EQ(right.find("(F1L"), std::string::npos);
    EXPECT_EQ(right.find("(P (team Blue) (id 2)"), std::string::npos) << "Blue 2 stands behind it";

    match.PlaceRobot(Side::Left, 2, 0.0, 0.0, 180.0);
    match.PlaceBall(-0.2, 0.0);  // at its feet: below the camera's view
    for (int k = 0; k < 3; ++k) {
        squad.Cycle();
        if (squad.last[0].find("(See") != std::string::npos) left = squad.last[0];
    }
    EXPECT_NE(left.find("(G1L (pol"), std::string::npos);
    EXPECT_EQ(left.find("(G1R"), std::string::npos);
    EXPECT_EQ(left.find("(B (pol"), std::string::npos);
    match.PlaceBall(-2.0, 0.0);
    for (int k = 0; k < 3; ++k) {
        squad.Cycle();
        if (squad.last[0].find("(See") != std::string::npos) left = squad.last[0];
    }
    EXPECT_NE(left.find("(B (pol 2.0"), std::string::npos) << left;
}

TEST(PracticeFalls, PushedRobotLiesUntilItsJointsGoThroughAGetUp) {
    practice::Match match(Quiet());
    ASSERT_TRUE(match.Listen());
    Squad squad(match);
    squad.Join("Blue", 2);
    squad.Cycles(3);
    match.Push(Side::Left, 2, true, 0.0);
    match.SetGetUpFailures(Side::Left, 2, 1);
    squad.Cycles(2);
    ASSERT_TRUE(match.Robot(Side::Left, 2)->lying);
    EXPECT_NE(squad.last[0].find("(ACC (n torso) (a 0.00 9.66 -1.71))"), std::string::npos) << squad.last[0];
    EXPECT_EQ(squad.last[0].find("(FRP"), std::string::npos) << "no foot touches the ground";
    // A get-up as the joints see it: knees bent far and straightened again.
    auto getUp = [&] {
        squad.Cycle({"(lle4 -5)(rle4 -5)"});
        for (int k = 0; k < 17; ++k) squad.Cycle();
        squad.Cycle({"(lle4 5)(rle4 5)"});
        for (int k = 0; k < 17 && match.Robot(Side::Left, 2)->lying; ++k) squad.Cycle();
        squad.Cycle({"(lle4 0)(rle4 0)"});
        squad.Cycles(2);
    };
    getUp();
    EXPECT_TRUE(match.Robot(Side::Left, 2)->lying) << "the first attempt was set to fail";
    getUp();
    const practice::RobotInfo* r = match.Robot(Side::Left, 2);
    EXPECT_FALSE(r->lying);
    EXPECT_EQ(r->falls, 1);
    EXPECT_GT(r->longestLyingSec, 0.5);
    EXPECT_NE(squad.last[0].find("(ACC (n torso) (a 0.00 0.00 9.81))"), std::string::npos);
    bool upLogged = false;
    for (const std::string& e : match.Events()) upLogged = upLogged || e.find("up team=Blue unum=2 lay=") != std::string::npos;
    EXPECT_TRUE(upLogged);
}

}  // namespace
