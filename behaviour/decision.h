// Decision layer. Placeholder: does nothing yet; holds the penalty-mode flags.
// Global: `decision` (corvane.cpp).
#pragma once

class Decision {
public:
    void Do() {}

    bool bPenaltyAttacker = false;
    bool bPenaltyKeeper = false;
    int CoolDown = 0;  // cycles left after a heard command hand-over
};
