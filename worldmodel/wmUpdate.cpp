// The per-cycle world update: copies the parser's records, keeps play mode, side, uniform
// number and score, and runs localisation, tracking, hearing and fall detection in order.
// Globals: reads `SenseParse`, calls `gNao.UpdateLink()`.
#include <cmath>

#include "motion/nao.h"
#include "runtime/corvane.h"
#include "runtime/playmode.h"
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

void WorldModel::UpdatePlayModel() { PlayState = PlayModeFromWord(m_sPlayMode, m_bIsLeft); }

bool WorldModel::IsGoalUs() const { return m_sPlayMode == WordForPlayMode(PM_GoalUs, m_bIsLeft); }
bool WorldModel::IsGoalOpp() const { return m_sPlayMode == WordForPlayMode(PM_GoalOpp, m_bIsLeft); }

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
