// Test-only simulated robot for closed-loop motion tests: joint angles that follow the
// speeds of each effector message as the server applies them, fed back as a perception
// message through the parser and the world model. Writes `SenseParse` (Parse), `wm`
// (UpdateAll) and `ACT` (ClearControl, MakeCommand); reads the names in both tables.
#pragma once
#include <string>

#include "perception/msgparse.h"
#include "simkit/joints.h"

namespace standin {

class KinematicRobot {
public:
    static constexpr double kSpeedCapRadPerSec = simkit::SimulatedJoints::kSpeedCapRadPerSec;
    static constexpr double kCycleSec = simkit::SimulatedJoints::kCycleSec;

    // All joints start at zero, as a robot the server has just created; with capSpeed
    // the server's speed limit is applied, without it every speed is followed exactly.
    explicit KinematicRobot(bool capSpeed);

    // One cycle as the agent runs it: the current angles go out in a perception message
    // that SenseParse.Parse and wm.UpdateAll() take in, the command table is cleared,
    // `motion` fills it, and the effector message text is applied. A speed in the message first moves
    // the angles reported one cycle later, and stays in force until replaced.
    template <typename Motion>
    void Cycle(Motion&& motion) {
        Publish();
        motion();
        ApplyCommand();
    }

    double AngleDeg(int joint) const { return joints_.AngleDeg(joint); }
    const double (&AnglesDeg() const)[kJointCount] { return joints_.AnglesDeg(); }
    // Speed in force on the server for a joint (rad/s, as written in the message).
    double SpeedInForce(int joint) const { return joints_.SpeedInForce(joint); }
    // The effector message of the last cycle.
    const std::string& LastCommand() const { return command_; }
    int Cycles() const { return cycles_; }

    simkit::Ankles SimulatedAnkles(const salt::Matrix& torso) const {
        return simkit::LegKinematics(torso, joints_.AnglesDeg());
    }

private:
    void RenderPerception();
    void Publish();
    void ApplyCommand();

    simkit::SimulatedJoints joints_;
    int cycles_ = 0;
    std::string perception_;
    std::string command_;
};

}  // namespace standin
