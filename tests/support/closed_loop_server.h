// One agent program (motion_probe, agent) in a closed loop on the practice pitch, its play
// mode scripted cycle by cycle: joints follow its speeds, its pose follows leg odometry, its
// beams place it. No agent globals; the program runs in another process.
#pragma once
#include <string>

#include "practice_server/practice.h"

namespace standin {

class ClosedLoopServer {
public:
    ClosedLoopServer();  // listening on a free loopback port

    int Port() const { return match_.Port(); }
    // Waits for the program's connection and its scene message.
    bool Accept(double timeoutSec = 5.0);

    // One cycle in the given play mode (the left team's view; the program plays left):
    // message out, answer in and applied. False once the program did not answer in time.
    bool Cycle(const std::string& playMode);

    long Cycles() const { return match_.Cycle(); }
    // The robot in the field frame; a default RobotInfo until the program has sent its init.
    practice::RobotInfo Robot() const;
    // Beams the pitch carried out during the last cycle.
    int BeamsLastCycle() const { return beamsLastCycle_; }
    // The program's answer of the last cycle.
    std::string LastCommand() const;
    // Knocks the robot down now; it lies until its joints have gone through a get-up.
    void LayDown(bool ontoBack);

private:
    int BeamEvents() const;

    practice::Match match_;
    int beamsLastCycle_ = 0;
};

}  // namespace standin
