// Placeholder bodies until this file's behaviour lands; every operation commands nothing.
#include "behaviour/decision.h"

bool Decision::Golie_CatchJudge_new(Vector&, Vector&, double) { return false; }
