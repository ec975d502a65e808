// Placeholder bodies until this file's behaviour lands; every operation commands nothing.
#include "behaviour/skill.h"

bool Skill::ReadyForKick_New(Vector, bool, bool) { return true; }
