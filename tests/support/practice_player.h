// Runs the agent's own code inside a test process as one player of a practice match.
// Resets and then drives every agent singleton (wm, SenseParse, connection, ACT, decision,
// skill, Lip, gNao, timer, m_bInit); only one in-process player can run at a time.
#pragma once
#include <string>

#include "practice_server/practice.h"

namespace practice {

// Runs the agent's own code (the process-wide singletons, freshly reset) inside this test
// process as one player of `match`: connects like the agent (scene first).
class InProcessPlayer {
public:
    InProcessPlayer(Match& match, const std::string& team, int unum);
    ~InProcessPlayer();
    InProcessPlayer(const InProcessPlayer&) = delete;
    InProcessPlayer& operator=(const InProcessPlayer&) = delete;

    // One lock-step cycle: match.BeginCycle(); RunCycle(decide); match.EndCycle().
    bool Cycle(void (*decide)());

private:
    Match& match_;
};

void ResetAgentSingletons();  // wm, SenseParse, ACT, decision, skill, Lip, gNao, timer, m_bInit

}  // namespace practice
