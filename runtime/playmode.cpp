// The play-mode table. A lookup compares texts and allocates nothing, so the world model
// can run it every cycle. No globals besides the table.
#include "runtime/playmode.h"

const PlayModeWord kPlayModeWords[] = {
    {"PlayOn", "PlayOn", PM_PlayOn},
    {"BeforeKickOff", "BeforeKickOff", PM_BeforeKickOff},
    {"GameOver", "GameOver", PM_GameOver},
    {"KickIn_Left", "KickIn_Right", PM_KickInUs},
    {"KickIn_Right", "KickIn_Left", PM_KickInOpp},
    {"KickOff_Left", "KickOff_Right", PM_KickOffUs},
    {"KickOff_Right", "KickOff_Left", PM_KickOffOpp},
    {"corner_kick_left", "corner_kick_right", PM_CornerKickUs},
    {"corner_kick_right", "corner_kick_left", PM_CornerKickOpp},
    {"goal_kick_left", "goal_kick_right", PM_GoalKickUs},
    {"goal_kick_right", "goal_kick_left", PM_GoalKickOpp},
    {"free_kick_left", "free_kick_right", PM_FreeKickUs},
    {"free_kick_right", "free_kick_left", PM_FreeKickOpp},
    // The league's server also gives direct free kicks, taken as the indirect ones are.
    {"direct_free_kick_left", "direct_free_kick_right", PM_FreeKickUs},
    {"direct_free_kick_right", "direct_free_kick_left", PM_FreeKickOpp},
    // Pass mode only keeps the opponents away from the passing side's player: open play.
    {"pass_left", "pass_right", PM_PlayOn},
    {"pass_right", "pass_left", PM_PlayOn},
    {"offside_left", "offside_right", PM_OffsideUs},
    {"offside_right", "offside_left", PM_OffsideOpp},
    {"Goal_Left", "Goal_Right", PM_GoalUs},
    {"Goal_Right", "Goal_Left", PM_GoalOpp},
};
const int kPlayModeWordCount = int(sizeof kPlayModeWords / sizeof kPlayModeWords[0]);

TPlayMode PlayModeFromWord(std::string_view word, bool ownLeft) {
    for (const PlayModeWord& entry : kPlayModeWords)
        if (word == (ownLeft ? entry.ownLeft : entry.ownRight)) return entry.mode;
    return PM_None;
}

const char* WordForPlayMode(TPlayMode mode, bool ownLeft) {
    for (const PlayModeWord& entry : kPlayModeWords)
        if (entry.mode == mode) return ownLeft ? entry.ownLeft : entry.ownRight;
    return nullptr;
}
