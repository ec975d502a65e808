// What a stretch of play amounted to, from ground truth alone: goals with their times,
// falls and time lying per robot (up-vector z below 0.5, standing again above 0.7), each
// fall with whether another robot was close before it, free kicks awarded, and where the
// ball was. Fed by the monitor's watcher; no globals.
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
    double lastCloseSec = -1e9;  // game time another robot's torso was last within contact range
};

// One fall as ground truth saw it begin.
struct Fall {
    TeamSide side = TeamSide::Unknown;
    int unum = 0;
    double gameTimeSec = 0;
    std::string playMode;
    double x = 0, y = 0;
    double ballDistM = 0;      // torso to ball on the ground at the onset
    double nearestRobotM = 0;  // to the nearest other torso at the onset
    bool contact = false;      // another torso within kContactM in the second before
    double lyingSec = -1;      // until it stood again; -1 while still lying
};

// Torsos closer than this may have touched; a fall without one so close in the second
// before it is the robot's own.
constexpr double kContactM = 0.8;
constexpr double kContactWindowSec = 1.0;

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
    const std::vector<Fall>& FallEvents() const { return falls_; }
    const RobotTally* Find(TeamSide side, int unum) const;
    int Falls(TeamSide side) const;  // of all its robots
    int FreeKicksFor(TeamSide side) const { return side == TeamSide::Left ? freeKicksLeft_ : freeKicksRight_; }
    // Game seconds the ball spent in the left team's half (x < 0) and in the right one.
    double BallInLeftHalfSec() const { return ballLeftSec_; }
    double BallInRightHalfSec() const { return ballRightSec_; }
    double LastGameTime() const { return lastTime_; }

private:
    RobotTally& Entry(const RobotTruth& robot);
    void NoteCloseRobots(const GroundTruth& truth);
    void BeginFall(RobotTally& t, const RobotTruth& robot, const GroundTruth& truth);
    void EndFall(RobotTally& t, double now);
    std::vector<RobotTally> robots_;
    std::vector<Fall> falls_;
    std::vector<Goal> goals_;
    int scoreLeft_ = 0, scoreRight_ = 0;
    std::string playMode_;
    int freeKicksLeft_ = 0, freeKicksRight_ = 0;
    double lastTime_ = -1;
    double ballLeftSec_ = 0, ballRightSec_ = 0;
};

}  // namespace rcss
