// Referee rules, in the order they are checked each cycle.
#include "practice_server/referee.h"

#include <algorithm>
#include <cmath>

namespace practice {

namespace {

constexpr double kHalfLength = 15.0;
constexpr double kHalfWidth = 10.0;
constexpr double kGoalPauseSec = 3.0;
constexpr double kGoalKickX = 14.0;  // the ball waits 1 m in front of the goal line
constexpr double kMovedM = 0.01;

const char* Named(Side side) { return side == Side::Left ? "Left" : "Right"; }
const char* NamedLower(Side side) { return side == Side::Left ? "left" : "right"; }
Side Other(Side side) { return side == Side::Left ? Side::Right : Side::Left; }

}  // namespace

Referee::Referee(const Options& options) : options_(options) {}

void Referee::SetMode(const std::string& mode) {
    mode_ = mode;
    modeStartSec_ = GameTime();
}

void Referee::Script(const std::string& mode, const BallState& ball) {
    SetMode(mode);
    placedX_ = ball.x;
    placedY_ = ball.y;
    if (mode.rfind("Goal_", 0) == 0) lastGoal_ = mode == "Goal_Left" ? Side::Left : Side::Right;
}

void Referee::AdvanceClock() {
    if (mode_ != "BeforeKickOff" && mode_ != "GameOver") ++gameCycles_;
}

bool Referee::BeamAllowed() const {
    return mode_ == "BeforeKickOff" || mode_ == "Goal_Left" || mode_ == "Goal_Right";
}

bool Referee::WaitsForKick() const {
    return mode_.rfind("KickOff_", 0) == 0 || mode_.rfind("KickIn_", 0) == 0 ||
           mode_.rfind("corner_kick_", 0) == 0 || mode_.rfind("goal_kick_", 0) == 0;
}

void Referee::Start(const std::string& mode, BallState& ball, double x, double y) {
    SetMode(mode);
    ball = BallState{x, y, 0.0, 0.0};
    placedX_ = x;
    placedY_ = y;
}

bool Referee::Update(double serverTimeSec, BallState& ball, Side lastTouch) {
    if (!options_.autoReferee || mode_ == "GameOver") return false;
    if (mode_ != "BeforeKickOff" && GameTime() >= options_.gameLengthSec - 1e-9) {
        SetMode("GameOver");
        return true;
    }
    if (mode_ == "BeforeKickOff") {
        if (serverTimeSec < options_.kickOffAtSec) return false;
        Start(std::string("KickOff_") + (options_.kickOffRight ? "Right" : "Left"), ball, 0, 0);
        return true;
    }
    if (mode_ == "Goal_Left" || mode_ == "Goal_Right") {
        if (GameTime() - modeStartSec_ < kGoalPauseSec - 1e-9) return false;
        Start(std::string("KickOff_") + Named(Other(lastGoal_)), ball, 0, 0);
        return true;
    }
    if (WaitsForKick()) {
        if (std::hypot(ball.x - placedX_, ball.y - placedY_) < kMovedM) return false;
        SetMode("PlayOn");
        Goal(ball) || OutOfField(ball, lastTouch);
        return true;
    }
    return Goal(ball) || OutOfField(ball, lastTouch);
}

// The whole ball behind a goal line between the posts.
bool Referee::Goal(BallState& ball) {
    if (std::fabs(ball.x) <= kHalfLength + kBallRadius || std::fabs(ball.y) >= kGoalPostY) return false;
    lastGoal_ = ball.x > 0 ? Side::Left : Side::Right;
    (lastGoal_ == Side::Left ? scoreLeft_ : scoreRight_) += 1;
    SetMode(std::string("Goal_") + Named(lastGoal_));
    return true;
}

bool Referee::OutOfField(BallState& ball, Side lastTouch) {
    if (std::fabs(ball.y) > kHalfWidth + kBallRadius) {
        const double x = std::clamp(ball.x, -kHalfLength, kHalfLength);
        Start(std::string("KickIn_") + Named(Other(lastTouch)), ball, x, std::copysign(kHalfWidth, ball.y));
        return true;
    }
    if (std::fabs(ball.x) <= kHalfLength + kBallRadius) return false;
    const Side defending = ball.x > 0 ? Side::Right : Side::Left;
    if (lastTouch == defending) {
        Start(std::string("corner_kick_") + NamedLower(Other(defending)), ball, std::copysign(kHalfLength, ball.x),
              std::copysign(kHalfWidth, ball.y));
    } else {
        Start(std::string("goal_kick_") + NamedLower(defending), ball, std::copysign(kGoalKickX, ball.x), 0.0);
    }
    return true;
}

}  // namespace practice
