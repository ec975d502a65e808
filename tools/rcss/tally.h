// What a stretch of play amounted to, from ground truth alone: goals with their times,
// falls and time lying per robot (up-vector z below 0.5, standing again above 0.7), free
// kicks awarded, and where the ball was. Fed by the monitor's watcher; no globals.
#pragma once
#include <string>
#include <vector>

#include "rcss/scene.h"

namespace rcss {

struct RobotTally {
    TeamSide side = TeamSide::Unknown;
    int unum = 0;
    int falls = 0;
    bool lying = false;
    double lyingSinceSec = 0;
    double lyingTotalSec = 0, lyingLongestSec = 0;
};

struct Goal {
    TeamSide scorer;
    double gameTimeSec;
};

// True for the referee's free kicks (plain or direct) awarded to that side.
bool IsFreeKickFor(const std::string& playMode, TeamSide side);

class Tally {
public:
    void Add(const GroundTruth& truth);
    void Finish();  // closes the lying stretches still open

    const std::vector<RobotTally>& Robots() const { return robots_; }
    const std::vector<Goal>& Goals() const { return goals_; }
    const RobotTally* Find(TeamSide side, int unum) const;
    int Falls(TeamSide side) const;  // of all its robots
    int FreeKicksFor(TeamSide side) const { return side == TeamSide::Left ? freeKicksLeft_ : freeKicksRight_; }
    // Game seconds the ball spent in the left team's half (x < 0) and in the right one.
    double BallInLeftHalfSec() const { return ballLeftSec_; }
    double BallInRightHalfSec() const { return ballRightSec_; }
    double LastGameTime() const { return lastTime_; }

private:
    RobotTally& Entry(const RobotTruth& robot);
    std::vector<RobotTally> robots_;
    std::vector<Goal> goals_;
    int scoreLeft_ = 0, scoreRight_ = 0;
    std::string playMode_;
    int freeKicksLeft_ = 0, freeKicksRight_ = 0;
    double lastTime_ = -1;
    double ballLeftSec_ = 0, ballRightSec_ = 0;
};

}  // namespace rcss
