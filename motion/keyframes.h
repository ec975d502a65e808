// Key-frame motions as data: windows of timer values, joint targets and gains, played by
// ActHandle's one key-frame player. Constant tables only; no globals read or written.
#pragma once
#include <cstddef>

#include "perception/msgparse.h"

namespace keyframe {

// A joint this close to its frame target is left alone for the cycle.
constexpr double kFrameAccuracyDeg = 1.0;

// Inclusive timer values during which a frame is applied; the first call sees 0.
struct Window {
    int iFirst;
    int iLast;
};

// Where a joint should go and how hard: speed = (target - measured) x gain.
struct Goal {
    double dTargetDeg;
    double dGain;
};

// One frame as the player sees it: a goal for every joint the frame drives.
struct Frame {
    Window window;
    bool bDrives[kJointCount];
    Goal goal[kJointCount];
};

struct Motion {
    const Frame* pFrames;
    size_t iFrameCount;
    int iEndTime;  // timer value of the call that reports completion
};

extern const Motion kKickLeft;
extern const Motion kKickRight;
extern const Motion kKickLeftKarate;
extern const Motion kKickRightKarate;
extern const Motion kKickLeftFootNew;
extern const Motion kKickRightFootNew;
extern const Motion kBigKick;
extern const Motion kClimbFaceUp;
extern const Motion kClimbFaceDown;
extern const Motion kCatchBallLeftLegFolded;   // iType 1
extern const Motion kCatchBallRightLegFolded;  // any other iType

}  // namespace keyframe
