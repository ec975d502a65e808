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
    MeasureSelfMotion();
    if (m_bCanSeeFlag) {
        UpdateAngle();
        UpdateSelfPos();
        UpdatePlayerPos();
    } else {
        CarrySelfPose();
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

// The parser's conversion gives inf for overlong digit strings; such a reading keeps the
// last good value, so that one bad message cannot stop the integrators for good.
void KeepFinite(double src, double& dst) {
    if (std::isfinite(src)) dst = src;
}

template <typename Sensor>
void CopySensor(const Sensor& src, Sensor& dst) {
    dst.sName = src.sName;
    KeepFinite(src.dx, dst.dx);
    KeepFinite(src.dy, dst.dy);
    KeepFinite(src.dz, dst.dz);
    dst.dTime = src.dTime;
}

void CopyFoot(const FRPInfo& src, FRPInfo& dst) {
    for (double FRPInfo::*field : {&FRPInfo::cx, &FRPInfo::cy, &FRPInfo::cz, &FRPInfo::dx,
                                   &FRPInfo::dy, &FRPInfo::dz})
        KeepFinite(src.*field, dst.*field);
    dst.dTime = src.dTime;
    dst.bValid = src.bValid;
}

void CopyJoint(const HJInfo& src, HJInfo& dst) {
    dst.ID = src.ID;
    dst.sPerceptorName = src.sPerceptorName;
    dst.sEffectorName = src.sEffectorName;
    KeepFinite(src.fAngle, dst.fAngle);
    KeepFinite(src.fAngleRate, dst.fAngleRate);
    dst.dTime = src.dTime;
}

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
    CopySensor(parse.m_Gyro, m_Gyro);
    CopySensor(parse.m_Acc, m_Acc);
    CopyFoot(parse.m_frp_lf, m_frp_lf);
    CopyFoot(parse.m_frp_rf, m_frp_rf);
    ++m_iCycle;

    gNao.UpdateLink();  // still sees the previous message's joint angles
    for (int j = 0; j < kJointCount; ++j) CopyJoint(parse.m_HJ[j], m_HJ[j]);

    m_bCanSeeFlag = SeeFlag();
    m_bCanSeeBall = IsSeen(parse.m_PolBallPos);
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
