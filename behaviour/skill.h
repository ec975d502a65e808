// Behaviour skills. Placeholder until the skills land. Global: `skill` (corvane.cpp).
#pragma once

class Skill {
public:
    void ClearAll() {}  // the joint controller resets the skills after beams and silence
};
