// The --motionlog trace: one line per cycle on standard error, so that the agent's normal
// output stays as it is. Reads `wm`, `Lip`, `ACT` and the key-frame tables; writes nothing.
#include "motion/motionlog.h"

#include <cstdio>

#include "motion/3dlip.h"
#include "motion/acthandle.h"
#include "motion/keyframes.h"
#include "runtime/corvane.h"
#include "worldmodel/worldmodel.h"

namespace motionlog {
namespace {

bool gEnabled = false;

struct Named {
    const keyframe::Motion* motion;
    const char* name;
};
const Named kMotionNames[] = {
    {&keyframe::kKickLeft, "KickLeft"},          {&keyframe::kKickRight, "KickRight"},
    {&keyframe::kKickLeftKarate, "KickLeftK"},   {&keyframe::kKickRightKarate, "KickRightK"},
    {&keyframe::kKickLeftFootNew, "KickLeftN"},  {&keyframe::kKickRightFootNew, "KickRightN"},
    {&keyframe::kBigKick, "BigKick"},            {&keyframe::kClimbFaceUp, "GetUpFaceUp"},
    {&keyframe::kClimbFaceDown, "GetUpFaceDown"}, {&keyframe::kCatchBallLeftLegFolded, "Dive"},
    {&keyframe::kCatchBallRightLegFolded, "Dive"},
};

const char* MotionName(const keyframe::Motion* motion) {
    for (const Named& n : kMotionNames)
        if (n.motion == motion) return n.name;
    return "-";
}

// What the behaviour asked of the engine this cycle, from the engine's call counters.
char RequestKind() {
    static long walkCalls = 0, stopCalls = 0, prepareCalls = 0;
    const LIP::Request& r = Lip.lastRequest;
    char kind = '-';
    if (r.walkCalls != walkCalls) kind = 'W';
    else if (r.stopCalls != stopCalls) kind = 'S';
    else if (r.prepareCalls != prepareCalls) kind = 'P';
    walkCalls = r.walkCalls, stopCalls = r.stopCalls, prepareCalls = r.prepareCalls;
    return kind;
}

}  // namespace

void Enable() { gEnabled = true; }
bool Enabled() { return gEnabled; }

void Cycle() {
    if (!gEnabled) return;
    const LIP::Request& r = Lip.lastRequest;
    std::fprintf(stderr,
                 "M t=%.2f pm=%d fall=%d req=%c type=%d turn=%d small=%d phase=%d mtype=%d next=%d angle=%d "
                 "change=%d rev=%d step=%d end=%d kf=%s kt=%ld\n",
                 wm.m_dGameTime, static_cast<int>(wm.PlayState), static_cast<int>(wm.m_FallState), RequestKind(),
                 static_cast<int>(r.type), r.turnDeg, r.smallWalk ? 1 : 0, static_cast<int>(Lip.mPhase),
                 static_cast<int>(Lip.mType), static_cast<int>(Lip.mNextType), Lip.mAngle, Lip.bChangeState ? 1 : 0,
                 Lip.bChangeDirection ? 1 : 0, Lip.StepCount, Lip.bEndWalk ? 1 : 0, MotionName(ACT.pPlayedMotion),
                 timer.IsTimerRun() ? timer.GetTime() : -1L);
}

}  // namespace motionlog
