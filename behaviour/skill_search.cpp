// Placeholder bodies until this file's behaviour lands; every operation commands nothing.
#include "behaviour/skill.h"

bool Skill::Watch() { return true; }
bool Skill::findBall() { return true; }
bool Skill::lookAtBallAnd(GameFlag_ID, GameFlag_ID) { return false; }
void Skill::SearchBall(Vector) {}
bool Skill::State5(Vector) { return true; }
bool Skill::State7(Vector) { return true; }
bool Skill::State8(Vector) { return true; }
bool Skill::State9(Vector) { return true; }
