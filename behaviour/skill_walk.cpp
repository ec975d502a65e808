// Placeholder bodies until this file's behaviour lands; every operation commands nothing.
#include "behaviour/skill.h"

void Skill::WalkToFree(Vector, bool) {}
bool Skill::WalkDefend(Vector, bool) { return false; }
bool Skill::WalkGoalie(Vector, bool) { return false; }
bool Skill::walkToFormationPos(Vector) { return false; }
