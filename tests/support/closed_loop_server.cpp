// The closed loop is a practice match of one robot with the referee switched off, so the
// robot lives exactly as it does in the pitch's own matches.
#include "support/closed_loop_server.h"

#include <algorithm>

namespace standin {

namespace {

practice::Options ClosedLoopOptions() {
    practice::Options o;
    o.port = 0;
    o.autoReferee = false;
    o.printEvents = false;
    return o;
}

}  // namespace

ClosedLoopServer::ClosedLoopServer() : match_(ClosedLoopOptions()) { match_.Listen(); }

bool ClosedLoopServer::Accept(double timeoutSec) { return match_.WaitForAgents(1, timeoutSec); }

practice::RobotInfo ClosedLoopServer::Robot() const {
    const std::vector<practice::RobotInfo> robots = match_.Robots();
    return robots.empty() ? practice::RobotInfo() : robots.front();
}

int ClosedLoopServer::BeamEvents() const {
    const auto& events = match_.Events();
    return int(std::count_if(events.begin(), events.end(),
                             [](const std::string& e) { return e.find(" beam ") != std::string::npos; }));
}

bool ClosedLoopServer::Cycle(const std::string& playMode) {
    match_.SetPlayMode(playMode);
    const long answeredBefore = Robot().answered;
    const int beamsBefore = BeamEvents();
    if (!match_.Step()) return false;
    beamsLastCycle_ = BeamEvents() - beamsBefore;
    const practice::RobotInfo robot = Robot();
    return robot.connected && robot.answered > answeredBefore;
}

std::string ClosedLoopServer::LastCommand() const {
    const practice::RobotInfo robot = Robot();
    return match_.LastCommand(robot.side, robot.unum);
}

void ClosedLoopServer::LayDown(bool ontoBack) {
    const practice::RobotInfo robot = Robot();
    match_.Push(robot.side, robot.unum, ontoBack, match_.GameTime());
}

}  // namespace standin
