// The whole-cycle cases shared by the benchmark and the allocation test: a recorded session
// replayed as one player in one situation, through the same steps as the agent's cycle
// loop (parse, world model, decision with skills and motion, effector message); only the
// socket calls are left out. Reads CORVANE_FIXTURES_DIR; resets and drives every singleton.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "bench_fixtures.h"
#include "behaviour/decision.h"
#include "behaviour/skill.h"
#include "motion/3dlip.h"
#include "motion/acthandle.h"
#include "motion/nao.h"
#include "perception/msgparse.h"
#include "runtime/corvane.h"
#include "worldmodel/worldmodel.h"

namespace cycles {

// One player's situation. The recordings are of player 2 of team "Blue"; the server's
// number in the third message and, from open play on, the play-mode text are rewritten,
// so the world model takes number, role and mode through its own paths.
struct Case {
    const char* name;
    const char* file;
    int unum;
    const char* modeFromPlayOn;  // play-mode text in place of "PlayOn", or nullptr
    TPlayMode mode;              // what the measured cycles are played in
    bool carrier;                // this player is its side's nearest to the ball
};

const Case kCases[] = {
    {"ball_carrier", "session_single.txt", 2, nullptr, PM_PlayOn, true},  // alone with the ball
    {"formation_player", "session_players.txt", 7, nullptr, PM_PlayOn, false},  // a mate is nearer
    {"goalkeeper", "session_players.txt", 1, nullptr, PM_PlayOn, false},  // and its team message
    {"set_piece_kicker", "session_single.txt", 2, "KickIn_Left", PM_KickInUs, true},
};

inline void Replace(std::string& text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    if (at != std::string::npos) text.replace(at, from.size(), to);
}

struct Replay {
    std::vector<std::string> messages;
    size_t firstPlayOn = 0;  // the measured cycles run from here to the end, round and round
    size_t next = 0;
};

inline Replay LoadCase(const Case& c) {
    Replay r;
    r.messages = LoadSession(c.file);
    r.firstPlayOn = r.messages.size();
    for (size_t i = 0; i < r.messages.size(); ++i) {
        std::string& m = r.messages[i];
        Replace(m, "(unum 2)", "(unum " + std::to_string(c.unum) + ")");
        if (m.find("(pm PlayOn)") == std::string::npos) continue;
        if (r.firstPlayOn == r.messages.size()) r.firstPlayOn = i;
        if (c.modeFromPlayOn) Replace(m, "(pm PlayOn)", std::string("(pm ") + c.modeFromPlayOn + ")");
    }
    return r;
}

inline void StartAgent() {
    ResetAgentState();
    m_bInit = true;  // the init message is a socket call
    SenseParse.m_sTeamName = wm.m_sTeamName = "Blue";
}

// What the cycle does before the decision layer runs.
inline void BeginCycle(const std::string& message) {
    SenseParse.Parse(message);
    wm.UpdateAll();
    ACT.ClearControl();
    timer.Update(1);
}

// One cycle as the loop runs it; the text that would be sent.
inline const std::string& Cycle(const std::string& message) {
    BeginCycle(message);
    decision.Do();
    return ACT.MakeCommand();
}

inline const std::string& NextMeasuredCycle(Replay& r) {
    const std::string& sent = Cycle(r.messages[r.next]);
    if (++r.next == r.messages.size()) r.next = r.firstPlayOn;
    return sent;
}

// A fresh agent through the whole recording before open play and one round of the rest,
// so that every buffer has grown and every history is full.
inline void WarmUp(Replay& r) {
    StartAgent();
    for (const std::string& m : r.messages) Cycle(m);
    r.next = r.firstPlayOn;
}

}  // namespace cycles
