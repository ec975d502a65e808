// Walking engine: walk, stop and standing posture, the step clock, foot poses from the
// gait generator, both legs solved and turned into speed commands, and the arm swing.
// Global: `Lip` (corvane.cpp). Reads `wm.m_HJ`, `gVariant`; writes `gNao`, `ACT.HJControl`.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iostream>

#include "motion/3dlip.h"
#include "motion/acthandle.h"
#include "motion/nao.h"
#include "runtime/corvane.h"
#include "runtime/variant.h"
#include "worldmodel/worldmodel.h"

// Where torso and feet go for one walk type, as factors on the generator's outputs
// (pendulum frame) plus offsets: lateral (robot x), forward (robot y), height.
struct PoseRow {
    float torsoLatPerY, torsoLat, torsoFwdPerX, torsoFwd;
    float holdLatPerY, holdFwd;
    float moveLatPerY, moveLatPerYHL, moveLatPerYHR, moveFwdPerX, moveFwd, moveLiftPerZ;
};

namespace {

constexpr float kCycleSec = 0.02f;  // one step-clock unit
constexpr int kClockAdvance = 2;     // gait time runs at twice real time
constexpr int kTurnStepDeg = 5;      // a turn request moves this far per call at most
constexpr int kMaxTurnDeg = 40;
constexpr int kMaxTurnMarkingTimeDeg = 30;
// Steps over which a stop from normal forward steps blends into small steps.
constexpr float kStopBlendSteps = 3.0f;
// Steps over which the pose moves from one walk type's row to the next: switched at once,
// the torso and swing foot jump by up to 16 cm while the torso carries the old speed.
constexpr float kTypeBlendSteps = 2.0f;

// The server cannot turn a joint faster than this; asking for more only makes some
// robot types oscillate at the ankles.
constexpr double kMaxLegSpeedRadPerSec = 6.1395;

constexpr float kPrepareGain = 0.35f;
constexpr float kStartStepGain = 0.15f;
constexpr float kGainDuringChange = 0.15f;
constexpr float kGainSideStep = 0.1f;
constexpr float kGainMarkingTime = 0.08f;
constexpr float kGainTurning = 0.12f;
constexpr float kGainStraight = 0.08f;
constexpr int kTurningFromDeg = 6;

constexpr double kPostureToleranceDeg = 1.0;
constexpr double kStandHipPitchDeg = 30.0;
constexpr double kStandKneeDeg = -74.0;
constexpr double kStandAnklePitchDeg = 45.0;

constexpr float kTorsoHeight = 0.35f;
constexpr float kAnkleHeight = 0.05f;

// Joint k (1..6) of a leg; the enumeration interleaves left and right.
int LegJoint(bool left, int k) {
    return (left ? JID_LLEG_1 : JID_RLEG_1) + 2 * (k - 1);
}

//                                   torso                     support     swing foot
constexpr PoseRow kStay          = {0.6f, 0, 0, 0.03f,         1, 0,       1, 0, 0, 0, 0, 0.4f};
constexpr PoseRow kSideLeft      = {0, -0.02f, 0, 0.02f,       1, 0,       0, 0.3f, 0, 0, 0, 0.4f};
constexpr PoseRow kSideRight     = {0, 0.02f, 0, 0.02f,        1, 0,       0, 0, 0.3f, 0, 0, 0.4f};
constexpr PoseRow kForwardStart  = {0.6f, 0, 1, 0.03f,         1, 0,       1, 0, 0, 1, 0, 1};
constexpr PoseRow kForward       = {0.6f, 0, 1, 0.03f,         1, -0.02f,  1, 0, 0, 1, -0.02f, 1};
constexpr PoseRow kBackward      = {0.6f, 0, -1, 0.01f,        1, 0,       1, 0, 0, -1, -0.02f, 1};
constexpr PoseRow kSmallLeft     = {0, -0.01f, 0, 0.02f,       0.8f, 0,    0, 0.36f * 0.4f, 0, 0, 0, 0.3f};
constexpr PoseRow kSmallRight    = {0, 0.01f, 0, 0.02f,        0.8f, 0,    0, 0, 0.36f * 0.4f, 0, 0, 0.3f};
constexpr PoseRow kSmallForward  = {0.6f, 0, 0.25f, 0.03f,     1, 0,       1, 0, 0, 0.25f, 0, 0.5f};
constexpr PoseRow kSmallBackward = {0.6f, 0, -0.25f, 0.022f,   1, 0,       1, 0, 0, -0.25f, -0.02f, 0.4f};
// agent_alt's small steps.
constexpr PoseRow kAltSmallLeft    = {0, -0.006f, 0, 0.02f,    0.6f, 0,    0, 0.36f * 0.4f, 0, 0, 0, 0.3f};
constexpr PoseRow kAltSmallRight   = {0, 0.006f, 0, 0.02f,     0.6f, 0,    0, 0, 0.36f * 0.3f, 0, 0, 0.3f};
constexpr PoseRow kAltSmallForward = {0.6f, 0, 0.2f, 0.03f,    1, 0,       1, 0, 0, 0.2f, 0, 0.5f};

// The row for a walk type, or null for a type the engine does not walk.
const PoseRow* RowFor(ACT_TYPE type, bool small, bool startStep) {
    switch (type) {
        case WALK_STAY: return &kStay;
        case WALK_HL: return !small ? &kSideLeft : gVariant.altSmallSteps ? &kAltSmallLeft : &kSmallLeft;
        case WALK_HR: return !small ? &kSideRight : gVariant.altSmallSteps ? &kAltSmallRight : &kSmallRight;
        case WALK_F:
            if (small) return gVariant.altSmallSteps ? &kAltSmallForward : &kSmallForward;
            return startStep ? &kForwardStart : &kForward;
        case WALK_B: return small ? &kSmallBackward : &kBackward;
        default: return nullptr;
    }
}

bool Near(int joint, double targetDeg) {
    return std::fabs(wm.m_HJ[joint].fAngle - targetDeg) < kPostureToleranceDeg;
}

bool BothLegsNear(int leftJoint, int rightJoint, double targetDeg) {
    return Near(leftJoint, targetDeg) && Near(rightJoint, targetDeg);
}

}  // namespace

void LIP::Walk(ACT_TYPE Type, int mTurnAngle, bool bUseSmallWalk, bool bClear) {
    if (bClear) {
        LastStep(true);  // step clock and closing step from the start
        CalWalkData(0.0f, kClockAdvance, false, true);
        Prepare(0, true);
        bStartWalk = true;
        mBlend = PoseBlend{};
        return;
    }
    lastRequest.type = Type;
    lastRequest.turnDeg = mTurnAngle;
    lastRequest.smallWalk = bUseSmallWalk;
    ++lastRequest.walkCalls;
    bEndWalk = false;
    bStopDone = false;
    iSlowingSteps = 0;
    const int maxTurn = (mType == WALK_STAY && !bChangeDirection) ? kMaxTurnMarkingTimeDeg : kMaxTurnDeg;
    const int angle = std::clamp(mTurnAngle, -maxTurn, maxTurn);
    bSmallWalk = bUseSmallWalk;
    mSetAngle = std::clamp(angle, mAngle - kTurnStepDeg, mAngle + kTurnStepDeg);
    if (mType == ACT_NONE) {
        mType = Type;
    } else if (Type != mType && !bChangeState) {
        bChangeState = true;
        mNextType = Type;
    }
    Advance(false, 0);
}

// Resumed after a get-up, the stride from before the fall (a reversal's closing step, a
// pending change, its turn) threw the robot down again at its first step.
void LIP::StartAfresh() {
    Walk(mType, 0, false, true);
    mPhase = STOP;
    mType = mNextType = ACT_NONE;
    bChangeState = bChangeDirection = false;
    iInChangeCount = 0;
    iSlowingSteps = 0;
    mAngle = mSetAngle = 0;
    bEndWalk = false;
}

bool LIP::StopWalk(int delaytime, bool bUseSmallWalk) {
    lastRequest.smallWalk = bUseSmallWalk;
    ++lastRequest.stopCalls;
    bEndWalk = true;
    mSetAngle = 0;
    bSmallWalk = bUseSmallWalk;
    Advance(true, delaytime);
    return bStopDone;
}

void LIP::Advance(bool bStopping, int delaytime) {
    switch (mPhase) {
        case PREPARE:
            if (!IsPrepareDone()) {
                Prepare(0, false);
            } else {
                StartStepping();
            }
            return;
        case STOP:
            if (bStopping) {
                StopDo(delaytime);
            } else {
                StartStepping();
            }
            return;
        case NORMAL_STEP: NormalStep(false); return;
        case LAST_STEP: LastStep(false); return;
        default: std::cout << "Lip Phase Error!" << std::endl;
    }
}

void LIP::StartStepping() {
    mPhase = NORMAL_STEP;
    NormalStep(false);
}

bool LIP::isWalkStop() const {
    return bChangeFoot || bStartWalk;
}

bool LIP::AdvanceNormalStep() {
    iCycle += kClockAdvance;
    CalWalkData(iCycle * kCycleSec, kClockAdvance, false, false);
    if (EndTime4 - iCycle * kCycleSec >= kClockAdvance * kCycleSec) return false;
    // Later steps skip the start phase and the double-support window.
    iCycle = EndTime2 / kCycleSec + 1;
    return true;
}

void LIP::NormalStep(bool bClear) {
    if (bClear) {
        iCycle = -1;
        return;
    }
    AdvanceNormalStep();
    ApplyWalkData();
}

// The step under way is finished as a normal step; then the closing step brings the
// feet together on its own clock from t = 0, so that it runs before STOP.
void LIP::LastStep(bool bClear) {
    if (bClear) {
        bClosingStep = false;
        fClosingCycle = -1;
        iCycle = -1;
        return;
    }
    if (!bClosingStep) {
        if (AdvanceNormalStep()) {
            bClosingStep = true;
            fClosingCycle = -1;
        }
    } else {
        fClosingCycle += kClockAdvance;
        CalWalkData(fClosingCycle * kCycleSec, kClockAdvance, true, false);
        // Done: the next stop, e.g. after a reversal walks on, closes again.
        if (mPhase == STOP) bClosingStep = false;
    }
    ApplyWalkData();
}

void LIP::StopDo(int delaytime) {
    if (!Prepare(delaytime, false)) return;
    Walk(WALK_F, 0, false, true);
    bStopDone = true;
}

bool LIP::Prepare(int iDelay, bool bClear) {
    if (bClear) {
        bPrepareDone = false;
        iPrepareCount = 0;
        return true;
    }
    ++lastRequest.prepareCalls;
    CommandStandingLegs();
    CommandStandingHeadAndArms();
    if (!bPrepareDone && IsPrepareDone()) bPrepareDone = true;
    return PrepareCompleted(iDelay);
}

void LIP::CommandStandingLegs() {
    mTorso.Identity();
    mHoldFoot.Identity();
    mMoveFoot.Identity();
    TorsoPos = salt::Vector3f(y0, x0, kTorsoHeight);
    HoldFootPos = salt::Vector3f(Q / 2, -0.02f, kAnkleHeight);
    MoveFootPos = salt::Vector3f(-Q / 2, -0.02f, kAnkleHeight);
    mTorso.SetPos(TorsoPos);
    mHoldFoot.SetPos(HoldFootPos);
    mMoveFoot.SetPos(MoveFootPos);
    const bool rightSolved = gNao.IK_leg(mTorso, mHoldFoot, false);
    const bool leftSolved = gNao.IK_leg(mTorso, mMoveFoot, true);
    if (rightSolved && leftSolved) {
        for (int j = JID_LLEG_1; j <= JID_RLEG_6; ++j) mStandAngleRad[j] = gNao.mIKJointAngle[j];
        bStandAngleKnown = true;
    }
    ApplyJVel(false, true);
    ApplyJVel(true, true);
}

void LIP::CommandStandingHeadAndArms() {
    constexpr double kGain = 0.2, kToleranceDeg = 1;
    ACT.AdjustHJ(JID_HEAD_1, 0, kGain, kToleranceDeg);
    ACT.AdjustHJ(JID_HEAD_2, 0, kGain, kToleranceDeg);
    ACT.AdjustHJ(JID_RARM_1, -80, kGain, kToleranceDeg);
    ACT.AdjustHJ(JID_LARM_1, -80, kGain, kToleranceDeg);
    for (int j = JID_LARM_2; j <= JID_RARM_4; ++j) ACT.AdjustHJ(j, 0, kGain, kToleranceDeg);
}

// 0: the posture at once; below 0: a pure count of calls, posture or not; above 0:
// that many more calls once the posture is reached.
bool LIP::PrepareCompleted(int iDelay) {
    if (iDelay == 0) {
        iPrepareCount = 0;
        return bPrepareDone;
    }
    if (iDelay < 0) {
        iPrepareCount -= 1;
        if (iPrepareCount >= iDelay) return false;
        iPrepareCount = 0;
        return true;
    }
    if (bPrepareDone && iPrepareCount > iDelay) {
        iPrepareCount = 0;
        return true;
    }
    if (bPrepareDone) iPrepareCount += 1;
    return false;
}

bool LIP::IsPrepareDone() const {
    if (BothLegsNear(JID_LLEG_3, JID_RLEG_3, kStandHipPitchDeg)) return true;
    if (BothLegsNear(JID_LLEG_4, JID_RLEG_4, kStandKneeDeg)) return true;
    if (BothLegsNear(JID_LLEG_5, JID_RLEG_5, kStandAnklePitchDeg)) return true;
    // The posture Prepare actually commands: the three fixed tests above miss it by up
    // to 12 degrees at the hips and knees and pass at the ankles by a hair.
    if (!bStandAngleKnown) return false;
    for (int j = JID_LLEG_1; j <= JID_RLEG_6; ++j) {
        if (!Near(j, salt::gRadToDeg(static_cast<double>(mStandAngleRad[j])))) return false;
    }
    return true;
}

void LIP::ApplyWalkData() {
    // A gait period takes the legs out of the standing posture: "ready" must be earned
    // again, or a stop would report it at once, mid-stride.
    bPrepareDone = false;
    iPrepareCount = 0;
    mHoldFoot.Identity();
    mMoveFoot.Identity();
    if (const PoseRow* row = RowFor(mType, bSmallWalk, bStartWalk)) {
        NoteTypeChange();
        SetPose(*row);
        if (iSlowingSteps > 0) {
            BlendTowardsSmallSteps();
        } else if (mBlend.from != nullptr) {
            BlendFromEarlierType();
        }
    } else {
        std::cout << "Parameter ERROR in LIP   " << mType << std::endl;
    }
    if (mAngle != 0 && !bStartWalk && !bEndWalk) TurnFeet();
    mTorso.SetPos(TorsoPos);
    mHoldFoot.SetPos(HoldFootPos);
    mMoveFoot.SetPos(MoveFootPos);
    if (!PlaceBody()) {
        ReportUnreachable();
        return;
    }
    ApplyJVel(bLeftHold, false);
    ApplyJVel(!bLeftHold, false);
    if (!bDisableSwingArm) SwingArm(bLeftHold);
}

void LIP::SetPose(const PoseRow& row) {
    TorsoPos = salt::Vector3f(row.torsoLatPerY * TorsoY + row.torsoLat, row.torsoFwdPerX * TorsoX + row.torsoFwd,
                              kTorsoHeight);
    HoldFootPos = salt::Vector3f(row.holdLatPerY * HoldFootY, row.holdFwd, kAnkleHeight);
    MoveFootPos = salt::Vector3f(
        row.moveLatPerY * MoveFootY + row.moveLatPerYHL * MoveFootYHL + row.moveLatPerYHR * MoveFootYHR,
        row.moveFwdPerX * MoveFootX + row.moveFwd, row.moveLiftPerZ * MoveFootZ + kAnkleHeight);
}

// How far the current step has run, 0 at its start and 1 at its end.
float LIP::StepFraction() const {
    const float span = EndTime4 - EndTime2;
    return span > 0 ? std::clamp((iCycle * kCycleSec - EndTime2) / span, 0.0f, 1.0f) : 1.0f;
}

// The pose set so far, moved towards `other` row's pose by the share `a` (0 to 1).
void LIP::MixPoseWith(const PoseRow& other, float a) {
    const salt::Vector3f torso = TorsoPos, hold = HoldFootPos, move = MoveFootPos;
    SetPose(other);
    TorsoPos = torso * (1 - a) + TorsoPos * a;
    HoldFootPos = hold * (1 - a) + HoldFootPos * a;
    MoveFootPos = move * (1 - a) + MoveFootPos * a;
}

// A stop from full speed slows down over a few steps first: the closing step alone cannot
// catch the torso of the long-legged type, which then topples forward. The pose moves from
// the normal towards the small-step row over kStopBlendSteps steps, smoothly within each.
void LIP::BlendTowardsSmallSteps() {
    MixPoseWith(*RowFor(mType, true, false), std::min(1.0f, (iSlowingSteps - 1 + StepFraction()) / kStopBlendSteps));
}

// A walk type that changed at a step end (the start step's own row aside) starts a blend
// from the row the body was following.
void LIP::NoteTypeChange() {
    if (mBlend.type != ACT_NONE && mBlend.type != mType && !bStartWalk) {
        mBlend.from = RowFor(mBlend.type, mBlend.small, false);
        mBlend.fromStep = StepCount;
    }
    mBlend.type = mType;
    mBlend.small = bSmallWalk;
}

void LIP::BlendFromEarlierType() {
    const float a = std::min(1.0f, (StepCount - mBlend.fromStep + StepFraction()) / kTypeBlendSteps);
    if (a >= 1.0f) {
        mBlend.from = nullptr;
        return;
    }
    MixPoseWith(*mBlend.from, 1.0f - a);
}

// The feet open to the turn angle over one step and close over the next, turning the
// body by |mAngle| every two steps.
void LIP::TurnFeet() {
    const float tau = iCycle * kCycleSec;
    const float up = salt::gDegToRad(GetTurnAngle_tomax(tau));
    const float down = salt::gDegToRad(GetTurnAngle_tomin(tau));
    if (mAngle > 0) {
        if (!bLeftHold) {
            mMoveFoot.RotateZ(up);
            mHoldFoot.RotateZ(-up);
        } else {
            mHoldFoot.RotateZ(down);
            mMoveFoot.RotateZ(-down);
        }
    } else if (bLeftHold) {
        mMoveFoot.RotateZ(-up);
        mHoldFoot.RotateZ(up);
    } else {
        mHoldFoot.RotateZ(-down);
        mMoveFoot.RotateZ(down);
    }
}

// Support leg first; the swing leg only when the support leg could be placed.
bool LIP::PlaceBody() {
    return gNao.IK_leg(mTorso, mHoldFoot, bLeftHold) && gNao.IK_leg(mTorso, mMoveFoot, !bLeftHold);
}

void LIP::ReportUnreachable() {
    iIKFailures += 1;
    std::cout << "Error!         IK_LEG" << std::endl;
    std::cout << "To  " << TorsoPos << std::endl;
    std::cout << "Hold  " << HoldFootPos << std::endl;
    std::cout << "Move  " << MoveFootPos << std::endl;
}

void LIP::ApplyJVel(bool left, bool bPrepare) {
    // Through a stop the walk keeps its own gain: a softer one in mid-step lets the
    // torso tip over.
    if (bPrepare) {
        SlowGain = kPrepareGain;
    } else if (bStartWalk) {
        SlowGain = kStartStepGain;
    } else {
        CalSlowGain();
    }
    for (int k = 1; k <= 6; ++k) {
        const int j = LegJoint(left, k);
        const double errorRad = gNao.mIKJointAngle[j] - wm.m_HJ[j].fAngle * salt::kDegToRad;
        double speed = errorRad / SlowGain;
        // A garbled measured angle must not reach the server as a speed.
        if (!std::isfinite(speed)) speed = 0.0;
        ACT.HJControl[j].fAngle = std::clamp(speed, -kMaxLegSpeedRadPerSec, kMaxLegSpeedRadPerSec);
        ACT.HJControl[j].bCtrled = true;
    }
}

void LIP::CalSlowGain() {
    float target = 0.0f;
    if (bChangeState || bChangeDirection) {
        target = kGainDuringChange;
    } else if (mType == WALK_HL || mType == WALK_HR) {
        target = kGainSideStep;
    } else if (mType == WALK_STAY) {
        target = kGainMarkingTime;
    } else {
        // Walking: loosen quickly for a turn, tighten slowly after it.
        target = std::abs(mAngle) >= kTurningFromDeg ? kGainTurning : kGainStraight;
        if (SlowGain - target > 0.003f) {
            SlowGain -= 0.0008f;
        } else if (SlowGain - target < -0.003f) {
            SlowGain += 0.01f;
        } else {
            SlowGain = target;
        }
        return;
    }
    if (SlowGain - target > 0.003f) {
        SlowGain -= 0.003f;
    } else {
        SlowGain = target;
    }
}

void LIP::SwingArm(bool bLeft) {
    constexpr double kGain = 0.1, kToleranceDeg = 1;
    ACT.AdjustHJ(JID_LARM_1, -90, kGain, kToleranceDeg);
    ACT.AdjustHJ(JID_RARM_1, -90, kGain, kToleranceDeg);
    ACT.AdjustHJ(JID_LARM_2, 10, kGain, kToleranceDeg);
    ACT.AdjustHJ(JID_RARM_2, -10, kGain, kToleranceDeg);
    ACT.AdjustHJ(JID_LARM_3, -70, kGain, kToleranceDeg);
    ACT.AdjustHJ(JID_RARM_3, 70, kGain, kToleranceDeg);
    ACT.AdjustHJ(JID_LARM_4, bLeft ? -50 : 10, kGain, kToleranceDeg);
    ACT.AdjustHJ(JID_RARM_4, bLeft ? -10 : 50, kGain, kToleranceDeg);
}
