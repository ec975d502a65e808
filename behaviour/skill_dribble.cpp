// Placeholder bodies until this file's behaviour lands; every operation commands nothing.
#include "behaviour/skill.h"

bool Skill::dribbleFromBack() { return true; }
bool Skill::canDribble(bool) { return false; }
bool Skill::WalkDribble(Vector, double, bool) { return true; }
