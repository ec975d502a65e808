// The agent's cycle run in process against a practice match, over a real loopback socket.
// Writes every agent singleton through ResetAgentSingletons and RunCycle.
#include "support/practice_player.h"

#include "behaviour/decision.h"
#include "behaviour/skill.h"
#include "motion/3dlip.h"
#include "motion/acthandle.h"
#include "motion/nao.h"
#include "perception/msgparse.h"
#include "runtime/connection.h"
#include "runtime/corvane.h"
#include "worldmodel/worldmodel.h"

namespace practice {

void ResetAgentSingletons() { ResetAgentState(); }

InProcessPlayer::InProcessPlayer(Match& match, const std::string& team, int unum) : match_(match) {
    connection.CloseConnection();
    ResetAgentSingletons();
    wm.m_sTeamName = team;
    wm.m_iCmdUnum = unum;
    connection.SetHostIP("127.0.0.1");
    connection.SetHostPort(match.Port());
    const int before = match_.AcceptPending(0.0);
    if (Create()) match_.WaitForAgents(before + 1, 5.0);
}

InProcessPlayer::~InProcessPlayer() { connection.CloseConnection(); }

bool InProcessPlayer::Cycle(void (*decide)()) {
    match_.BeginCycle();
    const bool ok = RunCycle(decide);
    match_.EndCycle();
    return ok;
}

}  // namespace practice
