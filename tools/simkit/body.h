// Where a simulated robot stands and what it asks of the server about that: its field pose
// moved by leg odometry since the last placement, and the beam request. Used by the practice
// pitch and by anything that moves a robot the way it does. No globals.
#pragma once
#include <string>

#include "motion/legodometry.h"

namespace simkit {

// A robot on the ground: metres and degrees in one frame (field or team frame alike).
struct GroundPose {
    double x = 0.0, y = 0.0, bodyDeg = 0.0;
};

// The pose odometry has reached from `origin`, the pose where it was last restarted. The
// odometry frame has x to the robot's right and y forward of that origin pose.
GroundPose PoseFromOdometry(const GroundPose& origin, const GroundOdometry& odometry);

// "(beam X Y ROT)": the requested pose; false for any other text and for numbers that are
// not finite, which no server may place a robot at.
bool ParseBeam(const std::string& text, GroundPose& pose);

}  // namespace simkit
