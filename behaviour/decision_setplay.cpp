// Placeholder bodies until this file's behaviour lands; every operation commands nothing.
#include "behaviour/decision.h"

void Decision::SetPieceKicker(SetPieceState&) {}
void Decision::KickInUs() {}
void Decision::CornerKickUs() {}
void Decision::GoalKickUs() {}
void Decision::GoalKickOpp() {}
