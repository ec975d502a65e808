// Ball, opponent and team-mate tracking and the nearest-to-ball ranking that decides who
// goes to the ball. Globals: reads `SenseParse` (sightings).
#include <cmath>
#include <utility>

#include "runtime/corvane.h"
#include "worldmodel/worldmodel.h"

namespace {

// The body parts in the order their sightings are averaged.
PolPosInfo PlayerPosInfo::*const kParts[] = {&PlayerPosInfo::mHead, &PlayerPosInfo::mLFoot,
                                             &PlayerPosInfo::mLLowerArm, &PlayerPosInfo::mRFoot,
                                             &PlayerPosInfo::mRLowerArm};

// Seen players that drift out of the view cone (60 degrees either side of the camera)
// are forgotten; inside it their absence means they are hidden or far.
constexpr double kKeepUnseenWithinDeg = 59;

}  // namespace

// ---- players

void WorldModel::UpdatePlayerPos() {
    if (!SenseParse.m_bThisCycleHaveSeeInfo) return;
    for (int k = 0; k < 11; ++k) {
        TrackPlayer(SenseParse.m_vOpponent[k], m_vOpponent[k]);
        if (k != m_iUnum - 1) TrackPlayer(SenseParse.m_vTeamMate[k], m_vTeamMate[k]);
    }
}

void WorldModel::TrackPlayer(const PlayerPosInfo& seen, PlayerPosInfo& entry) {
    if (seen.bValid) {
        Polar mean;
        int parts = 0;
        for (auto part : kParts) {
            const PolPosInfo& p = seen.*part;
            if (!IsSeen(p)) continue;
            mean.Px += p.PolPos.Px;
            mean.Py += p.PolPos.Py;
            mean.Pz += p.PolPos.Pz;
            ++parts;
        }
        if (parts == 0) return;  // nothing to place it by: keep what we knew
        entry.dTime = seen.dTime;
        for (auto part : kParts) entry.*part = seen.*part;
        entry.vAveragePos = GetObjPos(Polar(mean.Px / parts, mean.Py / parts, mean.Pz / parts));
        entry.bValid = true;
        return;
    }
    if (!entry.bValid) return;
    const double bearing =
        NormalizeAng(NormalizeAng((entry.vAveragePos - m_vSelfPos).GetXYAngle()) - m_dFaceAng);
    if (std::fabs(bearing) > kKeepUnseenWithinDeg) entry.bValid = false;
}

// ---- ball

double WorldModel::GroundDistFromCameraM(double seenDistM) {
    const double ground2 = seenDistM * seenDistM - kCameraOverBallSqM2;
    return ground2 > 0 ? std::sqrt(ground2) : 0.0;
}

void WorldModel::UpdateBallPos() {
    const Polar& ball = SenseParse.m_PolBallPos.PolPos;
    const double ground = GroundDistFromCameraM(ball.Px);
    const double dirRad = (m_dFaceAng + ball.Py) * kGeometryPi / 180;
    m_vSeeBallPos = m_vSelfPos + Vector(ground * std::cos(dirRad), ground * std::sin(dirRad), 0);
    m_vSeeBallPos.Vz = m_dBallRadius;

    m_vBallPosKF = FilteredPosition(filter, m_bBallKFSeeded, m_vSeeBallPos);
    if (!std::isfinite(m_vBallPosKF.Vx) || !std::isfinite(m_vBallPosKF.Vy)) {
        m_vBallPosKF = m_vBallPos;
        m_bBallKFSeeded = false;  // the next sighting starts the filter afresh
    }
}

// ---- per-player summaries

namespace {

bool IsUniformNumber(int n) { return n >= 1 && n <= 11; }

const PlayerInfoGK* HeardEntry(const PlayerHearInfoGK& heard, int n) {
    for (const PlayerInfoGK* e :
         {&heard.Player1Info, &heard.Player2Info, &heard.Player3Info, &heard.Player4Info})
        if (e->iNum == n) return e;
    return nullptr;
}

}  // namespace

void WorldModel::UpdateTeamMateInfo() {
    for (int n = 1; n <= 11; ++n) {
        PlayerInfoGK& info = m_TeamMateInfo[n - 1];
        info.iNum = 0;
        if (n == m_iUnum) {
            const Vector toBall = m_vBallPos - m_vSelfPos;
            info.iNum = n;
            info.dDistToBall = toBall.GetMod();
            info.dAngleToBall = NormalizeAng(toBall.GetXYAngle() - m_dBodyAng);
            info.bFall = m_FallState != FALL_NONE;
            continue;
        }
        const PlayerPosInfo& mate = m_vTeamMate[n - 1];
        // The keeper sees most of the pitch; its word stands in for team-mates this
        // player does not see, or has not seen for a while.
        if (m_iUnum != 1 && !HearInfoGK.bFallStateGK) {
            const PlayerInfoGK* heard = HeardEntry(HearInfoGK, n);
            if (!mate.bValid) {
                if (heard) info = *heard;
                continue;
            }
            if (heard && std::fabs(m_dServerTime - mate.dTime) > 0.6) {
                info = *heard;
                info.iNum = n + 11;  // marks the entry as heard until the ranking
                continue;
            }
        } else if (!mate.bValid) {
            continue;
        }
        SummariseSeenMate(n, info);
    }
}

namespace {

// Positions of the body parts of a player as seen in this message.
struct PartPositions {
    bool head = false, lArm = false, rArm = false, lFoot = false, rFoot = false;
    Vector vHead, vLArm, vRArm, vLFoot, vRFoot;
};

double Dir(const Vector& v) { return v.GetXYAngle(); }

// Lying robots have their parts at nearly one height.
bool LooksFallen(const PartPositions& p) {
    auto below = [](bool a, const Vector& va, bool b, const Vector& vb, double margin) {
        return a && b && va.Vz - vb.Vz < margin;
    };
    return below(p.head, p.vHead, p.lFoot, p.vLFoot, 0.27) ||
           below(p.head, p.vHead, p.rFoot, p.vRFoot, 0.27) ||
           below(p.head, p.vHead, p.lArm, p.vLArm, 0.08) ||
           below(p.head, p.vHead, p.rArm, p.vRArm, 0.08) ||
           below(p.lArm, p.vLArm, p.rFoot, p.vRFoot, 0.08) ||
           below(p.lArm, p.vLArm, p.lFoot, p.vLFoot, 0.08) ||
           below(p.rArm, p.vRArm, p.rFoot, p.vRFoot, 0.08) ||
           below(p.rArm, p.vRArm, p.lFoot, p.vLFoot, 0.08);
}

// Body direction from a left-right pair of parts (perpendicular to it) or from the head
// over one side; false when the direction is not to be refreshed this cycle.
bool BodyDirection(const PartPositions& p, double& beta) {
    if (p.rArm && p.lFoot) return false;
    if (p.lArm && p.rFoot) beta = Dir(p.vRFoot - p.vLArm) + 90;
    else if (p.lArm && p.rArm) beta = Dir(p.vRArm - p.vLArm) + 90;
    else if (p.lFoot && p.rFoot) beta = Dir(p.vRFoot - p.vLFoot) + 90;
    else if (p.head && p.rArm && p.rFoot) beta = Dir(p.vHead - (p.vRFoot + (p.vRArm - p.vRFoot) / 3)) - 90;
    else if (p.head && p.lArm && p.lFoot) beta = Dir(p.vHead - (p.vLFoot + (p.vLArm - p.vLFoot) / 3)) + 90;
    else if (p.head && p.lArm + p.rArm + p.lFoot + p.rFoot == 1) {
        if (p.rArm) beta = Dir(p.vHead - p.vRArm) - 90;
        else if (p.rFoot) beta = Dir(p.vHead - p.vRFoot) - 90;
        else if (p.lArm) beta = Dir(p.vHead - p.vLArm) + 90;
        else beta = Dir(p.vHead - p.vLFoot) + 90;
    } else beta = 0;
    return true;
}

}  // namespace

void WorldModel::SummariseSeenMate(int n, PlayerInfoGK& info) const {
    const PlayerPosInfo& mate = m_vTeamMate[n - 1];
    info.iNum = n;
    info.dDistToBall = (mate.vAveragePos - m_vBallPos).GetMod();

    PartPositions parts;
    const PlayerPosInfo& seen = SenseParse.m_vTeamMate[n - 1];
    if (seen.bValid) {
        auto place = [this](const PolPosInfo& part, bool& flag, Vector& pos) {
            flag = IsSeen(part);
            if (flag) pos = GetObjPos(part.PolPos);
        };
        place(seen.mHead, parts.head, parts.vHead);
        place(seen.mLLowerArm, parts.lArm, parts.vLArm);
        place(seen.mRLowerArm, parts.rArm, parts.vRArm);
        place(seen.mLFoot, parts.lFoot, parts.vLFoot);
        place(seen.mRFoot, parts.rFoot, parts.vRFoot);
    }
    info.bFall = LooksFallen(parts);
    double beta;
    if (!BodyDirection(parts, beta)) return;
    info.dAngleToBall = NormalizeAng(Dir(m_vBallPos - mate.vAveragePos) - NormalizeAng(beta));
}

// ---- nearest to the ball

// A player behind the ball facing the opponent half counts as much nearer; one that must
// turn or get up as farther. The goalkeeper judges plain distances.
double WorldModel::EffectiveDistance(const PlayerInfoGK& info, const Vector& vPos) const {
    const double a = NormalizeAng((m_vBallPos - vPos).GetXYAngle());
    double e = info.dDistToBall;
    if (m_iUnum != 1) {
        if (std::fabs(a) < 60 && e > 0.1) e /= 2.5;
        else if (std::fabs(a) < 80 && e > 0.1) e /= 1.4;
    }
    e += std::fabs(info.dAngleToBall) / 300;
    if (info.bFall) e += 0.6;
    return e;
}

void WorldModel::UpdateNearestTeamMateInfo() {
    // Re-evaluating every cycle would let two players swap the ball back and forth.
    if (m_iRankCount >= 1 && m_iRankCount <= 7) {
        ++m_iRankCount;
        return;
    }
    if (m_iRankCount >= -6 && m_iRankCount <= -1) {
        --m_iRankCount;
        return;
    }
    PlayerInfoGK work[11];
    for (int k = 0; k < 11; ++k) {
        work[k] = m_TeamMateInfo[k];
        const bool heard = work[k].iNum > 11;
        if (heard) {
            m_TeamMateInfo[k].iNum -= 11;
            work[k].iNum -= 11;
        }
        if (work[k].iNum == 0 || heard || !m_vTeamMate[k].bValid) continue;
        const Vector& pos = work[k].iNum == m_iUnum ? m_vSelfPos : m_vTeamMate[k].vAveragePos;
        work[k].dDistToBall = EffectiveDistance(work[k], pos);
    }
    for (int j = 0; j < 11; ++j) {
        int best = -1;
        for (int k = 0; k < 11; ++k) {
            if (work[k].iNum == 0 || !(work[k].dDistToBall < 30)) continue;
            if (best < 0 || work[k].dDistToBall < work[best].dDistToBall) best = k;
        }
        if (best < 0) {
            m_NearestTeamMateInfo[j].iNum = 0;
            continue;
        }
        m_NearestTeamMateInfo[j] = work[best];
        work[best].iNum = 0;
    }
    PlayerInfoGK& first = m_NearestTeamMateInfo[0];
    PlayerInfoGK& second = m_NearestTeamMateInfo[1];
    auto meSecond = [&] { return IsUniformNumber(m_iUnum) && second.iNum == m_iUnum; };
    // Close calls go to this player: a hesitant pair is worse than a slightly worse choice.
    if (meSecond() && second.dDistToBall < first.dDistToBall + 0.07 && second.dDistToBall < 1 &&
        second.dDistToBall > 0.2)
        std::swap(first, second);
    // The keeper should not leave its goal for a ball a field player can take.
    if (first.iNum == 1 && meSecond() && second.dDistToBall > 0.2) std::swap(first, second);
    m_iRankCount = IsUniformNumber(m_iUnum) && first.iNum == m_iUnum ? 1 : -1;
}

int WorldModel::GetNearestTeamMateNum() const { return m_NearestTeamMateInfo[0].iNum; }
