// Fall detection on synthetic gyroscope/accelerometer sequences and on a recorded fall.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "perception/msgparse.h"
#include "runtime/corvane.h"
#include "worldmodel/worldmodel.h"
#include "test_fall_recorded.h"

namespace {

constexpr double kUprightAccZ = 9.81;

class FallTest : public ::testing::Test {
protected:
    // One detection cycle with the given sensor values; returns the printed text.
    std::string Cycle(double gyroX, double gyroY, double accX, double accY, double accZ) {
        model.m_Gyro.dx = gyroX;
        model.m_Gyro.dy = gyroY;
        model.m_Acc.dx = accX;
        model.m_Acc.dy = accY;
        model.m_Acc.dz = accZ;
        ::testing::internal::CaptureStdout();
        model.UpdateFallState(0);
        return ::testing::internal::GetCapturedStdout();
    }
    std::string Rotate(double gyroX, double gyroY = 0) {
        return Cycle(gyroX, gyroY, 0, 0, kUprightAccZ);
    }

    WorldModel model;
};

TEST_F(FallTest, SteadyPitchRateReportsOnceTiltPasses65Degrees) {
    for (int cycle = 1; cycle <= 32; ++cycle) {
        EXPECT_EQ(Rotate(100), "") << cycle;
        EXPECT_EQ(model.m_FallState, FALL_NONE);
    }
    EXPECT_EQ(Rotate(100), "Fall_Gyro_X!\n");
    EXPECT_EQ(model.m_FallState, FALL_UP);
}

TEST_F(FallTest, NegativeTiltMeansLyingOnTheFront) {
    for (int cycle = 0; cycle < 33; ++cycle) Rotate(-100);
    EXPECT_EQ(model.m_FallState, FALL_DOWN);
}

TEST_F(FallTest, RollAloneIsReportedOnTheYAxisWithTheXSignForDirection) {
    std::string out;
    for (int cycle = 0; cycle < 33; ++cycle) out = Rotate(0, 100);
    EXPECT_EQ(out, "Fall_Gyro_Y!\n");
    EXPECT_EQ(model.m_FallState, FALL_UP);  // X tilt is 0, not negative
}

TEST_F(FallTest, LongModerateTiltReportsOnXOnlyWhenTheRollIsLarge) {
    Rotate(2500, 2750);  // X 50, Y 55: both counters start, neither angle above 65
    for (int cycle = 2; cycle <= 16; ++cycle) EXPECT_EQ(Rotate(0), "") << cycle;
    EXPECT_EQ(Rotate(0), "Fall_Gyro_X!\n");  // X counter 17; the check reads Y > 50

    WorldModel calm;
    model = calm;
    Rotate(2500, 2400);  // Y 48: the long-tilt rule never fires
    for (int cycle = 2; cycle <= 60; ++cycle) EXPECT_EQ(Rotate(0), "") << cycle;
    EXPECT_EQ(model.m_FallState, FALL_NONE);
}

TEST_F(FallTest, TiltBetweenThresholdsKeepsTheCounter) {
    for (int cycle = 0; cycle < 25; ++cycle) Rotate(100);  // X = 50, counter 3
    for (int cycle = 0; cycle < 20; ++cycle) {
        Rotate(-10);  // X falls to 40: counter kept, not advanced
        Rotate(10);
    }
    for (int cycle = 0; cycle < 5; ++cycle) Rotate(100);  // X 60, counter 8
    EXPECT_EQ(model.m_FallState, FALL_NONE);
    Rotate(150);  // X 63, counter 9, not yet above 65
    EXPECT_EQ(model.m_FallState, FALL_NONE);
    EXPECT_EQ(Rotate(150), "Fall_Gyro_X!\n");
}

TEST_F(FallTest, LyingStillRepeatsTheVerdictAndTheStateIsSticky) {
    for (int cycle = 0; cycle < 40; ++cycle) Rotate(100);
    for (int cycle = 0; cycle < 5; ++cycle) {
        EXPECT_EQ(Rotate(0), "Fall_Gyro_X!\n");
        EXPECT_EQ(model.m_FallState, FALL_UP);
    }
    model.UpdateFallState(2);  // get-up starts: integration restarts, verdict kept
    for (int cycle = 0; cycle < 50; ++cycle) EXPECT_EQ(Rotate(0), "");
    EXPECT_EQ(model.m_FallState, FALL_UP);
    model.UpdateFallState(1);
    EXPECT_EQ(model.m_FallState, FALL_NONE);
    for (int cycle = 0; cycle < 32; ++cycle) Rotate(-100);
    EXPECT_EQ(model.m_FallState, FALL_NONE);  // restarted from 0 again
}

TEST_F(FallTest, GravityOnTheYAxisReportsOnTheEighthCycle) {
    for (int cycle = 1; cycle <= 7; ++cycle) EXPECT_EQ(Cycle(0, 0, 0, -9.8, 0.5), "") << cycle;
    EXPECT_EQ(Cycle(0, 0, 0, -9.8, 0.5), "Fall_Acc_Y!\n");
    EXPECT_EQ(model.m_FallState, FALL_DOWN);
}

TEST_F(FallTest, AccelerometerDirectionFollowsTheSignOfY) {
    for (int cycle = 0; cycle < 8; ++cycle) Cycle(0, 0, 9.8, 2.0, 0.5);
    EXPECT_EQ(model.m_FallState, FALL_UP);
    EXPECT_EQ(Cycle(0, 0, 9.8, 2.0, 0.5), "Fall_Acc_X!\n");
}

TEST_F(FallTest, ModerateSideAccelerationNeedsFifteenCycles) {
    for (int cycle = 1; cycle <= 14; ++cycle) EXPECT_EQ(Cycle(0, 0, 0, 6.5, 0.5), "") << cycle;
    EXPECT_EQ(Cycle(0, 0, 0, 6.5, 0.5), "Fall_Acc_Y!\n");
}

TEST_F(FallTest, UprightGravityResetsTheAccelerometerDetector) {
    for (int cycle = 0; cycle < 7; ++cycle) Cycle(0, 0, 0, 9.8, 0.5);
    Cycle(0, 0, 0, 9.8, kUprightAccZ);
    for (int cycle = 0; cycle < 6; ++cycle) EXPECT_EQ(Cycle(0, 0, 0, 9.8, 0.5), "");
    EXPECT_EQ(model.m_FallState, FALL_NONE);
}

TEST_F(FallTest, GyroscopeVerdictWinsOverTheAccelerometer) {
    for (int cycle = 0; cycle < 7; ++cycle) Cycle(100, 0, 0, 9.8, 0.5);
    Cycle(-1000, 0, 0, 9.8, 0.5);  // tilt jumps to -6: the gyro reports nothing yet
    EXPECT_EQ(model.m_FallState, FALL_UP);  // accelerometer: dy > 0
    for (int cycle = 0; cycle < 40; ++cycle) Cycle(-200, 0, 0, 9.8, 0.5);
    EXPECT_EQ(model.m_FallState, FALL_DOWN);  // gyro: tilt negative
}

// A forward fall that ends propped on the arms, the torso 60 degrees from upright: the
// gyroscope has integrated too little to report and z sits between the thresholds.
TEST_F(FallTest, LyingFaceDownOnTheArmsIsReportedOnTheEighthStillCycle) {
    EXPECT_EQ(Cycle(-1500, 0, 0, 0, kUprightAccZ), "");
    EXPECT_EQ(Cycle(-1500, 0, 0, -4.91, 8.50), "");  // 30 degrees on the way down
    for (int still = 1; still <= 40; ++still) {
        const std::string out = Cycle(0, 0, 0.00, -8.55, 4.82);
        if (still < 8) {
            EXPECT_EQ(out, "") << still;
            EXPECT_EQ(model.m_FallState, FALL_NONE) << still;
        } else {
            EXPECT_EQ(out, "Fall_Acc_Y!\n") << still;
            EXPECT_EQ(model.m_FallState, FALL_DOWN) << still;
        }
    }
}

TEST_F(FallTest, DetectionPausedWhileNotWanted) {
    SenseParse = MsgParse();
    SenseParse.m_Gyro.dx = 300;
    model.m_bNeedCheckFall = false;
    ::testing::internal::CaptureStdout();
    for (int cycle = 0; cycle < 40; ++cycle) model.UpdateAll();
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(model.m_FallState, FALL_NONE);
    model.m_bNeedCheckFall = true;
    ::testing::internal::CaptureStdout();
    for (int cycle = 0; cycle < 33; ++cycle) model.UpdateAll();
    ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(model.m_FallState, FALL_UP);  // the frozen integrator did not run while paused
    SenseParse = MsgParse();
}

TEST_F(FallTest, RecordedFallOnTheBackIsReportedWithinThirtyCycles) {
    const std::vector<falltest::TorsoReading> fall = falltest::RecordedTorso("session_fall_back.txt");
    ASSERT_FALSE(fall.empty());
    int line = 0, onset = 0, reported = 0;
    std::string firstReport;
    for (const falltest::TorsoReading& r : fall) {
        ++line;
        if (onset == 0 && std::fabs(r.gyro[0]) > 50) onset = line;
        const std::string out = Cycle(r.gyro[0], r.gyro[1], r.acc[0], r.acc[1], r.acc[2]);
        if (reported == 0 && model.m_FallState != FALL_NONE) {
            reported = line;
            firstReport = out;
        }
        if (onset == 0) {
            EXPECT_EQ(model.m_FallState, FALL_NONE) << line;
        }
    }
    ASSERT_EQ(onset, 154);
    ASSERT_GT(reported, 0);
    EXPECT_EQ(model.m_FallState, FALL_UP);
    EXPECT_EQ(firstReport, "Fall_Gyro_X!\n");
    EXPECT_LE(reported - onset, 30) << "reported at line " << reported;
}

// Standing, seeing, hearing and being beamed on the real server: no report at all, and
// none in the recorded fall before the robot starts to go over.
TEST_F(FallTest, RecordedSessionsReportNothingWhileTheRobotStands) {
    const struct {
        const char* file;
        size_t standingLines;  // 0: the whole file
    } kSessions[] = {{"session_single.txt", 0}, {"session_players.txt", 0},
                     {"session_hear.txt", 0}, {"session_fall_back.txt", 153}};
    for (const auto& session : kSessions) {
        model = WorldModel();
        std::vector<falltest::TorsoReading> readings = falltest::RecordedTorso(session.file);
        ASSERT_GT(readings.size(), 150u) << session.file;
        if (session.standingLines > 0) readings.resize(session.standingLines);
        int reports = 0;
        for (const falltest::TorsoReading& r : readings) {
            if (!Cycle(r.gyro[0], r.gyro[1], r.acc[0], r.acc[1], r.acc[2]).empty()) ++reports;
        }
        EXPECT_EQ(reports, 0) << session.file;
        EXPECT_EQ(model.m_FallState, FALL_NONE) << session.file;
    }
}

}  // namespace
