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

struct GetUp {
    int reportedAt = -1;  // cycle of the fall report, counted from the start of the script
    FALLTYPE verdict = FALL_NONE;
    FALLTYPE motion = FALL_NONE;  // which get-up motion ran
    int motionCycles = 0;         // cycles of the get-up motion
    int standingAt = -1;          // cycle on which Climb reported the robot up
};

// Runs until the robot has been reported fallen and has gone through one get-up.
GetUp NextGetUp(LyingRobot& robot, int& cycle, int limit) {
    GetUp g;
    for (; cycle < limit; ++cycle) {
        const bool wasFallen = wm.m_FallState != FALL_NONE;
        const bool motionRan = skill.m_Climb.step != Skill::GetUpStep::Settling;
        const bool up = robot.Cycle();
        if (!wasFallen && wm.m_FallState != FALL_NONE) {
            g.reportedAt = cycle;
            g.verdict = wm.m_FallState;
        }
        if (g.reportedAt >= 0 && motionRan) {
            ++g.motionCycles;
            if (skill.m_ClimbOnGround.bFirstGetFallType) g.motion = skill.m_ClimbOnGround.FallType;
        }
        if (up) {
            g.standingAt = cycle++;
            return g;
        }
    }
    return g;
}

// The get-up ends on joint angles alone; a robot still lying then must be found again
// quickly and get up again with the motion for the side it lies on.
// `restAt`: the script's first cycle of lying still.
void ExpectFoundAgainAndUpAgain(std::vector<TorsoReading> script, int restAt, FALLTYPE side,
                                const char* firstLine) {
    LyingRobot robot(std::move(script));
    int cycle = 0;
    ::testing::internal::CaptureStdout();
    const GetUp first = NextGetUp(robot, cycle, 600);
    const GetUp second = NextGetUp(robot, cycle, 1200);
    const std::string out = ::testing::internal::GetCapturedStdout();

    EXPECT_EQ(out.substr(0, out.find('\n') + 1), firstLine);
    for (const GetUp& g : {first, second}) {
        ASSERT_GE(g.standingAt, 0);
        EXPECT_EQ(g.verdict, side);
        EXPECT_EQ(g.motion, side);
        EXPECT_EQ(g.motionCycles, side == FALL_UP ? 126 : 71);
    }
    EXPECT_LE(first.reportedAt - restAt, 25);
    EXPECT_LE(second.reportedAt - first.standingAt, 25) << "found again after the failed get-up";
    std::printf("[ figures  ] reported at cycle %d (lying still from %d), get-up %d cycles, "
                "found again %d cycles after it, second get-up %d cycles\n",
                first.reportedAt, restAt, first.standingAt - first.reportedAt,
                second.reportedAt - first.standingAt, second.standingAt - second.reportedAt);
}

TEST(FallGetUp, StillOnTheBackAfterTheGetUpIsFoundAgainAndGetsUpAgain) {
    std::vector<TorsoReading> fall = falltest::RecordedTorso("session_fall_back.txt");
    ASSERT_GT(fall.size(), 300u);
    fall.resize(300);
    ExpectFoundAgainAndUpAgain(fall, 206, FALL_UP, "Fall_Gyro_X!\n");
}

TEST(FallGetUp, StillFaceDownOnTheArmsIsFoundAgainAndGetsUpAgain) {
    ExpectFoundAgainAndUpAgain(FaceDownFall(), 22, FALL_DOWN, "Fall_Acc_Y!\n");
}

}  // namespace
