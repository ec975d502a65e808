// Ball kinematics on the practice pitch: rolling, contact with feet, bodies and goals.
#include "practice_server/ball.h"

#include <algorithm>
#include <cmath>

namespace practice {

namespace {

constexpr double kDragPerSec = 0.4;     // speed lost per second, proportional
constexpr double kFrictionMps2 = 0.1;   // speed lost per second, constant
constexpr double kGoalDepth = 0.6;

// Removes the approach speed along the unit normal n and adds it back scaled by restitution.
void Bounce(BallState& ball, double nx, double ny, double vx, double vy, double restitution) {
    const double approach = (ball.vx - vx) * nx + (ball.vy - vy) * ny;
    if (approach >= 0) return;
    ball.vx -= (1 + restitution) * approach * nx;
    ball.vy -= (1 + restitution) * approach * ny;
}

}  // namespace

void Roll(BallState& ball, double dtSec) {
    const double speed = std::hypot(ball.vx, ball.vy);
    if (speed <= 0) return;
    ball.x += ball.vx * dtSec;
    ball.y += ball.vy * dtSec;
    const double slower = speed * std::exp(-kDragPerSec * dtSec) - kFrictionMps2 * dtSec;
    const double scale = slower > 0 ? slower / speed : 0.0;
    ball.vx *= scale;
    ball.vy *= scale;
}

bool PushByFoot(BallState& ball, const FootBox& foot, double restitution) {
    if (foot.soleZ >= 2 * kBallRadius || foot.soleZ + foot.height <= 0) return false;
    const double a = foot.headingDeg * kFullPi / 180.0;
    const double c = std::cos(a), s = std::sin(a);
    // Ball centre in the foot's frame: u along the foot, w to its left.
    const double dx = ball.x - foot.x, dy = ball.y - foot.y;
    const double u = c * dx + s * dy, w = -s * dx + c * dy;
    const double cu = std::clamp(u, -foot.halfLength, foot.halfLength);
    const double cw = std::clamp(w, -foot.halfWidth, foot.halfWidth);
    double nu = u - cu, nw = w - cw;
    double dist = std::hypot(nu, nw);
    if (dist >= kBallRadius) return false;
    if (dist <= 1e-9) {
        // Centre inside the box: leave by the nearest face.
        const double outU = foot.halfLength - std::fabs(u), outW = foot.halfWidth - std::fabs(w);
        nu = outU < outW ? (u < 0 ? -1.0 : 1.0) : 0.0;
        nw = outU < outW ? 0.0 : (w < 0 ? -1.0 : 1.0);
        dist = 0.0;
    } else {
        nu /= dist;
        nw /= dist;
    }
    const double nx = c * nu - s * nw, ny = s * nu + c * nw;
    const double surfX = foot.x + c * cu - s * cw, surfY = foot.y + s * cu + c * cw;
    ball.x = surfX + nx * kBallRadius;
    ball.y = surfY + ny * kBallRadius;
    Bounce(ball, nx, ny, foot.vx, foot.vy, restitution);
    return true;
}

bool PushByDisc(BallState& ball, double cx, double cy, double radius, double vx, double vy,
                double restitution) {
    const double dx = ball.x - cx, dy = ball.y - cy;
    const double dist = std::hypot(dx, dy);
    const double reach = radius + kBallRadius;
    if (dist >= reach) return false;
    // A ball exactly at the centre leaves in the obstacle's direction of travel, else +x.
    const double speed = std::hypot(vx, vy);
    const double nx = dist > 1e-9 ? dx / dist : (speed > 0 ? vx / speed : 1.0);
    const double ny = dist > 1e-9 ? dy / dist : (speed > 0 ? vy / speed : 0.0);
    ball.x = cx + nx * reach;
    ball.y = cy + ny * reach;
    Bounce(ball, nx, ny, vx, vy, restitution);
    return true;
}

void BounceOffGoal(BallState& ball) {
    for (const double px : {-kGoalPostX, kGoalPostX})
        for (const double py : {-kGoalPostY, kGoalPostY}) PushByDisc(ball, px, py, kPostRadius, 0, 0, 0.5);
    const double back = kGoalPostX + kGoalDepth;
    if (std::fabs(ball.x) > back && std::fabs(ball.y) < kGoalPostY) {
        ball.x = std::copysign(back, ball.x);
        ball.vx = 0;
        ball.vy = 0;
    }
}

}  // namespace practice
