// Placeholder bodies until this file's behaviour lands; every operation commands nothing.
#include "behaviour/decision.h"

bool Decision::Formation() { return false; }
int Decision::AttackFormation(int) { return 0; }
