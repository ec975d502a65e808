// Getting up from a fall that leaves the robot on the ground: the joints follow the
// commands as on the server, the torso sensors read a scripted fall and then a lying
// posture that no get-up changes. Writes `SenseParse`, `wm`, `ACT`, `skill`, `Lip`, `timer`.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "behaviour/skill.h"
#include "motion/3dlip.h"
#include "motion/acthandle.h"
#include "perception/msgparse.h"
#include "runtime/corvane.h"
#include "support/kinematic_robot.h"
#include "worldmodel/worldmodel.h"
#include "test_fall_recorded.h"

namespace {

using falltest::TorsoReading;

// A sudden forward fall that ends propped on the arms, 60 degrees from upright.
std::vector<TorsoReading> FaceDownFall() {
    std::vector<TorsoReading> fall(20, {{0, 0, 0}, {0, 0, 9.81}});
    fall.push_back({{-1500, 0, 0}, {0, 0, 9.81}});
    fall.push_back({{-1500, 0, 0}, {0, -4.91, 8.50}});
    fall.push_back({{0, 0, 0}, {0.00, -8.55, 4.82}});
    return fall;
}

class LyingRobot {
public:
    explicit LyingRobot(std::vector<TorsoReading> sensors) : sensors_(std::move(sensors)), joints_(true) {
        wm = WorldModel();
        skill = Skill();
        Lip = LIP();
        timer.ClearTimer();
        ACT.ClearAll();
        ACT.ClearControl();
        ACT.MakeCommand();
    }

    // One cycle of the agent with the decision layer reduced to getting up; the last
    // scripted reading holds for ever. True when the get-up reports the robot standing.
    bool Cycle() {
        const TorsoReading& r = sensors_[std::min(cycle_, sensors_.size() - 1)];
        SenseParse.Parse(Perception(r));
        wm.UpdateAll();
        ACT.ClearControl();
        timer.Update(1);
        const bool up = wm.m_FallState != FALL_NONE && skill.Climb(false);
        joints_.Apply(ACT.MakeCommand());
        ++cycle_;
        return up;
    }

private:
    std::string Perception(const TorsoReading& r) const {
        char text[256];
        std::snprintf(text, sizeof(text),
                      "(time (now %.2f))(GS (sl 0) (sr 0) (t 0.00) (pm PlayOn))"
                      "(GYR (n torso) (rt %.2f %.2f %.2f))(ACC (n torso) (a %.2f %.2f %.2f))",
                      cycle_ * simkit::SimulatedJoints::kCycleSec, r.gyro[0], r.gyro[1], r.gyro[2],
                      r.acc[0], r.acc[1], r.acc[2]);
        std::string message = text;
        for (int j = 0; j < kJointCount; ++j) {
            std::snprintf(text, sizeof(text), "(HJ (n %s) (ax %.2f))", SenseParse.m_HJ[j].sPerceptorName.c_str(),
                          joints_.AngleDeg(j));
            message += text;
        }
        return message;
    }

    std::vector<TorsoReading> sensors_;
    simkit::SimulatedJoints joints_;
    size_t cycle_ = 0;
};

// One play of a get-up motion, in cycles from the start of the script (both inclusive).
struct MotionRun {
    int from = -1, to = -1;
    FALLTYPE side = FALL_NONE;
    int Cycles() const { return to - from + 1; }
};

struct GetUps {
    int reportedAt = -1;  // cycle of the first fall report
    FALLTYPE verdict = FALL_NONE;
    std::vector<MotionRun> runs;
    int standingAt = -1;  // first cycle on which Climb reported the robot up
};

GetUps Play(LyingRobot& robot, int cycles) {
    GetUps g;
    bool rising = false;
    for (int cycle = 0; cycle < cycles; ++cycle) {
        const bool wasFallen = wm.m_FallState != FALL_NONE;
        const bool up = robot.Cycle();
        if (!wasFallen && wm.m_FallState != FALL_NONE && g.reportedAt < 0) {
            g.reportedAt = cycle;
            g.verdict = wm.m_FallState;
        }
        if (up && g.standingAt < 0) g.standingAt = cycle;
        const bool risingNow = skill.m_Climb.step == Skill::GetUpStep::Rising;
        if (!rising && risingNow) g.runs.push_back({cycle, -1, skill.m_ClimbOnGround.FallType});
        if (rising && !risingNow) g.runs.back().to = cycle;
        rising = risingNow;
    }
    return g;
}

// The motion over, a robot still lying rises again at once, the second time with the other
// side's motion, the third with its own again, and never reports itself standing. `restAt`: the script's first cycle of lying still.
void ExpectRisesAgainWhileStillDown(std::vector<TorsoReading> script, int restAt, FALLTYPE side,
                                    const char* firstLine) {
    LyingRobot robot(std::move(script));
    ::testing::internal::CaptureStdout();
    const GetUps g = Play(robot, 800);
    const std::string out = ::testing::internal::GetCapturedStdout();

    EXPECT_EQ(out.substr(0, out.find('\n') + 1), firstLine);
    EXPECT_EQ(g.verdict, side);
    EXPECT_LT(g.standingAt, 0) << "reported standing while the torso lies";
    ASSERT_GE(g.runs.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        const FALLTYPE expected = i == 1 ? (side == FALL_UP ? FALL_DOWN : FALL_UP) : side;
        EXPECT_EQ(g.runs[i].side, expected) << i;
        EXPECT_EQ(g.runs[i].Cycles(), expected == FALL_UP ? 126 : 71) << i;
    }
    EXPECT_LE(g.runs[0].from - restAt, 30);
    EXPECT_LE(g.runs[1].from - g.runs[0].to, 30) << "rose again after the failed get-up";
    std::printf("[ figures  ] reported at cycle %d (lying still from %d), motion from %d to %d, "
                "again from %d\n", g.reportedAt, restAt, g.runs[0].from, g.runs[0].to, g.runs[1].from);
}

TEST(FallGetUp, StillOnTheBackAfterTheGetUpRisesAgain) {
    std::vector<TorsoReading> fall = falltest::RecordedTorso("session_fall_back.txt");
    ASSERT_GT(fall.size(), 300u);
    fall.resize(300);
    ExpectRisesAgainWhileStillDown(fall, 206, FALL_UP, "Fall_Gyro_X!\n");
}

TEST(FallGetUp, StillFaceDownOnTheArmsRisesAgain) {
    ExpectRisesAgainWhileStillDown(FaceDownFall(), 22, FALL_DOWN, "Fall_Acc_Y!\n");
}

// Found face down while still rolling, it comes to rest on its back: the get-up waits for
// the roll to end and then plays the motion for the back. Started mid-roll, a get-up on
// the real server threw a robot into a headstand it stayed in.
TEST(FallGetUp, WaitsForARollToEndAndRisesFromTheSideItRestsOn) {
    std::vector<TorsoReading> script(20, {{0, 0, 0}, {0, 0, 9.81}});
    script.insert(script.end(), 12, {{-300, 0, 0}, {0, -9.5, 1.0}});  // pitching onto the front
    script.insert(script.end(), 30, {{0, 250, 0}, {5.0, 0, 1.0}});    // rolling over
    const int restAt = static_cast<int>(script.size());
    script.push_back({{0, 0, 0}, {0, 9.6, 0.8}});  // on the back
    LyingRobot robot(std::move(script));
    ::testing::internal::CaptureStdout();
    const GetUps g = Play(robot, 300);
    ::testing::internal::GetCapturedStdout();

    EXPECT_EQ(g.verdict, FALL_DOWN);
    EXPECT_LT(g.reportedAt, restAt - 20) << "the roll outlasts the report by far";
    ASSERT_FALSE(g.runs.empty());
    EXPECT_GE(g.runs[0].from, restAt) << "rising while the body still rolls";
    EXPECT_LE(g.runs[0].from, restAt + 8);
    EXPECT_EQ(g.runs[0].side, FALL_UP);
}

}  // namespace
