// Simulated robot pieces shared by the practice pitch and the closed-loop tests: joint
// angles driven by effector speeds as the server applies them, with the agent's leg
// kinematics and ground odometry. Reads the effector names of `ACT.HJControl`.
#pragma once
#include <string>

#include "geometry/matrix.h"
#include "motion/legodometry.h"
#include "motion/nao.h"

namespace simkit {

// The leg kinematics and ground odometry are the agent's own (motion/legodometry.h).
using ::Ankles;
using ::GroundOdometry;
using ::LegKinematics;

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
    // Sets an angle outright (a robot put into a posture by the server).
    void SetAngleDeg(int joint, double deg) { angleDeg_[joint] = deg; }

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

}  // namespace simkit
