// Team soak on the practice pitch: eleven agent against eleven agent_alt processes with
// seeded ball placements, pushes every 30 s and a hostile hear text every second. Every
// process answers every cycle, none ends early, nothing non-finite goes out, and each
// agent's resident memory stays flat. Ten simulated minutes; two under the sanitizers.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iostream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "practice_server/practice.h"
#include "support/agent_process.h"
#include "support/quiet_match.h"

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

constexpr double kGameSec = kSanitized ? 120.0 : 600.0;
constexpr double kPushPeriodSec = 30.0;
constexpr double kBallPlacementPeriodSec = 20.0;
constexpr double kMemorySamplePeriodSec = 30.0;
constexpr double kWarmSec = 60.0;       // memory before this is start-up, not drift
constexpr double kLastSampleSec = kGameSec - 2.0;  // the pitch closes every link at the end
constexpr long kRssGoalKb = 8 * 1024;   // for the plain build; sanitizers carry their own heap
constexpr long kRssDriftKb = 256;       // page-granular noise, far below any per-cycle leak

// VmRSS or VmHWM of a process in kB; -1 when it is gone.
long StatusKb(pid_t pid, const std::string& field) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(in, line);)
        if (line.compare(0, field.size() + 1, field + ":") == 0) return std::stol(line.substr(field.size() + 1));
    return -1;
}

struct Player {
    std::string team;
    int unum;
    std::unique_ptr<standin::AgentProcess> process;
    long warmRssKb = -1, lastRssKb = -1, hwmKb = -1;
};

// Who gets pushed when: a different player of alternating sides, front and back in turn.
void SchedulePushes(practice::Match& match) {
    int k = 0;
    for (double t = kPushPeriodSec; t < kGameSec; t += kPushPeriodSec, ++k) {
        const practice::Side side = k % 2 ? practice::Side::Right : practice::Side::Left;
        match.Push(side, 2 + (k / 2) % 10, k % 4 < 2, t);
    }
}

void SampleMemory(std::vector<Player>& players, bool warm) {
    for (Player& p : players) {
        const pid_t pid = p.process->Pid();
        p.lastRssKb = StatusKb(pid, "VmRSS");
        p.hwmKb = std::max(p.hwmKb, StatusKb(pid, "VmHWM"));
        if (warm && p.warmRssKb < 0) p.warmRssKb = p.lastRssKb;
    }
}

TEST(TeamSoak, TwentyTwoAgentsPlayThroughHostileTextsAndPushes) {
    practice::Options options = standin::QuietMatch(false);
    options.seed = 20261208;
    options.gameLengthSec = kGameSec;
    options.hostileHearPeriodSec = 1.0;
    practice::Match match(options);
    ASSERT_TRUE(match.Listen());

    std::vector<Player> players;
    for (int side = 0; side < 2; ++side) {
        for (int unum = 1; unum <= 11; ++unum) {
            Player p{side == 0 ? "Corvane" : "CorvaneAlt", unum, nullptr};
            p.process = std::make_unique<standin::AgentProcess>(
                side == 0 ? CORVANE_AGENT_PATH : CORVANE_AGENT_ALT_PATH,
                standin::WithPort(match.Port(), {"--teamname=" + p.team, "--unum=" + std::to_string(unum)}));
            players.push_back(std::move(p));
        }
    }
    ASSERT_TRUE(match.WaitForAgents(22, 30.0));
    SchedulePushes(match);

    std::mt19937_64 rng(options.seed);
    std::uniform_real_distribution<double> ballX(-13.0, 13.0), ballY(-9.0, 9.0);
    double nextBall = kBallPlacementPeriodSec, nextSample = kMemorySamplePeriodSec;
    while (match.GameTime() < kLastSampleSec && match.Step()) {
        if (match.GameTime() >= nextBall) {
            match.PlaceBall(ballX(rng), ballY(rng));
            nextBall += kBallPlacementPeriodSec;
        }
        if (match.GameTime() >= nextSample) {
            SampleMemory(players, match.GameTime() >= kWarmSec);
            nextSample += kMemorySamplePeriodSec;
        }
    }
    SampleMemory(players, true);
    while (match.Step()) {
    }
    const long cycles = match.Cycle();
    const std::vector<std::string> summary = match.SummaryLines();
    match.Close();

    for (const std::string& line : summary) std::cout << line << "\n";
    EXPECT_EQ(std::count_if(summary.begin(), summary.end(),
                            [](const std::string& l) { return l.rfind("AGENT ", 0) == 0; }), 22);
    for (const std::string& line : summary) {
        if (line.rfind("AGENT ", 0) != 0) continue;
        EXPECT_NE(line.find(" silent=0 "), std::string::npos) << line;
        EXPECT_NE(line.find(" ended_early=0 "), std::string::npos) << line;
        EXPECT_NE(line.find(" nonfinite=0"), std::string::npos) << line;
    }
    for (Player& p : players) {
        std::cout << "MEMORY team=" << p.team << " unum=" << p.unum << " rss_warm_kb=" << p.warmRssKb
                  << " rss_end_kb=" << p.lastRssKb << " hwm_kb=" << p.hwmKb << " cycles=" << cycles << "\n";
        EXPECT_EQ(p.process->Wait(10000), 0) << p.team << " " << p.unum;
        EXPECT_GT(p.warmRssKb, 0) << p.team << " " << p.unum;
        EXPECT_GT(p.lastRssKb, 0) << p.team << " " << p.unum;
        EXPECT_LE(p.lastRssKb - p.warmRssKb, kRssDriftKb) << p.team << " " << p.unum;
        if (!kSanitized) {
            EXPECT_LT(p.hwmKb, kRssGoalKb) << p.team << " " << p.unum;
        }
    }
}

}  // namespace
