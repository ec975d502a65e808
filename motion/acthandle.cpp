// Joint command table, effector and beam messages, and the silent-body watchdog.
// Reads `wm` (joint angles, play mode, fall state, number); writes `connection` (beams),
// `timer` and `skill` (resets) and the world model's fall state after a beam series.
#include "motion/acthandle.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <iostream>

#include "behaviour/skill.h"
#include "motion/keyframes.h"
#include "runtime/connection.h"
#include "runtime/corvane.h"
#include "worldmodel/worldmodel.h"

namespace {

// Effector names by JointID; the order is also the order of the clauses on the wire.
const char* const kEffectorName[kJointCount] = {
    "he1", "he2",
    "lae1", "rae1", "lae2", "rae2", "lae3", "rae3", "lae4", "rae4",
    "lle1", "rle1", "lle2", "rle2", "lle3", "rle3",
    "lle4", "rle4", "lle5", "rle5", "lle6", "rle6",
};

// The longest message that may still carry the goalkeeper's say clause.
constexpr size_t kMaxCommandLength = 309;

// The watchdog fires on this many silent leg cycles in a row.
constexpr int kSilentCyclesForReset = 80;
constexpr double kSilentLegSpeed = 0.001;

// Below this magnitude a speed cut to hundredths has at most six significant digits.
constexpr double kHundredthsWrittenExactly = 10000.0;

}  // namespace

ActHandle::ActHandle() {
    for (int id = 0; id < kJointCount; ++id) HJControl[id].sName = kEffectorName[id];
    m_sCommand.reserve(512);
    m_sSay.reserve(64);
    m_sSayPayload.reserve(kSayPayloadLength);
}

void ActHandle::ClearControl() {
    pPlayedMotion = nullptr;
    for (HJCtrl& joint : HJControl) {
        joint.fAngle = 0.0;
        joint.bCtrled = false;
    }
}

bool ActHandle::AdjustHJ(int iID, double dNewAng, double dSpeed, double dAccurate) {
    // A joint that does not exist can never arrive; nothing is commanded for it.
    if (iID < 0 || iID >= kJointCount) return false;
    const double dCurAng = wm.m_HJ[iID].fAngle;
    // Written as "not greater" so that a NaN angle or target commands nothing.
    if (!(std::fabs(dCurAng - dNewAng) > dAccurate)) return true;
    HJControl[iID].bCtrled = true;
    HJControl[iID].fAngle = (dNewAng - dCurAng) * dSpeed;
    return false;
}

void ActHandle::DoAction(double laj1, double laj2, double laj3, double laj4,
                         double raj1, double raj2, double raj3, double raj4,
                         double llj1, double llj2, double llj3, double llj4, double llj5, double llj6,
                         double rlj1, double rlj2, double rlj3, double rlj4, double rlj5, double rlj6,
                         double speed) {
    // In JointID order: left and right alternate joint by joint.
    const double target[] = {laj1, raj1, laj2, raj2, laj3, raj3, laj4, raj4,
                             llj1, rlj1, llj2, rlj2, llj3, rlj3,
                             llj4, rlj4, llj5, rlj5, llj6, rlj6};
    for (int k = 0; k < 20; ++k) AdjustHJ(JID_LARM_1 + k, target[k], speed, keyframe::kFrameAccuracyDeg);
}

// Default stream notation (6 significant digits); a value that is not finite becomes 0
// because the server cannot read "nan" or "inf" and would drop the whole message.
// The character conversion is the printf style without the locale and format parsing that
// made the stream (and snprintf) cost more per clause than parsing a whole message.
char* ActHandle::WriteNumber(char* text, double v) {
    if (!std::isfinite(v)) v = 0.0;
    return std::to_chars(text, text + kNumberTextSize, v, std::chars_format::general, 6).ptr;
}

// A whole number of hundredths below 10^6 has at most six significant digits, so the
// default notation shows it exactly: the integer part, then the hundredths without
// trailing zeros, and no point when there are none.
char* ActHandle::WriteHundredths(char* text, int hundredths) {
    char* p = text;
    if (hundredths < 0) *p++ = '-';
    const unsigned magnitude = hundredths < 0 ? 0U - static_cast<unsigned>(hundredths)
                                              : static_cast<unsigned>(hundredths);
    unsigned whole = magnitude / 100;
    const unsigned fraction = magnitude % 100;
    int digits = 1;
    for (unsigned rest = whole; rest >= 10; rest /= 10) ++digits;
    for (char* d = p + digits - 1; d >= p; --d, whole /= 10) *d = static_cast<char>('0' + whole % 10);
    p += digits;
    if (fraction != 0) {
        *p++ = '.';
        *p++ = static_cast<char>('0' + fraction / 10);
        if (fraction % 10 != 0) *p++ = static_cast<char>('0' + fraction % 10);
    }
    return p;
}

char* ActHandle::WriteSpeed(char* text, double v) {
    double dRounded = WorldModel::Round(v, 2);
    // Only a magnitude near the top of the double range overflows while scaling; such a
    // value has no fraction to round away.
    if (!std::isfinite(dRounded)) dRounded = v;
    // Every speed a joint can take lands here. The cut value is the double nearest to a
    // whole number of hundredths, and scaling it back recovers that number exactly; a
    // rounded zero, negative or not, becomes 0 and so never reads "-0".
    if (std::fabs(dRounded) < kHundredthsWrittenExactly) {
        const double dHundredths = dRounded * 100.0;
        return WriteHundredths(text, static_cast<int>(dHundredths + (dHundredths < 0 ? -0.5 : 0.5)));
    }
    return WriteNumber(text, dRounded);
}

void ActHandle::AppendNumber(std::string& out, double v) {
    char text[kNumberTextSize];
    out.append(text, WriteNumber(text, v));
}

std::string ActHandle::DealWithDouble(double v) {
    char text[kNumberTextSize];
    return std::string(text, WriteSpeed(text, v));
}

void ActHandle::AppendJointClauses() {
    for (HJCtrl& joint : HJControl) {
        if (joint.bCtrled) {
            joint.bChanged = true;
            m_sCommand += '(';
            m_sCommand += joint.sName;
            char text[kNumberTextSize + 2];
            text[0] = ' ';
            char* end = WriteSpeed(text + 1, joint.fAngle);
            *end++ = ')';
            m_sCommand.append(text, end);
        } else if (joint.bChanged) {
            // A speed stays in force on the server until replaced: stop the joint once.
            m_sCommand += '(';
            m_sCommand += joint.sName;
            m_sCommand += " 0)";
            joint.bChanged = false;
        }
    }
}

void ActHandle::AppendSayClause() {
    wm._GenerateSayInformationGK(m_sSayPayload);
    m_sSay.assign("(say ");
    m_sSay += m_sSayPayload;
    m_sSay += ')';
    if (m_sSay.size() + m_sCommand.size() > kMaxCommandLength) {
        std::cout << "Send too long message, ignore say info" << m_sSay.size() << ",  "
                  << m_sCommand.size() << std::endl;
        return;
    }
    m_sCommand += m_sSay;
}

const std::string& ActHandle::MakeCommand() {
    m_sCommand.clear();
    AppendJointClauses();
    if (wm.m_iUnum == 1) AppendSayClause();
    if (IsSilence()) {
        skill.ClearAll();
        ClearAll();
    }
    return m_sCommand;
}

bool ActHandle::IsSilence() {
    if (wm.m_sPlayMode != "PlayOn" || wm.m_FallState != FALL_NONE || bCatchBall) {
        iErrNum = 0;
        return false;
    }
    for (int id = JID_LLEG_1; id <= JID_RLEG_6; ++id) {
        if (std::fabs(HJControl[id].fAngle) > kSilentLegSpeed) {
            iErrNum = 0;
            return false;
        }
    }
    if (++iErrNum >= kSilentCyclesForReset) {
        iErrNum = 0;
        return true;
    }
    return false;
}

void ActHandle::ClearAll() {
    timer.ClearTimer();
    bCatchBall = false;
}

void ActHandle::Beam(const Vector& vPos) {
    m_sBeam.assign("(beam ");
    AppendNumber(m_sBeam, vPos.Vx);
    m_sBeam += ' ';
    AppendNumber(m_sBeam, vPos.Vy);
    m_sBeam += ' ';
    AppendNumber(m_sBeam, vPos.Vz);
    m_sBeam += ')';
    connection.SendMsg(m_sBeam);
}

bool ActHandle::Beam(const Vector& vPos, int BeamNum, bool Clear) {
    if (Clear) return true;
    if (iBeamedNum < BeamNum) {
        Beam(vPos);
        ++iBeamedNum;
        if (iBeamedNum < BeamNum) return false;
    }
    iBeamedNum = 0;
    wm.UpdateFallState(1);
    ClearAll();
    skill.ClearAll();
    return true;
}
