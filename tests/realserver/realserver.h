// Real-server checks: a pitch per test on the league's simulator (skipped, saying why, when
// none is installed), the programs of this tree, ground-truth tracks of chosen robots, and
// the one way a check reports its figure and verdict.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "rcss/match.h"
#include "rcss/pitch.h"
#include "rcss/tally.h"

namespace realserver {

using rcss::TeamSide;

struct Sample {
    double gameTimeSec;
    rcss::RobotTruth robot;
};

// Empty when a server is installed, else the one line a skipped check reports.
std::string WhyNoServer();
// Real time unless CORVANE_SYNC=1; logs kept in CORVANE_REALSERVER_LOGS when set.
rcss::PitchOptions OptionsFromEnvironment();

class RealServer : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts motion_probe for the left team (uniform number = robot type's number).
    rcss::AgentProcess& Probe(int unum, double x, double y, double headingDeg, const std::vector<std::string>& motion);
    // Waits for the robots, then lets them settle in BeforeKickOff and starts play.
    void Begin(const std::vector<int>& leftUnums);
    // Lets play go on for that many game seconds, or until done holds.
    void PlayUntil(double gameSeconds, const std::function<bool(const rcss::GroundTruth&)>& done = nullptr);
    const std::vector<Sample>& Track(int unum) const;  // left team, every monitor message
    Sample At(int unum, double gameTimeSec) const;     // the first sample at or after that time
    // How the robot stood when its program ended: half a second before it left the scene,
    // since a robot whose program has ended goes limp before the server removes it.
    Sample Final(int unum) const;

    rcss::Pitch pitch_;
    rcss::Tally tally_;
    std::vector<std::vector<Sample>> tracks_ = std::vector<std::vector<Sample>>(12);
};

// Prints the figure. A check of behaviour that a later issue mends names that issue: until it
// lands a failure is reported, not raised; a pass then says the check can be made hard.
void Judge(bool ok, const std::string& figure, int expectedFailIssue = 0);

// The numbers of motion_probe's progress lines: game time and the estimated position.
struct Estimate {
    double gameTimeSec, x, y;
};
std::vector<Estimate> ProgressLines(const std::string& output);

using rcss::Line;

}  // namespace realserver
