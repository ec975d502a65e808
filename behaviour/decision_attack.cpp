// Placeholder bodies until this file's behaviour lands; every operation commands nothing.
#include "behaviour/decision.h"

int Decision::NearBallOppNum() { return 11; }
bool Decision::IsOppInLine(Vector, Vector, Vector, double) { return false; }
bool Decision::IsOppMemberInLine(Vector, Vector, double) { return false; }
bool Decision::IsOppMoreLeft() { return false; }
Vector Decision::JudgeWayToShoot() { return Vector(); }
Vector Decision::ClearPoint_defend() { return Vector(); }
bool Decision::Defend() { return true; }
