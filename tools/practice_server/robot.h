// One robot on the practice pitch: simulated joints, a pose moved by leg odometry from the
// last placement, its feet as boxes for ball contact, and the sensor readings of the pose.
// Reads the effector names of `ACT.HJControl` (through simkit); no other globals.
#pragma once
#include <array>
#include <string>

#include "practice_server/ball.h"
#include "practice_server/practice.h"
#include "simkit/body.h"
#include "simkit/joints.h"
#include "simkit/vision_render.h"

namespace practice {

constexpr double kCycleSec = 0.02;
constexpr double kBodyRadius = 0.09;  // the torso as a disc, for walking into the ball

struct SimRobot {
    SimRobot() : joints(true) {}

    // Puts the robot at a field pose and restarts odometry there.
    void Place(double x, double y, double bodyDeg);
    // Angles of this cycle's command applied, then the pose and feet follow them.
    void Advance(const std::string& command);
    // The camera where the robot's own team sees it (its team frame).
    simkit::ViewPose CameraInTeamFrame() const;
    // Body parts as another robot's camera sees them, in the given side's frame.
    simkit::SeenPlayer AsSeenBy(Side viewer) const;
    // Gyroscope, accelerometer and foot pressures of the current pose.
    void Sensors(simkit::PerceptText& text) const;
    // Lays the robot down; it stays until its joints have gone through a get-up.
    void LayDown(bool ontoBack, double gameTimeSec);
    // True on the cycle it stands again.
    bool CheckGetUp(double gameTimeSec);

    RobotInfo info;
    simkit::SimulatedJoints joints;
    simkit::GroundOdometry odometry;
    double originX = 0, originY = 0, originDeg = 0;  // field pose of the last placement
    double vx = 0, vy = 0, turnDegPerSec = 0;         // over the last cycle
    std::array<FootBox, 2> feet{};                    // left, right
    bool feetKnown = false;                           // false right after a placement
    bool onBack = false;
    double lyingSinceSec = 0.0;
    double jointTravelDeg = 0.0;  // leg joint motion since it was laid down
    int getUpFailures = 0;

private:
    void UpdateFeet(const simkit::Ankles& ankles, double dtSec);
};

// Field frame to a side's team frame (and back: the mirror is its own inverse).
inline double SideX(Side side, double x) { return side == Side::Left ? x : -x; }
inline double SideDeg(Side side, double deg) { return side == Side::Left ? deg : deg + 180.0; }

}  // namespace practice
