// Gait generator of the walking engine: step timing from the pendulum, the torso and
// swing-foot trajectories per phase, and the step-end rules that switch the support foot
// and carry out changes of walk type. Global: `Lip` (corvane.cpp); writes only LIP fields.
#include <cmath>
#include <iostream>

#include "motion/3dlip.h"

namespace {

// The gait was tuned with these short forms of 2 pi, 4 pi and pi.
constexpr float kTwoPi = 6.2831853f;
constexpr float kFourPi = 12.5663706f;
constexpr float kPi = 3.14159265f;
// Stopping from normal forward steps: three blended steps and one small step.
constexpr int kStopSlowingSteps = 4;
constexpr float kStartLateralGain = 0.48f;
constexpr float kApproachLateralStart = -0.055f;

// Rises from 0 to 2 pi D over 0 <= tau <= D with zero slope at both ends.
float Cycloid(float tau, float D) {
    return kTwoPi * tau - D * std::sin(kTwoPi * tau / D);
}

// Time for the pendulum to carry the torso over distance s at entry speed v: half the
// log of the speed ratio, over w.
float PendulumTime(float v, float w, float s) {
    return std::log((v + w * s) / (v - w * s)) / (2.0f * w);
}

}  // namespace

void LIP::CalWalkData(float t, int per, bool bLastStep, bool bClear) {
    if (bClear) {
        XSpeed1E = XSpeed3E = YSpeed1E = YLast = YInit = 0.0f;
        Caled1 = Caled2 = Caled3 = Caled4 = false;
        return;
    }
    if (!Caled1) StartWalkTiming();
    if (bChangeFoot) NextStepTiming();
    if (bLastStep) {
        ClosingStep(t);
    } else if (t <= EndTime1) {
        StartPhase(t);
    } else if (t <= EndTime2) {
        DoubleSupportPhase(t);
    } else if (t <= EndTime3) {
        ApproachPhase(t);
    } else if (t <= EndTime4) {
        DeparturePhase(t, per);
    } else {
        std::cout << "Timer Error!!!                      t=" << t << "    " << EndTime4 << std::endl;
    }
}

void LIP::StartWalkTiming() {
    const float lead = std::sqrt(s0 * s0 - x0 * x0);
    XSpeed1E = w * lead;
    YSpeed1E = lead * w * y0 / x0;
    // Time for x0 * cosh(w t) to reach s0.
    EndTime1 = std::log((s0 / x0) * (std::sqrt(1.0f - (x0 / s0) * (x0 / s0)) + 1.0f)) / w;
    EndTime2 = td + EndTime1;
    EndTime3 = PendulumTime(XSpeed1E, w, ss1) + EndTime2;
    EndTime4 = PendulumTime(XSpeed1E, w, ss1) + EndTime3;
    EndTimeLast = PendulumTime(XSpeed1E, w, ss);
    HoldFootX = MoveFootYHL = MoveFootYHR = 0.0f;
    YLast = Q / 2 - s0 * y0 / x0;
    SetTurnForStep();
    StepCount = 1;
    bLeftHold = mType == WALK_HL;
    HoldFootY = bLeftHold ? -Q / 2 : Q / 2;
    MoveFootY = -HoldFootY;
    Caled1 = true;
    bStartWalk = true;
}

void LIP::NextStepTiming() {
    ss1 = ss2 = NextSS;
    EndTime2 = EndTime1 + td;
    EndTime3 = PendulumTime(XSpeed1E, w, NextSS) + EndTime2;
    EndTime4 = PendulumTime(XSpeed1E, w, ss1) + EndTime3;
    SetTurnForStep();
    HoldFootX = 0.0f;
    bLeftHold = !bLeftHold;
    HoldFootY = bLeftHold ? -Q / 2 : Q / 2;
    bChangeFoot = false;
}

void LIP::SetTurnForStep() {
    if (mSetAngle == 0) {
        mAngle = 0;
    } else {
        SetTurnAngle(mSetAngle);
    }
}

void LIP::ClosingStep(float t) {
    if (EndTimeLast < t) {
        mPhase = STOP;
        return;
    }
    const float EL = EndTimeLast;
    TorsoX = (XSpeed1E / w) * std::sinh(w * t) - std::cosh(w * t) * ss;
    MoveFootX = (-ss / kTwoPi) * std::sin(kTwoPi * t / EL) + t * ss / EL - ss;
    MoveFootY = bLeftHold ? Q / 2 : -Q / 2;
    MoveFootZ = Lift(t, EL);
    MoveFootYHL = MoveFootYHR = 0.0f;
}

void LIP::StartPhase(float t) {
    MoveFootZ = Lift(t, EndTime1);
    TorsoX = x0 * std::cosh(w * t);
    TorsoY = (Q / 2 - std::cosh(w * t) * y0) * kStartLateralGain;
    MoveFootX = (s0 / (kTwoPi * EndTime1)) * Cycloid(t, EndTime1);
    MoveFootYHL = MoveFootYHR = 0.0f;
}

void LIP::DoubleSupportPhase(float t) {
    if (!Caled2) {
        if (StepCount == 1) {
            HoldFootX = 0.0f;
            bLeftHold = mType != WALK_HL;
            HoldFootY = bLeftHold ? -Q / 2 : Q / 2;
        }
        Caled2 = true;
        YLast = -YLast;
    }
    const float tau = t - EndTime1;
    TorsoX = XSpeed1E * tau - ss1;
    if (bLeftHold) {
        MoveFootY = Q / 2;
        TorsoY = YLast - td * YSpeed1E + tau * YSpeed1E;
    } else {
        MoveFootY = -Q / 2;
        TorsoY = td * YSpeed1E + YLast - tau * YSpeed1E;
    }
    if (StepCount == 1) TorsoY = 0.0f;
    MoveFootZ = 0.0f;
    // The old support foot as seen from the new one.
    MoveFootX = -MoveFootX;
}

void LIP::ApproachPhase(float t) {
    if (!Caled3) {
        YInit = kApproachLateralStart;
        XSpeed3E = std::sqrt(XSpeed1E * XSpeed1E - (ss1 * w) * (ss1 * w));
        Caled3 = true;
    }
    const float tau = t - EndTime2;
    TorsoX = std::sinh(w * tau) * XSpeed1E / w - std::cosh(w * tau) * ss1;
    const float lateral = (YSpeed1E / w) * std::sinh(w * tau) + std::cosh(w * tau) * YInit + Q / 2;
    TorsoY = bLeftHold ? -lateral : lateral;
    MoveFootY = bLeftHold ? Q / 2 : -Q / 2;
    SwingFoot(tau);
    const float D3 = EndTime3 - EndTime2;
    MoveFootZ = (H / (kTwoPi * D3)) * Cycloid(tau, D3);
}

void LIP::DeparturePhase(float t, int per) {
    if (!Caled4) {
        const float D3 = EndTime3 - EndTime2;
        YInit = (YSpeed1E / w) * std::sinh(D3 * w) + std::cosh(D3 * w) * YInit;
        XSpeed1E = std::sqrt(XSpeed3E * XSpeed3E + (w * ss2) * (w * ss2));
        YLast = std::cosh((EndTime4 - EndTime3) * w) * YInit + Q / 2;
        if (bLeftHold) YLast = -YLast;
        Caled4 = true;
    }
    const float tau3 = t - EndTime3;
    TorsoX = (XSpeed3E / w) * std::sinh(w * tau3);
    const float lateral = std::cosh(w * tau3) * YInit + Q / 2;
    TorsoY = bLeftHold ? -lateral : lateral;
    MoveFootY = bLeftHold ? Q / 2 : -Q / 2;
    SwingFoot(t - EndTime2);
    const float D4 = EndTime4 - EndTime3;
    MoveFootZ = H - (H / (kTwoPi * D4)) * Cycloid(tau3, D4);
    // Fewer than one call period left: this call ends the step.
    if (EndTime4 - t < per * 0.02f) StepEnd();
}

void LIP::SwingFoot(float tau2) {
    const float D = EndTime4 - EndTime2;
    const float S = ss1 + ss2;
    const float f = Cycloid(tau2, D) / (kPi * D);  // 0 -> 2 over the step
    if (bLeftHold) {
        MoveFootYHL = -S * f + 2 * S;
        MoveFootYHR = S * f + S;
    } else {
        MoveFootYHL = -S * f - S;
        MoveFootYHR = S * f - 2 * S;
    }
    // The start step swings the foot from behind the start position.
    const float reach = StepCount < 2 ? ss1 + s0 : S;
    MoveFootX = reach * f - reach;
}

// 0 at both ends and H in the middle.
float LIP::Lift(float t, float D) const {
    if (t > D / 2) return (H / kTwoPi) * std::sin((2 * t - D) * kTwoPi / D) - 2 * H * t / D + 2 * H;
    return (-H / kTwoPi) * std::sin(kFourPi * t / D) + 2 * H * t / D;
}

void LIP::StepEnd() {
    if (StepCount == 1) bStartWalk = false;
    Caled2 = Caled3 = Caled4 = false;
    StepCount += 1;
    bChangeFoot = true;
    if (bEndWalk) EndWalkAtStepEnd();
    if (!bChangeState) return;
    if (ChangeWaitsLonger()) {
        iInChangeCount += 1;
        return;
    }
    if (IsReversal()) {
        // Walking the other way needs a closing step and marking time in between.
        std::cout << "X";
        mPhase = LAST_STEP;
        bChangeState = bChangeDirection = true;
        mType = WALK_STAY;
        iInChangeCount = 0;
        return;
    }
    if (bEndWalk) {
        mPhase = LAST_STEP;
    } else {
        mType = mNextType;
    }
    bChangeState = false;
    iInChangeCount = 0;
}

// Normal forward steps first slow down (blending into small steps, one more step at the
// small size), then stop as small steps do, without the closing step.
void LIP::EndWalkAtStepEnd() {
    if (!bSmallWalk && mType == WALK_F && iSlowingSteps < kStopSlowingSteps) {
        ++iSlowingSteps;
        return;
    }
    mPhase = bSmallWalk || iSlowingSteps > 0 ? STOP : LAST_STEP;
    iSlowingSteps = 0;
}

// Advances a reversal in progress, then tells whether the pending change must wait for
// more steps.
bool LIP::ChangeWaitsLonger() {
    if (bChangeDirection) {
        if (iInChangeCount == 1) {
            if (!bEndWalk) {
                mType = mNextType;
            } else {
                mPhase = LAST_STEP;
                bChangeDirection = bChangeState = false;
            }
        }
        if (iInChangeCount == 3) bChangeDirection = bChangeState = false;
    }
    const int stepsToWait = (bSmallWalk || mType == WALK_B || mType == WALK_STAY) ? 2 : 5;
    return bChangeDirection || iInChangeCount < stepsToWait;
}

bool LIP::IsReversal() const {
    if (mType == WALK_F) {
        return mNextType == WALK_B || (!bSmallWalk && (mNextType == WALK_HL || mNextType == WALK_HR));
    }
    return (mType == WALK_B || mType == WALK_STAY) && mNextType == WALK_F;
}

void LIP::SetTurnAngle(int AngleDeg) {
    const float x[2] = {EndTime2, EndTime4};
    const float magnitude = static_cast<float>(std::abs(AngleDeg));
    const float up[2] = {0.0f, magnitude};
    const float down[2] = {magnitude, 0.0f};
    mSTurnAngleUp.SetBreakPoints(x, up, 2, 0.0f, 0.0f);
    mSTurnAngleUp.General();
    mSTurnAngleDown.SetBreakPoints(x, down, 2, 0.0f, 0.0f);
    mSTurnAngleDown.General();
    mAngle = AngleDeg;
}

float LIP::GetTurnAngle_tomax(float t) const {
    if (t < EndTime2) return static_cast<float>(std::abs(mAngle));
    return mSTurnAngleUp.GetYGivenX(t, 0);
}

float LIP::GetTurnAngle_tomin(float t) const {
    if (t < EndTime2) return 0.0f;
    return mSTurnAngleDown.GetYGivenX(t, 0);
}
