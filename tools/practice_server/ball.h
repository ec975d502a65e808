// The practice pitch's ball: a disc on the ground with rolling friction, pushed out of feet
// and bodies that sweep into it and bounced off the goal posts. No globals.
#pragma once
#include "geometry/geometry.h"

namespace practice {

constexpr double kBallRadius = 0.042;
constexpr double kGoalPostX = kHalfFieldLengthM;
constexpr double kGoalPostY = kGoalPostYM;
constexpr double kPostRadius = 0.05;

struct BallState {
    double x = 0, y = 0, vx = 0, vy = 0;
};

// A foot as a box on the ground: centre, heading, half extents, the height of its sole
// above the ground and its velocity over the last cycle.
struct FootBox {
    double x = 0, y = 0, headingDeg = 0;
    double halfLength = 0.08, halfWidth = 0.04;
    double soleZ = 0, height = 0.05;
    double vx = 0, vy = 0;
};

// One cycle of rolling: drag that grows with speed plus a little constant friction, so a
// ball kicked at 3 to 5 m/s rolls about 6 to 11 m and a nudged one stops soon.
void Roll(BallState& ball, double dtSec);

// Moves the ball out of the foot and gives it the foot's speed along the contact normal,
// times (1 + restitution): a faster swing kicks harder. True on contact.
bool PushByFoot(BallState& ball, const FootBox& foot, double restitution = 0.6);

// The same for a round obstacle (a robot's body, a goal post) moving at (vx, vy).
bool PushByDisc(BallState& ball, double cx, double cy, double radius, double vx, double vy,
                double restitution);

// Goal posts bounce the ball back; the net behind the goal line stops it.
void BounceOffGoal(BallState& ball);

}  // namespace practice
