// Falls in open play on the real server: a short match of a few robots a side, every fall
// sorted by ground truth (another robot close in the second before it or not) and by the
// agent's motion trace (the big kick and the keeper's dive end on the ground by design).
#include <algorithm>
#include <cstdlib>
#include <map>

#include "realserver/realserver.h"
#include "rcss/match.h"

namespace realserver {
namespace {

// Issue 25 mended the falls in open play: 3 of 3 real-time runs held (falls alone 0.50, 0 and
// 0 per robot per 150 s, longest lying 2.8, 2.8 and 1.8 s; machine load 4 to 7). Before the
// mend a type-1 robot lay up to 16 s.
constexpr int kOpenPlayFallsIssue = 0;
constexpr double kGoalFallsPer150Sec = 1.0;
constexpr double kGoalLongestLyingSec = 8.0;
// A fall this soon after the last cycle of a designed fall's motion is that motion's.
constexpr double kDesignedFallWindowSec = 2.5;

// Game times of the cycles that played a motion which ends on the ground, per player name.
std::map<std::string, std::vector<double>> DesignedFallMotions(const std::vector<rcss::ProcessEnd>& processes) {
    std::map<std::string, std::vector<double>> out;
    for (const rcss::ProcessEnd& p : processes) {
        out[p.name] = ReadLines<double>(p.output, [](const std::string& line, double& t) {
            const size_t at = line.find(" kf=");
            if (line.compare(0, 4, "M t=") != 0 || at == std::string::npos) return false;
            t = std::atof(line.c_str() + 4);
            const std::string motion = line.substr(at + 4, line.find(' ', at + 4) - at - 4);
            return motion == "BigKick" || motion == "Dive";
        });
    }
    return out;
}

bool AfterDesignedMotion(const std::vector<double>& motionTimes, double fallSec) {
    return std::any_of(motionTimes.begin(), motionTimes.end(), [fallSec](double t) {
        return t <= fallSec && fallSec - t <= kDesignedFallWindowSec;
    });
}

TEST(Falls, FallsPerRobotWithoutContactInAShortMatch) {
    const std::string why = WhyNoServer();
    if (!why.empty()) GTEST_SKIP() << why;
    rcss::MatchOptions match;
    match.left = {"Main", CORVANE_AGENT_PATH, ""};
    match.right = {"Alt", CORVANE_AGENT_ALT_PATH, ""};
    // The keeper, a type-2 and a type-1 defender, the type-0 kick-off taker and a forward.
    for (rcss::TeamSpec* team : {&match.left, &match.right}) {
        team->unums = {1, 2, 3, 9, 10};
        team->extraArgs = {"--motionlog"};
    }
    match.gameSeconds = 60;
    const rcss::MatchResult r = rcss::PlayMatch(OptionsFromEnvironment(), match);
    ASSERT_TRUE(r.Ok()) << r.error;
    const auto designed = DesignedFallMotions(r.processes);
    int alone = 0, contact = 0, byDesign = 0;
    std::string list;
    for (const rcss::Fall& f : r.tally.FallEvents()) {
        const std::string name = (f.side == TeamSide::Left ? "Main_" : "Alt_") + std::to_string(f.unum);
        const auto motions = designed.find(name);
        const bool planned = motions != designed.end() && AfterDesignedMotion(motions->second, f.gameTimeSec);
        const char* kind = planned ? "design" : f.contact ? "contact" : "alone";
        byDesign += planned ? 1 : 0;
        contact += !planned && f.contact ? 1 : 0;
        alone += !planned && !f.contact ? 1 : 0;
        list += Line(" %s@%.1f(%s)", name.c_str(), f.gameTimeSec, kind);
    }
    double longest = 0;
    for (const rcss::RobotTally& t : r.tally.Robots()) longest = std::max(longest, t.lyingLongestSec);
    const double robotSeconds = double(match.left.unums.size() + match.right.unums.size()) * r.final.gameTime;
    const double per150 = robotSeconds > 0 ? alone * 150.0 / robotSeconds : 99;
    Judge(per150 <= kGoalFallsPer150Sec && longest <= kGoalLongestLyingSec,
          Line("falls without contact %.2f per robot per 150 s (at most %.1f; %d in %.0f robot-seconds), with "
               "contact %d, by design %d; longest lying %.1f s (at most %.0f); falls:%s",
               per150, kGoalFallsPer150Sec, alone, robotSeconds, contact, byDesign, longest, kGoalLongestLyingSec,
               list.c_str()),
          kOpenPlayFallsIssue);
}

}  // namespace
}  // namespace realserver
