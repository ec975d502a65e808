// Whole matches on the practice pitch: eleven agent processes against eleven agent_alt
// processes, and the practice_server program's output and files.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <unistd.h>

#include "practice_server/practice.h"
#include "support/agent_process.h"
#include "support/quiet_match.h"

namespace {

using practice::Side;

TEST(PracticeScenario, ElevenAgainstElevenPlayOneMinuteAndEndCleanly) {
    practice::Options o = standin::QuietMatch(false);
    o.cycleTimeoutSec = 10.0;
    practice::Match match(o);
    ASSERT_TRUE(match.Listen());
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::unique_ptr<standin::AgentProcess>> agents;
    auto startTeam = [&](const char* program, const std::string& team) {
        for (int n = 1; n <= 11; ++n)
            agents.push_back(std::make_unique<standin::AgentProcess>(
                program, standin::WithPort(match.Port(), {"--teamname=" + team, "--unum=" + std::to_string(n)})));
    };
    // The first team to name itself plays on the left: let Home do so before Away connects.
    startTeam(CORVANE_AGENT_PATH, "Home");
    ASSERT_TRUE(match.WaitForAgents(11, 30.0));
    for (int k = 0; k < 3; ++k) match.Step();
    startTeam(CORVANE_AGENT_ALT_PATH, "Away");
    ASSERT_TRUE(match.WaitForAgents(22, 30.0));
    match.RunFor(60.0 - 3 * 0.02);
    const double wallSec = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    match.Close();
    std::printf("eleven against eleven: %ld cycles in %.1f s of wall time\n", match.Cycle(), wallSec);
    EXPECT_EQ(match.Cycle(), 3000);
    ASSERT_EQ(match.Robots().size(), 22u);
    for (const practice::RobotInfo& r : match.Robots()) {
        EXPECT_EQ(r.silent, 0) << r.team << " " << r.unum;
        EXPECT_GE(r.answered, match.Cycle() - 3) << r.team << " " << r.unum;
        EXPECT_FALSE(r.endedEarly) << r.team << " " << r.unum;
        EXPECT_FALSE(r.sentNonFinite) << r.team << " " << r.unum;
        EXPECT_EQ(r.side, r.team == "Home" ? Side::Left : Side::Right);
    }
    for (auto& a : agents) EXPECT_EQ(a->Wait(20000), 0);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

TEST(PracticeProgram, LogsTheMatchAndWritesTraceAndPicture) {
    char dir[] = "/tmp/corvane-practice-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string trace = std::string(dir) + "/trace.csv", svg = std::string(dir) + "/match.svg";
    const int port = 3400 + int(getpid() % 500);
    standin::AgentProcess server(CORVANE_PRACTICE_PATH,
                                 {"--port=" + std::to_string(port), "--agents=2", "--kickoff-at=0.5", "--game-length=2",
                                  "--push=left:1:front:0.5", "--trace", trace, "--svg=" + svg});
    usleep(300000);
    standin::AgentProcess home(CORVANE_AGENT_PATH, standin::WithPort(port, {"--teamname=Home", "--unum=1"}));
    usleep(300000);  // Home connects first, so it names the left team
    standin::AgentProcess away(CORVANE_AGENT_ALT_PATH, standin::WithPort(port, {"--teamname=Away", "--unum=0"}));
    EXPECT_EQ(server.Wait(60000), 0);
    EXPECT_EQ(home.Wait(20000), 0);
    EXPECT_EQ(away.Wait(20000), 0);
    const std::string out = server.Output();
    EXPECT_NE(out.find("connect team=Home unum=1 type=2 side=left"), std::string::npos) << out;
    EXPECT_NE(out.find("connect team=Away unum=1 type=0 side=right"), std::string::npos) << "number chosen by the server";
    EXPECT_NE(out.find("playmode KickOff_Left"), std::string::npos);
    EXPECT_NE(out.find("t=0.50 push team=Home unum=1 onto=front"), std::string::npos) << out;
    EXPECT_NE(out.find("t=2.00 playmode GameOver"), std::string::npos) << out;
    EXPECT_NE(out.find("TEAM side=left name=Home score=0 players=1"), std::string::npos);
    EXPECT_NE(out.find("AGENT team=Home unum=1 answered="), std::string::npos);
    EXPECT_NE(out.find("silent=0 ended_early=0 nonfinite=0 falls=1"), std::string::npos) << out;
    const std::string csv = ReadFile(trace);
    EXPECT_EQ(csv.rfind("cycle,server_time,game_time,play_mode,object", 0), 0u);
    EXPECT_NE(csv.find(",robot,Away,1,"), std::string::npos);
    EXPECT_NE(ReadFile(svg).find("</svg>"), std::string::npos);
    std::remove(trace.c_str());
    std::remove(svg.c_str());
    rmdir(dir);
}

TEST(PracticeProgram, RejectsBadOptionsAndExplainsItself) {
    standin::AgentProcess bad(CORVANE_PRACTICE_PATH, {"--push=middle:3:back:1"});
    EXPECT_EQ(bad.Wait(5000), 2);
    standin::AgentProcess help(CORVANE_PRACTICE_PATH, {"--help"});
    EXPECT_EQ(help.Wait(5000), 0);
    EXPECT_NE(help.Output().find("not physics"), std::string::npos);
}

}  // namespace
