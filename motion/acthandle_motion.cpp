// The key-frame player behind the kicks, get-ups and the keeper's dive, and the head control.
// Reads `wm` (joint angles, what is seen, facing) and `SenseParse` (ball bearing); writes
// `timer` and the world model's fall-check, catch and ball-in-front flags.
#include <cmath>

#include "motion/acthandle.h"
#include "motion/keyframes.h"
#include "runtime/corvane.h"
#include "worldmodel/worldmodel.h"

namespace {

// Head control.
constexpr int kScanAfterCycles = 2;     // cycles without landmark and ball before scanning
constexpr int kLostCounterWrap = 999;
constexpr double kPanEndDeg = 120.0;    // the scan turns round here
constexpr double kTiltDownDeg = -30.0;  // the head is tilted down until it reads this
constexpr double kTiltSpeed = -1.5;
constexpr double kFrontDeg = 70.0;      // "in front" for the body and the scan
constexpr int kScanCyclesBallGone = 24;
constexpr double kReturnRangeDeg = 60.0;
constexpr double kCentredDeg = 30.0;

}  // namespace

// One player for every motion: the shared timer counts the calls, the frame whose window
// holds the count is driven, and the call at the end value completes the motion.
bool ActHandle::PlayMotion(const keyframe::Motion& motion) {
    pPlayedMotion = &motion;
    if (!timer.IsTimerRun()) timer.SetTimer(0);
    const long t = timer.GetTime();
    for (size_t k = 0; k < motion.iFrameCount; ++k) {
        const keyframe::Frame& frame = motion.pFrames[k];
        if (t < frame.window.iFirst || t > frame.window.iLast) continue;
        for (int id = 0; id < kJointCount; ++id) {
            if (!frame.bDrives[id]) continue;
            AdjustHJ(id, frame.goal[id].dTargetDeg, frame.goal[id].dGain, keyframe::kFrameAccuracyDeg);
        }
    }
    if (t < motion.iEndTime) return false;
    timer.ClearTimer();
    return true;
}

bool ActHandle::Kick(const keyframe::Motion& motion) {
    if (!PlayMotion(motion)) return false;
    wm.m_bNeedCheckFall = true;  // a kick may leave the robot off balance
    return true;
}

bool ActHandle::GetUp(const keyframe::Motion& motion) {
    // Rolling over would read as falling all over again.
    wm.m_bNeedCheckFall = false;
    if (!PlayMotion(motion)) return false;
    wm.m_bNeedCheckFall = true;
    return true;
}

bool ActHandle::KickLeft() { return Kick(keyframe::kKickLeft); }
bool ActHandle::KickRight() { return Kick(keyframe::kKickRight); }
bool ActHandle::KickLeft_Karate() { return Kick(keyframe::kKickLeftKarate); }
bool ActHandle::KickRight_Karate() { return Kick(keyframe::kKickRightKarate); }
bool ActHandle::KickLeftFoot_NEW() { return Kick(keyframe::kKickLeftFootNew); }
bool ActHandle::KickRightFoot_NEW() { return Kick(keyframe::kKickRightFootNew); }
bool ActHandle::BigKick() { return Kick(keyframe::kBigKick); }
bool ActHandle::Climb_FaceUp() { return GetUp(keyframe::kClimbFaceUp); }
bool ActHandle::Climb_FaceDown() { return GetUp(keyframe::kClimbFaceDown); }

bool ActHandle::CatchBall(int iType) {
    wm.m_CatchingBall = true;
    // The keeper lies still for a hundred cycles after the dive; the silence watchdog must
    // not take that for a stuck body and restart the dive.
    bCatchBall = true;
    const keyframe::Motion& dive =
        iType == 1 ? keyframe::kCatchBallLeftLegFolded : keyframe::kCatchBallRightLegFolded;
    if (!PlayMotion(dive)) return false;
    wm.m_CatchingBall = false;
    bCatchBall = false;
    return true;
}

void ActHandle::TurnHead() {
    HeadState& head = m_Head;
    if (wm.m_bCanSeeFlag && wm.m_bCanSeeBall) {
        head.i = 0;
        head.bCtrled = false;
    } else {
        ++head.i;
        if (head.i > kScanAfterCycles) head.bCtrled = true;
        if (head.i > kLostCounterWrap) head.i = 0;
    }
    const double dPanDeg = wm.m_HJ[JID_HEAD_1].fAngle;
    ReverseScanAtTheEnds(dPanDeg);

    HJCtrl& tilt = HJControl[JID_HEAD_2];
    tilt.bCtrled = wm.m_HJ[JID_HEAD_2].fAngle > kTiltDownDeg;
    tilt.fAngle = tilt.bCtrled ? kTiltSpeed : 0.0;

    if (head.bCtrled) {
        ScanHead(dPanDeg);
    } else {
        ReturnHeadToFront(dPanDeg);
    }
}

// Each end turns the scan round once, towards the other end. The direction is set rather
// than flipped, so a head that first meets the right end (turned there by a skill before
// any scan) does not press on into it for good.
void ActHandle::ReverseScanAtTheEnds(double dPanDeg) {
    HeadState& head = m_Head;
    if (dPanDeg >= kPanEndDeg && head.bNeedChange1) {
        head.m_fHeadAngle = -std::fabs(head.m_fHeadAngle);
        head.bNeedChange1 = false;
        head.bNeedChange2 = true;
    }
    if (dPanDeg <= -kPanEndDeg && head.bNeedChange2) {
        head.m_fHeadAngle = std::fabs(head.m_fHeadAngle);
        head.bNeedChange2 = false;
        head.bNeedChange1 = true;
    }
}

void ActHandle::ScanHead(double dPanDeg) {
    HJControl[JID_HEAD_1].bCtrled = true;
    HJControl[JID_HEAD_1].fAngle = m_Head.m_fHeadAngle;
    // Sweeping across the front for a while without the ball: it is not in front any more.
    if (dPanDeg > -kFrontDeg && dPanDeg < kFrontDeg && !wm.m_bCanSeeBall) {
        if (++m_Head.iCount > kScanCyclesBallGone) {
            wm.m_bCanSeeBallInfront = false;
            m_Head.iCount = 0;
        }
    }
}

void ActHandle::ReturnHeadToFront(double dPanDeg) {
    const double dBallDeg = SenseParse.m_PolBallPos.PolPos.Py;
    HJCtrl& pan = HJControl[JID_HEAD_1];
    if (std::fabs(dBallDeg + dPanDeg) < kReturnRangeDeg) {
        pan.bCtrled = true;
        pan.fAngle = -dPanDeg;
    }
    if (std::fabs(dPanDeg) < kCentredDeg) {
        pan.bCtrled = false;
        pan.fAngle = 0.0;
    }
    if (std::fabs(wm.m_dFaceAng - wm.m_dBodyAng + dBallDeg) < kFrontDeg) {
        if (wm.m_bCanSeeBall) {
            wm.m_bCanSeeBallInfront = true;
            m_Head.iCount = 0;
        }
    } else if (wm.m_bCanSeeBall) {
        wm.m_bCanSeeBallInfront = false;
    }
}
