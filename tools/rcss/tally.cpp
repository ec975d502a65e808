// Counting falls, lying time, goals and the ball's half as the ground truth comes in.
#include "rcss/tally.h"

#include <algorithm>
#include <cmath>

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
            BeginFall(t, robot, truth);
        } else if (t.lying && robot.up[2] > kStandingAboveUpZ) {
            EndFall(t, now);
        }
    }
    NoteCloseRobots(truth);
}

// Before the falls of this message are judged the closeness of the last one counts, so a
// robot falling onto another does not find its own fall a contact.
void Tally::NoteCloseRobots(const GroundTruth& truth) {
    for (const RobotTruth& a : truth.robots) {
        if (a.unum <= 0) continue;
        for (const RobotTruth& b : truth.robots) {
            if (&a == &b || b.unum <= 0) continue;
            if (std::hypot(a.x - b.x, a.y - b.y) < kContactM) Entry(a).lastCloseSec = truth.gameTime;
        }
    }
}

void Tally::BeginFall(RobotTally& t, const RobotTruth& robot, const GroundTruth& truth) {
    t.lying = true;
    ++t.falls;
    t.lyingSinceSec = truth.gameTime;
    Fall f;
    f.side = robot.side, f.unum = robot.unum, f.gameTimeSec = truth.gameTime, f.playMode = truth.playMode;
    f.x = robot.x, f.y = robot.y;
    f.ballDistM = std::hypot(truth.ballX - robot.x, truth.ballY - robot.y);
    f.nearestRobotM = 1e9;
    for (const RobotTruth& other : truth.robots)
        if (&other != &robot && other.unum > 0)
            f.nearestRobotM = std::min(f.nearestRobotM, std::hypot(other.x - robot.x, other.y - robot.y));
    f.contact = f.nearestRobotM < kContactM || truth.gameTime - t.lastCloseSec <= kContactWindowSec;
    falls_.push_back(f);
}

void Tally::EndFall(RobotTally& t, double now) {
    t.lying = false;
    t.lyingTotalSec += now - t.lyingSinceSec;
    t.lyingLongestSec = std::max(t.lyingLongestSec, now - t.lyingSinceSec);
    for (auto f = falls_.rbegin(); f != falls_.rend(); ++f) {
        if (f->side != t.side || f->unum != t.unum) continue;
        f->lyingSec = now - f->gameTimeSec;
        break;
    }
}

void Tally::Finish() {
    for (RobotTally& t : robots_)
        if (t.lying) EndFall(t, lastTime_);
}

}  // namespace rcss
