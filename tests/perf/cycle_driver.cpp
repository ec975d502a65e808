// One agent cycle on a recorded message without the server link. Writes `SenseParse`,
// `wm`, `ACT`, `Lip`, `decision`, `skill` and `timer`.
#include "cycle_driver.h"

#include <fstream>

#include "behaviour/decision.h"
#include "behaviour/skill.h"
#include "motion/3dlip.h"
#include "motion/acthandle.h"
#include "perception/msgparse.h"
#include "runtime/corvane.h"
#include "worldmodel/worldmodel.h"

namespace perf {

std::vector<std::string> LoadRecording(const std::string& file) {
    std::ifstream in(std::string(CORVANE_FIXTURES_DIR) + "/" + file);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) lines.push_back(line);
    return lines;
}

const std::vector<std::string>& RecordingNames() {
    static const std::vector<std::string> names = {
        "session_single.txt", "session_players.txt", "session_fall_back.txt", "session_hear.txt"};
    return names;
}

void StartAgent() {
    SenseParse = MsgParse();
    SenseParse.m_sTeamName = "Blue";
    wm = WorldModel();
    wm.m_sTeamName = "Blue";
    ACT = ActHandle();
    Lip = LIP();
    decision = Decision();
    skill = Skill();
    timer.ClearTimer();
}

void BeginCycle(const std::string& message) {
    SenseParse.Parse(message);
    wm.UpdateAll();
    ACT.ClearControl();
    timer.Update(1);
}

}  // namespace perf
