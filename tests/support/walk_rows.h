// Test-only check of where a walk type puts torso and feet, for the build-variant tests
// of the small steps: the same relations must hold in every cycle of a closed-loop run.
#pragma once

#include "motion/3dlip.h"

namespace walktest {

// Factors that differ between the two programs' small steps.
struct SmallStepRows {
    float forwardPerX;      // torso and swing foot forward per generator TorsoX/MoveFootX
    float sideTorsoOffset;  // |torso x| of a small side step
    float sideSupportPerY;  // support foot x per HoldFootY
    float rightSwingPerYHR; // swing foot x per MoveFootYHR, small right side step
};

// Runs each small-step walk type in closed loop and checks every cycle against `rows`;
// returns the number of cycles checked.
int CheckSmallStepRows(const SmallStepRows& rows);

}  // namespace walktest
