// The team scripts from an installed team folder against its practice pitch: who
// connects, what the scripts refuse, and that kill.sh ends exactly its own players.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <unistd.h>

#include "team_run.h"

namespace {

using teamrun::Script;
using teamrun::TeamFolder;

const std::vector<std::pair<std::string, std::string>> kQuickStart = {
    {"CORVANE_START_PAUSE", "0.05"}, {"CORVANE_SETTLE", "0.3"}};

size_t CountLines(const std::string& text, const std::string& needle) {
    size_t n = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) ++n;
    return n;
}

bool HasArg(pid_t pid, const std::string& arg) {
    const auto args = teamrun::CommandLine(pid);
    return std::find(args.begin(), args.end(), arg) != args.end();
}

class TeamScripts : public ::testing::Test {
protected:
    static void SetUpTestSuite() { teamrun::AdoptOrphans(); }
    void SetUp() override {
        ASSERT_TRUE(folder.Installed()) << "cmake --install failed";
        ASSERT_FALSE(pitch.Port().empty()) << pitch.Output();
    }
    void TearDown() override {
        for (const std::string& team : teams) teamrun::KillAll(folder.Pids(team));
    }

    std::string Path(const std::string& script) const { return folder.Dir() + "/" + script; }
    std::string Port() const { return pitch.Port(); }
    // A shell command line that becomes the folder's program, connected to `port`.
    std::string Exec(const std::string& port, const std::string& teamOption) const {
        return "exec '" + folder.Dir() + "/agent' --port=" + port + " " + teamOption;
    }
    int Run(const std::string& script, const std::vector<std::string>& args, std::string* out = nullptr,
            const std::vector<std::pair<std::string, std::string>>& env = kQuickStart) {
        Script s(Path(script), args, env);
        const int status = s.Wait();
        if (out) *out = s.Output();
        return status;
    }
    // Runs kill.sh while its players are reaped; returns their exit statuses.
    std::vector<int> Kill(const std::string& team, int* killStatus, double* seconds,
                          std::vector<pid_t> pids = {}) {
        if (pids.empty()) pids = folder.Pids(team);
        const auto start = std::chrono::steady_clock::now();
        Script kill(Path("kill.sh"), {team});
        const auto statuses = teamrun::ReapAll(pids, 10000);
        *killStatus = kill.Wait();
        *seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        return statuses;
    }

    TeamFolder folder;
    teamrun::PracticePitch pitch{folder.Dir()};
    std::vector<std::string> teams;
};

}  // namespace

TEST_F(TeamScripts, StartsElevenOnThePracticePitchAndKillEndsExactlyThoseCleanly) {
    teams = {"Blue"};
    // Same program and team name, not started by the script: kill.sh must not touch it.
    teamrun::PracticePitch elsewhere(folder.Dir());
    Script decoy("-c", {Exec(elsewhere.Port(), "--teamname=Blue")});
    ASSERT_EQ(elsewhere.Connects(1).size(), 1u) << elsewhere.Output();

    // The pitch runs from the first player on, so only the pause keeps them in order.
    std::string out;
    ASSERT_EQ(Run("start.sh", {"127.0.0.1", Port(), "Blue"}, &out, {{"CORVANE_START_PAUSE", "0.2"}}),
              0) << out;
    EXPECT_EQ(CountLines(out, "started agent "), 11u) << out;
    const auto connects = pitch.Connects(11);
    ASSERT_EQ(connects.size(), 11u) << pitch.Output();
    for (int unum = 1; unum <= 11; ++unum) {
        const std::string& line = connects[unum - 1];
        EXPECT_NE(line.find("team=Blue unum=" + std::to_string(unum) + " "), std::string::npos)
            << line;
    }
    const auto pids = folder.Pids("Blue");
    ASSERT_EQ(pids.size(), 11u);
    for (pid_t pid : pids) EXPECT_TRUE(teamrun::IsRunning(pid)) << pid;
    EXPECT_NE(teamrun::ReadFile(folder.Dir() + "/logs/Blue_11.log").find("Start Playing"),
              std::string::npos);

    int killStatus = -1;
    double seconds = 0;
    const auto statuses = Kill("Blue", &killStatus, &seconds);
    EXPECT_EQ(killStatus, 0);
    EXPECT_EQ(statuses, std::vector<int>(11, 0));  // interrupted, each after a whole cycle
    EXPECT_LT(seconds, 3.0);
    EXPECT_NE(access(folder.PidFile("Blue").c_str(), F_OK), 0);
    EXPECT_FALSE(decoy.Done()) << "the decoy was stopped";
    EXPECT_EQ(pitch.Stop(), 0);
    EXPECT_EQ(CountLines(pitch.Output(), "AGENT team=Blue"), 11u) << pitch.Output();
}

TEST_F(TeamScripts, RefusesARunningTeamOfTheSameNameAndAMissingProgram) {
    teams = {"Red"};
    ASSERT_EQ(Run("start_penalty_goalie.sh", {"127.0.0.1", Port(), "Red"}), 0);
    const auto pids = folder.Pids("Red");
    ASSERT_EQ(pids.size(), 1u);

    std::string out;
    EXPECT_EQ(Run("start.sh", {"127.0.0.1", Port(), "Red"}, &out), 1);
    EXPECT_NE(out.find("team Red is still running"), std::string::npos) << out;
    EXPECT_EQ(folder.Pids("Red"), pids);  // the running team's pid file is kept

    unlink((folder.Dir() + "/agent_alt").c_str());
    EXPECT_EQ(Run("start.sh", {"--alt", "127.0.0.1", Port(), "Green"}, &out), 1);
    EXPECT_NE(out.find("agent_alt is missing"), std::string::npos) << out;
    EXPECT_EQ(access(folder.PidFile("Green").c_str(), F_OK), -1);
    EXPECT_EQ(pitch.Connects(2, 1000).size(), 1u);  // nothing else was started
}

TEST_F(TeamScripts, ArgumentsThatCannotWorkAreRefusedBeforeAnythingStarts) {
    const std::vector<std::vector<std::string>> bad = {
        {"localhost"}, {"127.0.0.256"}, {"127.0.0.1", "0"}, {"127.0.0.1", "70000"},
        {"127.0.0.1", "31x"}, {"127.0.0.1", "3100", "../../etc"}, {"127.0.0.1", "3100", "a b"},
        {"127.0.0.1", "3100", "T", "extra"}};
    for (const auto& args : bad) {
        std::string out;
        EXPECT_EQ(Run("start.sh", args, &out), 1) << args.back();
        EXPECT_EQ(CountLines(out, "started"), 0u) << out;
    }
    std::string out;
    EXPECT_EQ(Run("kill.sh", {"../x"}, &out), 1) << out;
    EXPECT_EQ(Run("start.sh", {}, &out, {{"CORVANE_START_PAUSE", "soon"}}), 1) << out;
    EXPECT_EQ(Run("start.sh", {}, &out, {{"CORVANE_AGENT", "/bin/sh"}}), 1) << out;
}

TEST_F(TeamScripts, PlayersThatCannotConnectMakeTheStartFail) {
    teams = {"Nobody"};
    std::string out;
    const std::string closedPort = std::to_string(teamrun::FreePort());
    EXPECT_EQ(Run("start.sh", {"127.0.0.1", closedPort, "Nobody"}, &out), 1);
    EXPECT_EQ(CountLines(out, "ended at start-up with status 1"), 11u) << out;
    // The pids are gone now; kill.sh says so and has nothing to stop.
    EXPECT_EQ(Run("kill.sh", {"Nobody"}, &out), 0);
    EXPECT_EQ(CountLines(out, "left alone"), 11u) << out;
    EXPECT_EQ(Run("kill.sh", {"Nobody"}, &out), 0);
    EXPECT_NE(out.find("not running"), std::string::npos) << out;
}

TEST_F(TeamScripts, StalePidsThatBelongToOtherProgramsAreLeftAlone) {
    teams = {"Stale"};
    Script other("-c", {"exec sleep 30"});
    Script otherTeam("-c", {Exec(Port(), "--teamname=Others")});
    ASSERT_EQ(pitch.Connects(1).size(), 1u);
    ASSERT_EQ(Run("start_penalty_kicker.sh", {"127.0.0.1", Port(), "Stale"}), 0);
    const pid_t kicker = folder.Pids("Stale").at(0);
    // As if the pid file had outlived its players and their pids had been reused.
    const std::string lines = std::to_string(other.Pid()) + "\n" + std::to_string(otherTeam.Pid()) +
                              "\n" + std::to_string(kicker) + "\n";
    FILE* f = fopen(folder.PidFile("Stale").c_str(), "w");
    fputs(lines.c_str(), f);
    fclose(f);

    int killStatus = -1;
    double seconds = 0;
    EXPECT_EQ(Kill("Stale", &killStatus, &seconds, {kicker}), std::vector<int>{0});
    EXPECT_EQ(killStatus, 0);
    EXPECT_FALSE(other.Done()) << "a stranger was signalled";
    EXPECT_FALSE(otherTeam.Done()) << "another team's player was signalled";
    EXPECT_NE(access(folder.PidFile("Stale").c_str(), F_OK), 0);
}

TEST_F(TeamScripts, PenaltyScriptsStartNumberOneInTheirMode) {
    teams = {"Kick", "Keep"};
    ASSERT_EQ(Run("start_penalty_kicker.sh", {"127.0.0.1", Port(), "Kick"}), 0);
    ASSERT_EQ(Run("start_penalty_goalie.sh", {"127.0.0.1", Port(), "Keep"}), 0);
    const auto connects = pitch.Connects(2);
    ASSERT_EQ(connects.size(), 2u) << pitch.Output();
    const pid_t kicker = folder.Pids("Kick").at(0);
    const pid_t keeper = folder.Pids("Keep").at(0);
    EXPECT_TRUE(HasArg(kicker, "--penaltyattacker") && HasArg(kicker, "--unum=1"));
    EXPECT_FALSE(HasArg(kicker, "--penaltykeeper"));
    EXPECT_TRUE(HasArg(keeper, "--penaltykeeper") && HasArg(keeper, "--unum=1"));
    EXPECT_FALSE(HasArg(keeper, "--penaltyattacker"));
    for (const auto& line : connects) EXPECT_NE(line.find(" unum=1 "), std::string::npos) << line;
    EXPECT_NE(access((folder.Dir() + "/logs/Kick_kicker.log").c_str(), F_OK), -1);
    EXPECT_NE(access((folder.Dir() + "/logs/Keep_goalie.log").c_str(), F_OK), -1);
}

TEST_F(TeamScripts, MovedFolderRunsTheAltProgramFromAnyDirectory) {
    teams = {"Moved"};
    folder.MoveTo("competition copy");  // a blank in the path as well
    std::vector<std::pair<std::string, std::string>> env = kQuickStart;
    env.push_back({"CORVANE_AGENT", "agent_alt"});
    Script start(Path("start.sh"), {"127.0.0.1", Port(), "Moved"}, env, "/tmp");
    ASSERT_EQ(start.Wait(), 0) << start.Output();
    ASSERT_EQ(pitch.Connects(11).size(), 11u) << pitch.Output();
    const auto pids = folder.Pids("Moved");
    ASSERT_EQ(pids.size(), 11u);
    EXPECT_EQ(teamrun::CommandLine(pids[0]).at(0), folder.Dir() + "/agent_alt");

    int killStatus = -1;
    double seconds = 0;
    EXPECT_EQ(Kill("Moved", &killStatus, &seconds), std::vector<int>(11, 0));
    EXPECT_EQ(killStatus, 0);
}

TEST(TeamFolderPrograms, NeedNothingButTheCLibrary) {
    TeamFolder folder;
    ASSERT_TRUE(folder.Installed());
    for (const char* program : {"agent", "agent_alt", "motion_probe", "practice_server"}) {
        const std::string cmd = "readelf -d '" + folder.Dir() + "/" + program + "' | grep NEEDED";
        FILE* p = popen(cmd.c_str(), "r");
        std::string needed;
        for (char buf[256]; fgets(buf, sizeof buf, p);) needed += buf;
        pclose(p);
        if (needed.find("libasan") != std::string::npos) GTEST_SKIP() << "sanitizer build";
        EXPECT_EQ(needed.find("libstdc++"), std::string::npos) << program << "\n" << needed;
        EXPECT_EQ(needed.find("libgcc_s"), std::string::npos) << program << "\n" << needed;
        EXPECT_NE(needed.find("libc.so"), std::string::npos) << program << "\n" << needed;
    }
}
