// Leg forward kinematics and ground odometry: where the torso goes over the ground when
// the support foot does not slip. Shared by the world model (motion between landmark
// fixes) and the practice pitch's simulated robot. No globals; one private body model.
#pragma once

#include "geometry/matrix.h"
#include "motion/nao.h"

// Ankle poses (joint 6 of each leg): orientation and position in metres, in the frame
// the torso pose is given in.
struct Ankles {
    salt::Matrix left, right;
};

// Forward kinematics of the legs for a torso pose and joint angles in degrees
// (indexed by JointID); only the twelve leg entries are read.
Ankles LegKinematics(const salt::Matrix& torso, const double (&angleDeg)[kJointCount]);

// Where the robot goes over the ground if its support foot never slips: the torso moves
// opposite to the support ankle as seen from the torso. Frame of the start pose (motion
// frame): x to the right, y forward, metres; heading in degrees, positive to the left.
class GroundOdometry {
public:
    // The ankles in the torso's frame (LegKinematics with an identity torso) from this
    // cycle's angles. The lower foot supports; a change of support foot only re-anchors.
    void Update(const Ankles& ankles);

    double xM = 0.0;
    double yM = 0.0;
    double headingDeg = 0.0;
    // The last update's move in the torso frame it started from (motion frame, metres)
    // and its turn (degrees, positive to the left); zero when it only re-anchored.
    double stepRightM = 0.0;
    double stepForwardM = 0.0;
    double stepTurnDeg = 0.0;

private:
    bool anchored_ = false;
    bool leftSupports_ = false;
    salt::Matrix support_;
};
