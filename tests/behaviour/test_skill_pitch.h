// A lone left-team robot on the practice pitch running the agent's own code in this test
// process, with a skill on trial in place of the decision layer; the figures come from the
// match's ground truth. Writes every agent singleton (through the in-process player).
#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "support/practice_player.h"
#include "practice_server/practice.h"
#include "support/quiet_match.h"

namespace pitch {

constexpr int kUnum = 7;
constexpr double kCycleSec = 0.02;

// What the match saw of the robot over one run.
struct Track {
    double seconds = 0.0;
    double pathM = 0.0;
    bool done = false;
};

using standin::QuietMatch;

inline void Stand() { Lip.Prepare(0, false); }

class Trial {
public:
    // Puts robot and ball at field positions in open play and lets the robot take its
    // stance and a position fix before the trial starts.
    Trial(double x, double y, double bodyDeg, double ballX = 10, double ballY = 8) : match_(QuietMatch()) {
        EXPECT_TRUE(match_.Listen());
        player_ = std::make_unique<practice::InProcessPlayer>(match_, "Corvane3D", kUnum);
        player_->Cycle(Stand);
        match_.SetPlayMode("PlayOn");
        match_.PlaceRobot(practice::Side::Left, kUnum, x, y, bodyDeg);
        match_.PlaceBall(ballX, ballY);
        Run(Stand, [] { return false; }, 1.5);
    }

    // `decide` once per cycle until `done()` holds after a cycle or limitSec have passed.
    template <typename Done>
    Track Run(void (*decide)(), Done done, double limitSec) {
        Track t;
        double x = Me().x, y = Me().y;
        for (double s = 0; s < limitSec && !t.done; s += kCycleSec) {
            player_->Cycle(decide);
            t.pathM += std::hypot(Me().x - x, Me().y - y);
            x = Me().x;
            y = Me().y;
            t.seconds += kCycleSec;
            t.done = done();
        }
        return t;
    }

    const practice::RobotInfo& Me() const { return *match_.Robot(practice::Side::Left, kUnum); }
    double DistM(double x, double y) const { return std::hypot(Me().x - x, Me().y - y); }
    practice::Match& Match() { return match_; }
    const practice::Match& Match() const { return match_; }

private:
    practice::Match match_;
    std::unique_ptr<practice::InProcessPlayer> player_;
};

}  // namespace pitch
