// Test-only simulated robot for closed-loop motion tests: joint angles that follow the
// speeds of each effector message as the server applies them, fed back as a perception
// message through the parser and the world model. Writes `SenseParse` (Parse), `wm`
// (UpdateAll) and `ACT` (ClearControl, MakeCommand); reads the names in both tables.
#pragma once
#include <string>

#include "geometry/matrix.h"
#include "motion/nao.h"
#include "perception/msgparse.h"

namespace standin {

// Ankle poses (joint 6 of each leg): orientation and position in metres, in the frame
// the torso pose is given in.
struct Ankles {
    salt::Matrix left, right;
};

// Forward kinematics of the legs for a torso pose and joint angles in degrees
// (indexed by JointID); only the twelve leg entries are read.
Ankles LegKinematics(const salt::Matrix& torso, const double (&angleDeg)[kJointCount]);

// Where the simulated robot would go over the ground if its support foot never slipped:
// the torso moves opposite to the support ankle as seen from the torso. Frame of the
// start pose: x to the right, y forward, metres; heading in degrees, positive to the left.
class GroundOdometry {
public:
    // The ankles in the torso's frame (LegKinematics with an identity torso) from this
    // cycle's simulated angles. The lower foot supports; a change of support foot only
    // re-anchors.
    void Update(const Ankles& ankles);

    double xM = 0.0;
    double yM = 0.0;
    double headingDeg = 0.0;

private:
    bool anchored_ = false;
    bool leftSupports_ = false;
    salt::Matrix support_;
};

// Joint angles as the server moves them: each speed of an effector message (rad/s) stays
// in force until replaced and first moves the angles one cycle later, optionally capped at
// the joints' limit. Starts with every joint at zero, as a robot just created.
class SimulatedJoints {
public:
    // The server's per-joint speed limit (rad/s), for robot types 0 and 1.
    static constexpr double kSpeedCapRadPerSec = 6.1395;
    static constexpr double kCycleSec = 0.02;

    explicit SimulatedJoints(bool capSpeed) : capSpeed_(capSpeed) {}

    // One cycle: the joint clauses of `command` take force; a say clause is skipped.
    void Apply(const std::string& command);

    double AngleDeg(int joint) const { return angleDeg_[joint]; }
    const double (&AnglesDeg() const)[kJointCount] { return angleDeg_; }
    double SpeedInForce(int joint) const { return inForce_[joint]; }

private:
    void ReadClauses(const std::string& command);
    double Capped(double speed) const;

    bool capSpeed_;
    double angleDeg_[kJointCount] = {};
    double inForce_[kJointCount] = {};  // last speed sent per joint
    double moving_[kJointCount] = {};   // speed applied during the coming cycle
};

class KinematicRobot {
public:
    static constexpr double kSpeedCapRadPerSec = SimulatedJoints::kSpeedCapRadPerSec;
    static constexpr double kCycleSec = SimulatedJoints::kCycleSec;

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

    Ankles SimulatedAnkles(const salt::Matrix& torso) const {
        return LegKinematics(torso, joints_.AnglesDeg());
    }

private:
    void RenderPerception();
    void Publish();
    void ApplyCommand();

    SimulatedJoints joints_;
    int cycles_ = 0;
    std::string perception_;
    std::string command_;
};

}  // namespace standin
