// Ground truth from monitor messages recorded on the real server: one robot of team Blue,
// number 3 (type 1), beamed to (-2, 1) facing 30 degrees, a big kick that lays it down,
// then the ball placed in the right goal by the referee.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <string>

#include "rcss/scene.h"
#include "rcss/tally.h"

namespace {

using rcss::TeamSide;

std::vector<std::string> Recording() {
    std::ifstream in(std::string(CORVANE_FIXTURES_DIR) + "/monitor_bigkick_goal.txt");
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(MonitorScene, RecordedSessionGivesPoseFallGoalAndPlayModes) {
    const std::vector<std::string> messages = Recording();
    ASSERT_GT(messages.size(), 60u);
    rcss::SceneReader reader;
    rcss::Tally tally;
    double lowestUpZ = 1;
    bool sawPlayOn = false, sawKickOffRight = false;
    for (const std::string& m : messages) {
        ASSERT_TRUE(reader.Apply(m));
        const rcss::GroundTruth& t = reader.Truth();
        tally.Add(t);
        ASSERT_EQ(t.robots.size(), 1u);
        lowestUpZ = std::min(lowestUpZ, t.robots[0].up[2]);
        sawPlayOn |= t.playMode == "PlayOn";
        sawKickOffRight |= t.playMode == "KickOff_Right";
        if (t.message == 1) {
            const rcss::RobotTruth* blue3 = t.Find(TeamSide::Left, 3);
            ASSERT_NE(blue3, nullptr);
            EXPECT_NEAR(blue3->x, -2.0, 0.1);  // beam noise is a few centimetres
            EXPECT_NEAR(blue3->y, 1.0, 0.1);
            EXPECT_NEAR(blue3->headingDeg, 30.0, 12.0);
            EXPECT_GT(blue3->z, 0.3);
            EXPECT_FALSE(blue3->Lying());
            EXPECT_EQ(t.playMode, "BeforeKickOff");
            // Standing: both feet flat on the ground a hip's width apart, the left one on the
            // robot's left (facing 30 degrees, left is towards -x, +y).
            EXPECT_LT(blue3->leftFoot[2], 0.03);
            EXPECT_LT(blue3->rightFoot[2], 0.03);
            const double apartX = blue3->leftFoot[0] - blue3->rightFoot[0];
            const double apartY = blue3->leftFoot[1] - blue3->rightFoot[1];
            EXPECT_NEAR(std::hypot(apartX, apartY), 0.11, 0.03);
            EXPECT_LT(apartX, 0.0);
            EXPECT_GT(apartY, 0.0);
        }
    }
    tally.Finish();
    const rcss::GroundTruth& end = reader.Truth();
    EXPECT_TRUE(sawPlayOn);
    EXPECT_TRUE(sawKickOffRight);  // after the goal
    EXPECT_LT(lowestUpZ, 0.0);
    EXPECT_EQ(end.scoreLeft, 1);
    EXPECT_EQ(end.scoreRight, 0);
    EXPECT_NEAR(end.gameTime, 10.9, 0.3);
    ASSERT_EQ(tally.Goals().size(), 1u);
    EXPECT_EQ(tally.Goals()[0].scorer, TeamSide::Left);
    EXPECT_NEAR(tally.Goals()[0].gameTimeSec, 7.0, 0.2);
    const rcss::RobotTally* fallen = tally.Find(TeamSide::Left, 3);
    ASSERT_NE(fallen, nullptr);
    EXPECT_GE(fallen->falls, 1);
    EXPECT_GT(fallen->lyingLongestSec, 0.5);
    EXPECT_GT(tally.BallInLeftHalfSec() + tally.BallInRightHalfSec(), 10.0);
}

TEST(MonitorScene, UpdatesBeforeAWholeSceneAndBrokenTextLeaveTheStateAlone) {
    const std::vector<std::string> messages = Recording();
    rcss::SceneReader reader;
    EXPECT_FALSE(reader.Apply(messages[5]));  // a change list with no scene to apply it to
    EXPECT_TRUE(reader.Apply(messages[0]));
    const double x = reader.Truth().robots.at(0).x;
    EXPECT_FALSE(reader.Apply(messages[5].substr(0, messages[5].size() / 2)));
    EXPECT_FALSE(reader.Apply("((time 3))(XYZ 0 1)()"));
    EXPECT_FALSE(reader.Apply(std::string(100, '(') + std::string(100, ')')));
    EXPECT_EQ(reader.Truth().message, 1);
    EXPECT_EQ(reader.Truth().robots.at(0).x, x);
}

// Free kicks are counted once per award, whichever of the two names the referee gives.
TEST(MonitorScene, TallyCountsEachFreeKickAwardOnce) {
    rcss::Tally tally;
    rcss::GroundTruth t;
    for (const char* mode : {"PlayOn", "free_kick_right", "free_kick_right", "PlayOn", "direct_free_kick_right",
                             "KickIn_Right", "direct_free_kick_left", "pass_left"}) {
        t.playMode = mode;
        tally.Add(t);
    }
    EXPECT_EQ(tally.FreeKicksFor(TeamSide::Right), 2);
    EXPECT_EQ(tally.FreeKicksFor(TeamSide::Left), 1);
}

}  // namespace
