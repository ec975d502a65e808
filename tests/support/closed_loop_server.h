// Test-only stand-in server that closes the loop over TCP: every cycle it renders a
// perception message from simulated joint angles and a pose moved by leg odometry, sends
// it, and applies the agent's answer as the real server would (beams included).
// Reads `ACT.HJControl` effector names only; the agent itself runs in another process.
#pragma once
#include <array>
#include <string>
#include <vector>

#include "support/kinematic_robot.h"
#include "support/standin_server.h"
#include "simkit/vision_render.h"

namespace standin {

class ClosedLoopServer {
public:
    // `server` must have accepted the agent and received its scene message.
    ClosedLoopServer(Server& server, int unum, bool capSpeed = true);

    // One cycle in the given play mode: message out, effector frame in and applied.
    // False when the agent did not answer in time (it ended, or hangs).
    bool Cycle(const std::string& playMode);

    int Cycles() const { return cycles_; }
    double AngleDeg(int joint) const { return joints_.AngleDeg(joint); }
    const ViewPose& Pose() const { return pose_; }
    // Beams received during the last cycle, as sent.
    const std::vector<std::string>& Beams() const { return beams_; }
    // The effector frame of the last cycle.
    const std::string& LastCommand() const { return command_; }

    std::array<double, 3> gyroDegPerSec{{0.0, 0.0, 0.0}};  // tests shake the robot with it
    VisionScene scene;

private:
    std::string Message(const std::string& playMode);
    bool ReceiveAnswer(size_t next);
    void ApplyBeam(const std::string& beam);
    void MoveByOdometry();

    Server& server_;
    int unum_;
    SimulatedJoints joints_;
    int cycles_ = 0;
    double gameTime_ = 0.0;
    ViewPose pose_;
    ViewPose origin_;  // where odometry started (the last beam)
    GroundOdometry odometry_;
    std::vector<std::string> beams_;
    std::string command_;
};

}  // namespace standin
