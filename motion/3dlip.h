// Walking engine on the linear inverted pendulum: walk, stop and standing posture, the
// gait generator and its state. Global: `Lip` (corvane.cpp). Reads `wm.m_HJ`; writes
// `gNao` (leg solutions) and `ACT.HJControl` (leg speeds, head and arm commands).
#pragma once

#include "geometry/matrix.h"
#include "motion/spline.h"
#include "perception/msgparse.h"

// Walk types; behaviours pass these to the engine.
enum ACT_TYPE {
    ACT_NONE = 0,
    WALK_STAY,
    WALK_HL,
    WALK_HR,
    WALK_F,
    WALK_F_L,
    WALK_F_R,
    WALK_B,
    WALK_B_L,
    WALK_B_R,
    WALK_L,
    WALK_R,
    WALK_S,
    WALK_X,
    TURN_L,
    TURN_R,
    TURN
};

// Engine phases; FIRST_STEP and MARK_TIME_STEP are never entered.
enum TPhase { PREPARE = 0, FIRST_STEP, NORMAL_STEP, MARK_TIME_STEP, LAST_STEP, STOP };

struct PoseRow;  // one walk type's torso and foot placement (3dlip.cpp)

class LIP {
public:
    // One control period of walking; turn in degrees, positive to the left. bClear only
    // resets the engine for a fresh start.
    void Walk(ACT_TYPE Type, int mTurnAngle, bool bUseSmallWalk, bool bClear);
    // One control period of stopping; true once standing and `delaytime` more cycles
    // have passed (a negative delay is a pure count of calls).
    bool StopWalk(int delaytime, bool bUseSmallWalk);
    // One control period of the standing posture; iDelay as for StopWalk, 0 reports the
    // posture at once. bClear only resets the counters.
    bool Prepare(int iDelay, bool bClear);
    // Head straight and arms along the body, as in the standing posture; for one cycle.
    void CommandStandingHeadAndArms();
    // No stride under way any more (the robot has got up from a fall): the next walk starts
    // from standing in the type it asks for.
    void StartAfresh();
    // Whether the measured leg joints stand in the posture Prepare commands.
    bool IsPrepareDone() const;
    // True while a behaviour may change its plan: a step has just ended, or the start step.
    bool isWalkStop() const;

    void setf(float value) { f = value; }
    void setPhase(TPhase phase) { mPhase = phase; }

    // Gait generator: torso and swing-foot trajectory at step clock tSec (seconds) in
    // the pendulum frame (X forward, Y lateral, both from the support foot). `per` is
    // the clock advance per call in 0.02 s units; bClear only resets the generator.
    void CalWalkData(float tSec, int per, bool bLastStep, bool bClear);

    // Turn profiles over the step from EndTime2 to EndTime4 (degrees).
    void SetTurnAngle(int AngleDeg);
    float GetTurnAngle_tomax(float tSec) const;
    float GetTurnAngle_tomin(float tSec) const;

    int StepCount = 0;
    bool bDisableSwingArm = false;
    float f = 0.2f;        // pendulum height, descriptive
    float w = 7.0f;        // pendulum natural frequency, 1/s
    float x0 = 0.022f;     // start offsets of the torso, forward and lateral, metres
    float y0 = 0.01f;
    float s0 = 0.09f;      // start step length
    float ss1 = 0.08f;     // support foot to torso at the start / end of a step
    float ss2 = 0.08f;
    float ss = 0.04f;      // closing step length
    float Q = 0.097f;      // lateral distance between the feet
    float H = 0.1f;        // swing foot lift
    float td = 0.005f;     // double-support time after the start step
    float SlowGain = 0.0f;
    float NextSS = 0.073f; // step length from the second step on
    float EndTime1 = 0.0f, EndTime2 = 0.0f, EndTime3 = 0.0f, EndTime4 = 0.0f, EndTimeLast = 0.0f;
    TPhase mPhase = PREPARE;
    salt::Matrix mTorso, mMoveFoot, mHoldFoot;
    salt::Vector3f TorsoPos, MoveFootPos, HoldFootPos;
    Spline mSTurnAngleUp, mSTurnAngleDown;
    float TorsoX = 0.0f, TorsoY = 0.0f;
    float MoveFootX = 0.0f, MoveFootY = 0.0f, MoveFootZ = 0.0f;
    float HoldFootX = 0.0f, HoldFootY = 0.0f;
    float MoveFootYHL = 0.0f, MoveFootYHR = 0.0f;
    bool bStartWalk = false;
    bool bEndWalk = false;
    bool bStopDone = false;
    bool bLeftHold = false;
    bool bSmallWalk = false;
    bool bChangeFoot = false;
    bool bChangeState = false;
    bool bChangeDirection = false;
    int iInChangeCount = 0;
    int mAngle = 0;      // turn of the current step, degrees
    int mSetAngle = 0;   // turn requested for the next step, degrees
    // Step clock, 0.02 s units. A walk starts from -1, so that its clock meets the short
    // double-support window that hands the start step over to the first normal step.
    float iCycle = -1.0f;
    ACT_TYPE mType = ACT_NONE;
    ACT_TYPE mNextType = ACT_NONE;

    // Generator state carried from call to call; cleared by CalWalkData(.., bClear).
    float XSpeed1E = 0.0f;  // forward torso speed at the start of a step
    float XSpeed3E = 0.0f;  // forward torso speed over the support foot
    float YSpeed1E = 0.0f;  // lateral speed scale
    float YLast = 0.0f;
    float YInit = 0.0f;
    bool Caled1 = false, Caled2 = false, Caled3 = false, Caled4 = false;

    // Unreachable foot poses met since start (each printed as an IK_LEG error block).
    int iIKFailures = 0;

    // What behaviour asked for last, before the engine's limits: developer tools report it
    // and behaviour tests read it. Counters grow by one per public call.
    struct Request {
        ACT_TYPE type = ACT_NONE;
        int turnDeg = 0;
        bool smallWalk = false;
        long walkCalls = 0;
        long stopCalls = 0;
        long prepareCalls = 0;  // also those the engine makes itself while walking or stopping
    };
    Request lastRequest;

private:
    void Advance(bool bStopping, int delaytime);
    void StartStepping();
    void NormalStep(bool bClear);
    void LastStep(bool bClear);
    void StopDo(int delaytime);
    void CommandStandingLegs();
    bool PrepareCompleted(int iDelay);
    void ApplyWalkData();
    bool PlaceBody();
    void TurnFeet();
    void ReportUnreachable();
    void ApplyJVel(bool left, bool bPrepare);
    void CalSlowGain();
    void SwingArm(bool bLeft);
    // Advances the step clock by one call and runs a normal step of the generator;
    // true when that call ended the step (the clock has restarted).
    bool AdvanceNormalStep();
    // At a step end with a stop requested: slow down further or stop.
    void EndWalkAtStepEnd();
    // TorsoPos, HoldFootPos, MoveFootPos from the generator outputs by one row.
    void SetPose(const PoseRow& row);
    void BlendTowardsSmallSteps();
    float StepFraction() const;
    void MixPoseWith(const PoseRow& other, float a);
    void NoteTypeChange();
    void BlendFromEarlierType();
    // The walk type (and step size) whose row the pose follows, and the row it left at a
    // change of type, blended out over the following steps.
    struct PoseBlend {
        ACT_TYPE type = ACT_NONE;
        bool small = false;
        const PoseRow* from = nullptr;
        int fromStep = 0;
    };
    PoseBlend mBlend;
    // Steps taken so far while a stop from normal forward steps slows down; 0 otherwise.
    int iSlowingSteps = 0;

    // Standing posture: the latched "posture reached" and the delay counter.
    bool bPrepareDone = false;
    int iPrepareCount = 0;
    // Leg angles (radians) of Prepare's last solve, the posture IsPrepareDone accepts.
    float mStandAngleRad[kJointCount] = {};
    bool bStandAngleKnown = false;
    // Closing step: the flag LastStep raises when the step before it ends, and the
    // closing trajectory's own clock (0.02 s units), so that the step clock keeps its
    // place for a walk that goes on after a reversal.
    bool bClosingStep = false;
    float fClosingCycle = -1.0f;

    void StartWalkTiming();
    void NextStepTiming();
    void SetTurnForStep();
    void ClosingStep(float t);
    void StartPhase(float t);
    void DoubleSupportPhase(float t);
    void ApproachPhase(float t);
    void DeparturePhase(float t, int per);
    void SwingFoot(float tau2);
    void StepEnd();
    bool ChangeWaitsLonger();
    bool IsReversal() const;
    float Lift(float t, float D) const;
};
