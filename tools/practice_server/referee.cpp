// Referee rules, in the order they are checked each cycle.
#include "practice_server/referee.h"

#include <algorithm>
#include <cmath>

namespace practice {

namespace {

constexpr double kHalfLength = kHalfFieldLengthM;
constexpr double kHalfWidth = kHalfFieldWidthM;
constexpr double kGoalPauseSec = 3.0;
constexpr double kGoalKickX = 14.0;  // the ball waits 1 m in front of the goal line
constexpr double kMovedM = 0.01;

Side Other(Side side) { return side == Side::Left ? Side::Right : Side::Left; }
// The left team's view of a mode that `side` takes ("KickIn_Right": the right team's kick-in).
TPlayMode TakenBy(Side side, TPlayMode ownMode) {
    return PlayModeFromWord(WordForPlayMode(ownMode, side == Side::Left), true);
}

}  // namespace

Referee::Referee(const Options& options) : options_(options) {}

void Referee::SetMode(const std::string& mode) {
    mode_ = mode;
    leftView_ = PlayModeFromWord(mode, true);
    modeStartSec_ = GameTime();
}

void Referee::Script(const std::string& mode, const BallState& ball) {
    SetMode(mode);
    placedX_ = ball.x;
    placedY_ = ball.y;
    if (leftView_ == PM_GoalUs || leftView_ == PM_GoalOpp) lastGoal_ = leftView_ == PM_GoalUs ? Side::Left : Side::Right;
}

void Referee::AdvanceClock() {
    if (leftView_ != PM_BeforeKickOff && leftView_ != PM_GameOver) ++gameCycles_;
}

bool Referee::BeamAllowed() const {
    return leftView_ == PM_BeforeKickOff || leftView_ == PM_GoalUs || leftView_ == PM_GoalOpp;
}

bool Referee::WaitsForKick() const {
    switch (leftView_) {
    case PM_KickOffUs: case PM_KickOffOpp: case PM_KickInUs: case PM_KickInOpp:
    case PM_CornerKickUs: case PM_CornerKickOpp: case PM_GoalKickUs: case PM_GoalKickOpp:
        return true;
    default:
        return false;
    }
}

void Referee::Start(TPlayMode leftView, BallState& ball, double x, double y) {
    SetMode(WordForPlayMode(leftView, true));
    ball = BallState{x, y, 0.0, 0.0};
    placedX_ = x;
    placedY_ = y;
}

bool Referee::Update(double serverTimeSec, BallState& ball, Side lastTouch) {
    if (!options_.autoReferee || leftView_ == PM_GameOver) return false;
    if (leftView_ != PM_BeforeKickOff && GameTime() >= options_.gameLengthSec - 1e-9) {
        SetMode(WordForPlayMode(PM_GameOver, true));
        return true;
    }
    if (leftView_ == PM_BeforeKickOff) {
        if (serverTimeSec < options_.kickOffAtSec) return false;
        Start(TakenBy(options_.kickOffRight ? Side::Right : Side::Left, PM_KickOffUs), ball, 0, 0);
        return true;
    }
    if (leftView_ == PM_GoalUs || leftView_ == PM_GoalOpp) {
        if (GameTime() - modeStartSec_ < kGoalPauseSec - 1e-9) return false;
        Start(TakenBy(Other(lastGoal_), PM_KickOffUs), ball, 0, 0);
        return true;
    }
    if (WaitsForKick()) {
        if (std::hypot(ball.x - placedX_, ball.y - placedY_) < kMovedM) return false;
        SetMode(WordForPlayMode(PM_PlayOn, true));
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
    SetMode(WordForPlayMode(TakenBy(lastGoal_, PM_GoalUs), true));
    return true;
}

bool Referee::OutOfField(BallState& ball, Side lastTouch) {
    if (std::fabs(ball.y) > kHalfWidth + kBallRadius) {
        const double x = std::clamp(ball.x, -kHalfLength, kHalfLength);
        Start(TakenBy(Other(lastTouch), PM_KickInUs), ball, x, std::copysign(kHalfWidth, ball.y));
        return true;
    }
    if (std::fabs(ball.x) <= kHalfLength + kBallRadius) return false;
    const Side defending = ball.x > 0 ? Side::Right : Side::Left;
    if (lastTouch == defending) {
        Start(TakenBy(Other(defending), PM_CornerKickUs), ball, std::copysign(kHalfLength, ball.x),
              std::copysign(kHalfWidth, ball.y));
    } else {
        Start(TakenBy(defending, PM_GoalKickUs), ball, std::copysign(kGoalKickX, ball.x), 0.0);
    }
    return true;
}

}  // namespace practice
