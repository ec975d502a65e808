// Simulated robot pieces shared by the practice pitch and the closed-loop tests: joint
// angles driven by effector speeds as the server applies them, leg forward kinematics and
// ground odometry. Reads the effector names of `ACT.HJControl`; LegKinematics reuses one Nao.
#pragma once
#include <string>

#include "geometry/matrix.h"
#include "motion/nao.h"

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

}  // namespace standin
