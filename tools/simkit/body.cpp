// Odometry pose and beam request of a simulated robot. No globals.
#include "simkit/body.h"

#include <cmath>
#include <cstdio>

#include "geometry/geometry.h"

namespace simkit {

GroundPose PoseFromOdometry(const GroundPose& origin, const GroundOdometry& odometry) {
    const double a = origin.bodyDeg * kFullPi / 180.0;
    GroundPose pose;
    pose.x = origin.x + odometry.yM * std::cos(a) + odometry.xM * std::sin(a);
    pose.y = origin.y + odometry.yM * std::sin(a) - odometry.xM * std::cos(a);
    pose.bodyDeg = NormalizeAngleDeg(origin.bodyDeg + odometry.headingDeg);
    return pose;
}

bool ParseBeam(const std::string& text, GroundPose& pose) {
    double x = 0, y = 0, rotDeg = 0;
    if (std::sscanf(text.c_str(), "(beam %lf %lf %lf)", &x, &y, &rotDeg) != 3) return false;
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(rotDeg)) return false;
    pose = GroundPose{x, y, rotDeg};
    return true;
}

}  // namespace simkit
