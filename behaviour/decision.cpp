// Decision dispatcher. Placeholder until the play-mode handlers land: stands still.
// Global: `decision` (corvane.cpp).
#include "behaviour/decision.h"

Decision::Decision() : bRoleSign(false), beamTime(0.0), lastPlayMode(PM_None), nowPlayMode(PM_None) {}

void Decision::Do() {}
