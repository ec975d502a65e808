// The per-cycle world update: copies the parser's records, keeps play mode, side, uniform
// number and score, and runs localisation, tracking, hearing and fall detection in order.
// Globals: reads `SenseParse`, calls `gNao.UpdateLink()`.
#include <cmath>

#include "motion/nao.h"
#include "runtime/corvane.h"
#include "worldmodel/worldmodel.h"

void WorldModel::UpdateAll() {
    UpdateBasicInfo();
    UpdateScore();
    UpdateHearMsg();
    if (m_bCanSeeFlag) {
        UpdateAngle();
        UpdateSelfPos();
        UpdatePlayerPos();
    }
    if (m_bCanSeeBall) {
        m_vBallPos = m_vSeeBallPos;
        UpdateBallPos();
    }
    UpdateTeamMateInfo();
    UpdateNearestTeamMateInfo();
    if (m_bNeedCheckFall) UpdateFallState(0);
}

namespace {

bool IsUniformNumber(int iUnum) { return iUnum >= 1 && iUnum <= 11; }

}  // namespace

void WorldModel::UpdateBasicInfo() {
    const MsgParse& parse = SenseParse;
    UpdatePlayModel();  // before the new play-mode string is copied: PlayState lags by one
    // The server swaps the sides at half time; the previous message's clock tells when.
    if (m_dServerTime > 299.8 && m_dServerTime < 300.3) {
        m_bIsLeft = parse.m_bIsLeft;
        InitFlagPos();
    }
    // The parser only sets numbers the server may assign; checked again because a wrong
    // number here would stick for the whole process.
    if (m_iUnum == 0 && IsUniformNumber(parse.m_iUnum)) {
        m_iUnum = parse.m_iUnum;
        m_bIsLeft = parse.m_bIsLeft;
        InitFlagPos();
        m_iCmdUnum = m_iUnum;
    }
    if (m_sOppTeamName == "UNKNOWTEAM") m_sOppTeamName = parse.m_sOppTeamName;

    m_dServerTime = parse.m_dServerTime;
    m_dGameTime = parse.m_dGameTime;
    m_sPlayMode = parse.m_sPlayMode;
    m_Gyro = parse.m_Gyro;
    m_Acc = parse.m_Acc;
    m_frp_lf = parse.m_frp_lf;
    m_frp_rf = parse.m_frp_rf;
    ++m_iCycle;

    gNao.UpdateLink();  // still sees the previous message's joint angles
    for (int j = 0; j < kJointCount; ++j) m_HJ[j] = parse.m_HJ[j];

    m_bCanSeeFlag = SeeFlag();
    m_bCanSeeBall = parse.m_PolBallPos.bCanSee;
}

namespace {

struct SidedPlayMode {
    const char* sOwnLeft;  // the server's name when this team plays on the left
    const char* sOwnRight;
    TPlayMode mode;
};

const SidedPlayMode kSidedPlayModes[] = {
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
    {"offside_left", "offside_right", PM_OffsideUs},
    {"offside_right", "offside_left", PM_OffsideOpp},
    {"Goal_Left", "Goal_Right", PM_GoalUs},
    {"Goal_Right", "Goal_Left", PM_GoalOpp},
};

}  // namespace

void WorldModel::UpdatePlayModel() {
    PlayState = PM_None;
    if (m_sPlayMode == "PlayOn") PlayState = PM_PlayOn;
    else if (m_sPlayMode == "BeforeKickOff") PlayState = PM_BeforeKickOff;
    else if (m_sPlayMode == "GameOver") PlayState = PM_GameOver;
    if (PlayState != PM_None) return;
    for (const SidedPlayMode& entry : kSidedPlayModes) {
        if (m_sPlayMode == (m_bIsLeft ? entry.sOwnLeft : entry.sOwnRight)) {
            PlayState = entry.mode;
            return;
        }
    }
}

bool WorldModel::IsGoalUs() const { return m_sPlayMode == (m_bIsLeft ? "Goal_Left" : "Goal_Right"); }
bool WorldModel::IsGoalOpp() const { return m_sPlayMode == (m_bIsLeft ? "Goal_Right" : "Goal_Left"); }

// A goal play mode lasts several cycles; it counts once until another mode comes.
void WorldModel::UpdateScore() {
    if (IsGoalUs()) {
        if (!m_bScoreUpdated) ++m_iMyScore;
        m_bScoreUpdated = true;
    } else if (IsGoalOpp()) {
        if (!m_bScoreUpdated) ++m_iOppScore;
        m_bScoreUpdated = true;
    } else {
        m_bScoreUpdated = false;
    }
}
