// The practice pitch's referee: play modes from the left team's view (the strings the
// server sends to both teams), goals, set-piece placements and the game clock. No globals.
#pragma once
#include <string>

#include "runtime/playmode.h"

#include "practice_server/ball.h"
#include "practice_server/practice.h"

namespace practice {

class Referee {
public:
    explicit Referee(const Options& options);

    // One cycle after the ball has moved: may change the mode and place the ball. Returns
    // true when the mode changed.
    bool Update(double serverTimeSec, BallState& ball, Side lastTouch);
    void SetMode(const std::string& mode);
    // A mode set from outside: a set piece waits for the ball to leave where it lies now.
    void Script(const std::string& mode, const BallState& ball);
    void AdvanceClock();  // the game clock runs in every mode but BeforeKickOff and GameOver

    const std::string& Mode() const { return mode_; }
    // The mode as the left team takes it (PM_None for a scripted word no table holds).
    TPlayMode LeftView() const { return leftView_; }
    double GameTime() const { return gameCycles_ * 0.02; }
    int Score(Side side) const { return side == Side::Left ? scoreLeft_ : scoreRight_; }
    bool BeamAllowed() const;
    // Set pieces wait for the ball to move: then play goes on.
    bool WaitsForKick() const;
    // The side scoring last ("Goal_Left": the left team scored).
    Side LastGoal() const { return lastGoal_; }

private:
    void Start(TPlayMode leftView, BallState& ball, double x, double y);
    bool Goal(BallState& ball);
    bool OutOfField(BallState& ball, Side lastTouch);

    Options options_;
    std::string mode_ = "BeforeKickOff";
    TPlayMode leftView_ = PM_BeforeKickOff;
    long gameCycles_ = 0;  // counted, so that the clock reads whole cycles without drift
    double modeStartSec_ = 0.0;  // game time of the last change
    double placedX_ = 0.0, placedY_ = 0.0;
    int scoreLeft_ = 0, scoreRight_ = 0;
    Side lastGoal_ = Side::Left;
};

}  // namespace practice
