// Decision dispatcher. Placeholder until the play-mode handlers land: stands still.
// Global: `decision` (corvane.cpp).
#include "behaviour/decision.h"

Decision::Decision() : bRoleSign(false), beamTime(0.0), lastPlayMode(PM_None), nowPlayMode(PM_None) {}

void Decision::Do() {}
void Decision::Clear() {}
void Decision::UpdateSituation() {}
void Decision::BeforeKickOff() {}
void Decision::KickOffUs() {}
void Decision::KickOffOpp() {}
void Decision::PlayOn() {}
void Decision::KickInOpp() {}
void Decision::CornerKickOpp() {}
void Decision::GoalUs() {}
void Decision::GoalOpp() {}
void Decision::CatchBall() {}
