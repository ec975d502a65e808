// Counting falls, lying time, goals and the ball's half as the ground truth comes in.
#include "rcss/tally.h"

#include <algorithm>

namespace rcss {
namespace {

constexpr double kLyingBelowUpZ = 0.5;
constexpr double kStandingAboveUpZ = 0.7;  // hysteresis: a wobble at the threshold is one fall

}  // namespace

bool IsFreeKickFor(const std::string& playMode, TeamSide side) {
    const std::string to = side == TeamSide::Left ? "free_kick_left" : "free_kick_right";
    return playMode == to || playMode == "direct_" + to;
}

int Tally::Falls(TeamSide side) const {
    int falls = 0;
    for (const RobotTally& t : robots_) falls += t.side == side ? t.falls : 0;
    return falls;
}

RobotTally& Tally::Entry(const RobotTruth& robot) {
    for (RobotTally& t : robots_)
        if (t.side == robot.side && t.unum == robot.unum) return t;
    robots_.push_back({});
    robots_.back().side = robot.side;
    robots_.back().unum = robot.unum;
    return robots_.back();
}

const RobotTally* Tally::Find(TeamSide side, int unum) const {
    for (const RobotTally& t : robots_)
        if (t.side == side && t.unum == unum) return &t;
    return nullptr;
}

void Tally::Add(const GroundTruth& truth) {
    const double now = truth.gameTime;
    const double dt = lastTime_ < 0 ? 0.0 : std::max(0.0, now - lastTime_);
    lastTime_ = now;
    (truth.ballX < 0 ? ballLeftSec_ : ballRightSec_) += dt;
    for (; scoreLeft_ < truth.scoreLeft; ++scoreLeft_) goals_.push_back({TeamSide::Left, now});
    for (; scoreRight_ < truth.scoreRight; ++scoreRight_) goals_.push_back({TeamSide::Right, now});
    if (truth.playMode != playMode_) {
        playMode_ = truth.playMode;
        freeKicksLeft_ += IsFreeKickFor(playMode_, TeamSide::Left) ? 1 : 0;
        freeKicksRight_ += IsFreeKickFor(playMode_, TeamSide::Right) ? 1 : 0;
    }
    for (const RobotTruth& robot : truth.robots) {
        if (robot.unum <= 0) continue;
        RobotTally& t = Entry(robot);
        if (!t.lying && robot.up[2] < kLyingBelowUpZ) {
            t.lying = true;
            ++t.falls;
            t.lyingSinceSec = now;
        } else if (t.lying && robot.up[2] > kStandingAboveUpZ) {
            t.lying = false;
            t.lyingTotalSec += now - t.lyingSinceSec;
            t.lyingLongestSec = std::max(t.lyingLongestSec, now - t.lyingSinceSec);
        }
    }
}

void Tally::Finish() {
    for (RobotTally& t : robots_) {
        if (!t.lying) continue;
        t.lying = false;
        t.lyingTotalSec += lastTime_ - t.lyingSinceSec;
        t.lyingLongestSec = std::max(t.lyingLongestSec, lastTime_ - t.lyingSinceSec);
    }
}

}  // namespace rcss
