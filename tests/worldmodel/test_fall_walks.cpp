// Walking, turning, reversing and stopping in closed loop never look like a fall: the
// torso's gyroscope and accelerometer are derived from the simulated joints and fed to a
// fall detector of their own. Drives the walking runner's robot (`SenseParse`, `wm`, `ACT`).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "geometry/geo.h"
#include "support/walk_loop.h"
#include "worldmodel/worldmodel.h"

namespace {

constexpr double kCycleSec = standin::KinematicRobot::kCycleSec;
constexpr double kGravity = 9.81;

// The pose with its orientation reduced to the heading, at ground height `zM`.
salt::Matrix FlatOnGround(const salt::Matrix& pose, float zM) {
    salt::Matrix flat;
    flat.RotateZ(std::atan2(pose(1, 0), pose(0, 0)));
    flat.SetPos(salt::Vector3f(pose.Pos().x(), pose.Pos().y(), zM));
    return flat;
}

// The torso's path if the lower foot stands flat and never slips, and what the torso's
// sensors read on it, in the motion frame (x right, y forward, z up): deg/s and m/s².
class TorsoSensors {
public:
    // False until three poses are known; the readings then belong to the middle one.
    bool Update(const double (&angleDeg)[kJointCount]) {
        const simkit::Ankles ankles = simkit::LegKinematics(salt::Matrix(), angleDeg);
        const bool left = ankles.left.Pos().z() < ankles.right.Pos().z();
        if (poses_ == 0) {
            const salt::Matrix& first = left ? ankles.left : ankles.right;
            support_ = FlatOnGround(first, first.Pos().z());
            leftSupports_ = left;
        }
        const salt::Matrix torso = support_ * (leftSupports_ ? ankles.left : ankles.right).InvertRotationMatrix();
        if (left != leftSupports_) {
            support_ = FlatOnGround(torso * (left ? ankles.left : ankles.right), support_.Pos().z());
            leftSupports_ = left;
        }
        torso_[0] = torso_[1];
        torso_[1] = torso_[2];
        torso_[2] = torso;
        if (++poses_ < 3) return false;
        Read();
        return true;
    }

    double gyroDegPerSec[3] = {};
    double acc[3] = {};

private:
    void Read() {
        const salt::Vector3f curve = torso_[2].Pos() - torso_[1].Pos() * 2.0f + torso_[0].Pos();
        const salt::Vector3f proper = curve * static_cast<float>(1.0 / (kCycleSec * kCycleSec)) +
                                      salt::Vector3f(0, 0, static_cast<float>(kGravity));
        const salt::Vector3f inTorso = torso_[1].InvertRotationMatrix().Rotate(proper);
        const salt::Matrix turn = torso_[0].InvertRotationMatrix() * torso_[2];
        const double perSec = 1.0 / (2 * kCycleSec);
        const double skew[3] = {turn(2, 1) - turn(1, 2), turn(0, 2) - turn(2, 0), turn(1, 0) - turn(0, 1)};
        for (int i = 0; i < 3; ++i) {
            acc[i] = inTorso[i];
            gyroDegPerSec[i] = salt::gRadToDeg(skew[i] / 2 * perSec);
        }
    }

    salt::Matrix support_;
    bool leftSupports_ = false;
    salt::Matrix torso_[3];
    int poses_ = 0;
};

struct WalkFigures {
    int reports = 0;
    int offVerticalCycles = 0;  // |az| <= 6 with |ax| or |ay| above 6
    int longestLowZ = 0;        // longest run of cycles with |az| <= 6
    double maxHorizontalAcc = 0.0;
    double minVerticalAcc = kGravity;
    double maxPitchRollRate = 0.0;
};

// Closed-loop walking with a fall detector watching the derived torso sensors.
class WatchedWalk {
public:
    WatchedWalk() : loop_(true) {}

    void Walk(ACT_TYPE type, int turnDeg, bool small, int cycles) {
        for (int i = 0; i < cycles; ++i) Cycle([&](LIP& l) { l.Walk(type, turnDeg, small, false); });
    }
    bool Stop(bool small) {
        for (int i = 0; i < 600; ++i) {
            bool done = false;
            Cycle([&](LIP& l) { done = l.StopWalk(0, small); });
            if (done) return true;
        }
        return false;
    }

    WalkFigures fig;
    FALLTYPE Verdict() const { return detector_.m_FallState; }

private:
    template <typename Call>
    void Cycle(Call&& call) {
        loop_.Cycle(call);
        if (!torso_.Update(loop_.robot.AnglesDeg())) return;
        Watch(torso_.gyroDegPerSec, torso_.acc);
    }

    void Watch(const double (&gyro)[3], const double (&acc)[3]) {
        detector_.m_Gyro.dx = gyro[0];
        detector_.m_Gyro.dy = gyro[1];
        detector_.m_Acc.dx = acc[0];
        detector_.m_Acc.dy = acc[1];
        detector_.m_Acc.dz = acc[2];
        ::testing::internal::CaptureStdout();
        detector_.UpdateFallState(0);
        if (!::testing::internal::GetCapturedStdout().empty()) ++fig.reports;
        const double horizontal = std::max(std::fabs(acc[0]), std::fabs(acc[1]));
        if (std::fabs(acc[2]) <= 6 && horizontal > 6) ++fig.offVerticalCycles;
        lowZRun_ = std::fabs(acc[2]) <= 6 ? lowZRun_ + 1 : 0;
        fig.longestLowZ = std::max(fig.longestLowZ, lowZRun_);
        fig.maxHorizontalAcc = std::max(fig.maxHorizontalAcc, horizontal);
        fig.minVerticalAcc = std::min(fig.minVerticalAcc, std::fabs(acc[2]));
        fig.maxPitchRollRate = std::max({fig.maxPitchRollRate, std::fabs(gyro[0]), std::fabs(gyro[1])});
    }

    int lowZRun_ = 0;
    walktest::ClosedLoop loop_;
    TorsoSensors torso_;
    WorldModel detector_;
};

// Every walk type, straight and turning, with reversals, type changes and full stops.
TEST(FallWalks, NoWalkOrStopOfEitherStepSizeIsReportedAsAFall) {
    for (bool small : {false, true}) {
        WatchedWalk walk;
        walk.Walk(WALK_F, 0, small, 300);
        walk.Walk(WALK_B, 0, small, 300);
        EXPECT_TRUE(walk.Stop(small));
        walk.Walk(WALK_HL, 0, small, 300);
        walk.Walk(WALK_HR, 0, small, 300);
        EXPECT_TRUE(walk.Stop(small));
        walk.Walk(WALK_STAY, 40, small, 200);
        walk.Walk(WALK_F, 30, small, 200);
        walk.Walk(WALK_F, -30, small, 200);
        walk.Walk(WALK_B, 20, small, 200);
        EXPECT_TRUE(walk.Stop(small));

        const WalkFigures& f = walk.fig;
        EXPECT_EQ(f.reports, 0) << "small " << small;
        EXPECT_EQ(walk.Verdict(), FALL_NONE) << "small " << small;
        EXPECT_GT(f.maxHorizontalAcc, 1.0) << "the derived sensors should feel the gait";
        std::printf("[ figures  ] small %d: reports %d, off-vertical cycles %d (longest |az| <= 6 run %d), "
                    "max |ax|,|ay| %.2f, min |az| %.2f m/s2, max pitch/roll rate %.1f deg/s\n",
                    small, f.reports, f.offVerticalCycles, f.longestLowZ, f.maxHorizontalAcc,
                    f.minVerticalAcc, f.maxPitchRollRate);
    }
}

}  // namespace
