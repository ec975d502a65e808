// Test-only closed-loop runner for walking-engine tests: one engine driving the simulated robot,
// with the figures every walking test judges (solver refusals, speeds on the wire,
// leg geometry, tracking, ground odometry, closing-step calls).
#pragma once
#include <vector>

#include "motion/3dlip.h"
#include "support/kinematic_robot.h"

namespace walktest {

constexpr int kCyclesPerMinute = 3000;
// Cycles after the start step before the walk counts as settled.
constexpr int kSettleCycles = 100;

struct Figures {
    int startStepIKFailures = 0;  // unreachable poses in the start step, its last call included
    int ikFailures = 0;           // every other one
    int nonFinite = 0;            // leg speeds in the command table
    double maxTableLegSpeed = 0.0;  // rad/s, as the engine put it in the command table
    double maxSentLegSpeed = 0.0;   // rad/s, as written (two decimals) in the messages
    int legSpeedsAtCap = 0;        // leg clauses at the joints' limit
    double geometryMm = 0.0;  // FK of the commanded angles against the commanded ankles
    double geometryRot = 0.0;  // same, largest rotation-matrix element difference
    double trackMaxMm = 0.0;  // FK of the simulated angles against the commanded ankles
    double trackSumSqMm = 0.0;
    int trackSamples = 0;
    int closingCalls = 0;  // LAST_STEP cycles that ran the closing trajectory

    double TrackRmsMm() const;
};

// Every leg speed the engine commands is within the joints' limit; on the wire the
// two-decimal cut may round the limit itself up to 6.14.
void ExpectLegSpeedsWithinTheLimit(const Figures& f);

class ClosedLoop {
public:
    explicit ClosedLoop(bool capSpeed) : robot(capSpeed) {}

    // One cycle; `call` drives `lip`.
    template <typename Call>
    void Cycle(Call&& call) {
        double published[kJointCount];
        for (int j = 0; j < kJointCount; ++j) published[j] = robot.AngleDeg(j);
        const int failuresBefore = lip.iIKFailures;
        const bool startStepBefore = lip.bStartWalk;
        robot.Cycle([&] { call(lip); });
        Judge(published, lip.iIKFailures != failuresBefore, startStepBefore || lip.bStartWalk);
        phases.push_back(lip.mPhase);
    }

    void Walk(ACT_TYPE type, int turnDeg, bool small, int cycles);
    // StopWalk until it reports the stop done; the number of calls, or -1.
    int Stop(int delay, bool small, int maxCycles);

    LIP lip;
    standin::KinematicRobot robot;
    simkit::GroundOdometry odometry;
    Figures fig;
    std::vector<TPhase> phases;  // after every cycle
    int settledCycles = 0;       // walking cycles since the start step ended

private:
    void Judge(const double (&published)[kJointCount], bool refused, bool startStep);
    void JudgeSpeeds();
    void JudgeGeometry(bool leftHolds);
    void JudgeTracking(const double (&published)[kJointCount], bool leftHolds);
};

}  // namespace walktest
