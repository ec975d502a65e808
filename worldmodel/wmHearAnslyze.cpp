// Team messages: the goalkeeper's 20-byte payload, reception of both payload formats and
// the distance, angle and position codes. Globals: reads `SenseParse` (heard message),
// writes `decision.CoolDown` on a command hand-over.
#include <cmath>

#include "behaviour/decision.h"
#include "runtime/corvane.h"
#include "worldmodel/worldmodel.h"

namespace {

// Out-of-range code: decodes to 26 m, which receivers reject.
constexpr u_16 kDistOutOfRange = 24106;
constexpr u_32 kPositionUnknown = 0xFFFFFFFFu;

u_8 Byte(const std::string& s, int i) { return static_cast<u_8>(s[i]); }
u_16 Read16(const std::string& s, int i) { return static_cast<u_16>(Byte(s, i) | Byte(s, i + 1) << 8); }
u_32 Read32(const std::string& s, int i) {
    return static_cast<u_32>(Read16(s, i)) | static_cast<u_32>(Read16(s, i + 2)) << 16;
}
void Write16(std::string& s, int i, u_16 v) {
    s[i] = static_cast<char>(v & 0xFF);
    s[i + 1] = static_cast<char>(v >> 8);
}

bool IsUniformNumber(int n) { return n >= 1 && n <= 11; }

}  // namespace

// ---- codes

// Whole metres in the high 7 bits, hundredths split over bit 8 and the low byte, so that
// both bytes stay printable and clear of blanks and parentheses.
u_16 WorldModel::EncoderdDistGK(double dDist) {
    if (!(dDist >= 0 && dDist <= 25)) return kDistOutOfRange;
    const int i = static_cast<int>(dDist);
    const int c = static_cast<int>((dDist - i) * 100 + 0.5);
    const bool high = c >= 50;
    return static_cast<u_16>(((i + 21) << 9) | (high ? 0x100 : 0) | ((high ? c - 50 : c) + 42));
}

double WorldModel::DecoderdDistGK(u_16 code) {
    int c = (code & 0xFF) - 42;
    if (code & 0x100) c += 50;
    return (code >> 9) - 21 + c / 100.0;
}

// The angle travels as tenths of degrees in [0, 36]: whatever exceeds the 25 m range of
// the distance code (angles in (-110, 0)) arrives as -100.
u_16 WorldModel::EncoderdAngleGK(double dAngleDeg) {
    if (!std::isfinite(dAngleDeg)) return kDistOutOfRange;
    if (std::fabs(dAngleDeg) > 720) dAngleDeg = std::fmod(dAngleDeg, 360.0);
    while (dAngleDeg < 0) dAngleDeg += 360;
    while (dAngleDeg > 360) dAngleDeg -= 360;
    return EncoderdDistGK(dAngleDeg / 10);
}

double WorldModel::DecoderdAngleGK(u_16 code) {
    double a = DecoderdDistGK(code) * 10;
    while (a > 180) a -= 360;
    return a;
}

namespace {

// Integer byte (sign in bit 7) and hundredths byte of one coordinate.
void EncodeCoordinate(double v, u_32& intByte, u_32& centByte) {
    const double mag = std::fabs(v);
    const int i = static_cast<int>(mag);
    const int c = static_cast<int>((mag - i) * 100 + 0.5);
    intByte = static_cast<u_32>(i + 45) | (v < 0 ? 0x80u : 0u);
    centByte = static_cast<u_32>(c + 45);
    if (centByte == 127) centByte = 128;
}

double DecodeCoordinate(u_32 intByte, u_32 centByte) {
    const double v = static_cast<int>(intByte & 0x7F) - 45 + (static_cast<int>(centByte) - 45) / 100.0;
    return (intByte & 0x80) ? -v : v;
}

}  // namespace

u_32 WorldModel::EncoderVector(const Vector& vPos) {
    // Whole metres must fit the 7-bit field; anything else cannot be told apart.
    if (!(std::fabs(vPos.Vx) < 82 && std::fabs(vPos.Vy) < 82)) return kPositionUnknown;
    u_32 ix, dx, iy, dy;
    EncodeCoordinate(vPos.Vx, ix, dx);
    EncodeCoordinate(vPos.Vy, iy, dy);
    return ix << 24 | dx << 16 | iy << 8 | dy;
}

Vector WorldModel::DecoderVector(u_32 code) {
    return Vector(DecodeCoordinate(code >> 24 & 0xFF, code >> 16 & 0xFF),
                  DecodeCoordinate(code >> 8 & 0xFF, code & 0xFF), 0);
}

// ---- the goalkeeper's payload

std::string WorldModel::_GenerateSayInformationGK() const {
    std::string payload;
    _GenerateSayInformationGK(payload);
    return payload;
}

void WorldModel::_GenerateSayInformationGK(std::string& payload) const {
    static const u_8 kBase[4] = {0x60, 0x40, 0x60, 0x40};
    payload.assign(kSayPayloadLength, '\0');
    for (int k = 0; k < 4; ++k) {
        const PlayerInfoGK& entry = m_NearestTeamMateInfo[k];
        u_8 b = kBase[k] | static_cast<u_8>(entry.iNum & 0x0F);
        if (entry.bFall) b |= 0x10;
        if (k == 3 && m_FallState != FALL_NONE) b |= 0x20;
        payload[k] = static_cast<char>(b);
        Write16(payload, 4 + 4 * k, EncoderdDistGK(entry.dDistToBall));
        Write16(payload, 6 + 4 * k, EncoderdAngleGK(entry.dAngleToBall));
    }
}

// ---- reception

bool WorldModel::IsHearMsgValid(const std::string& sMsg) {
    if (sMsg.size() != kSayPayloadLength) return false;
    return (Byte(sMsg, 0) >> 4) == 0xB && (Byte(sMsg, 2) & 0x80) && (Byte(sMsg, 3) & 0x80) &&
           (Byte(sMsg, 1) & 0xC4) == 0xC4;
}

bool WorldModel::IsHeardMsgValidGK(const std::string& sMsg) {
    if (sMsg.size() != kSayPayloadLength) return false;
    return (Byte(sMsg, 0) & 0xE0) == 0x60 && (Byte(sMsg, 1) & 0xE0) == 0x40 &&
           (Byte(sMsg, 2) & 0xE0) == 0x60 && (Byte(sMsg, 3) & 0xC0) == 0x40;
}

namespace {

void DecodeReported(u_32 code, PlayerPos& out) {
    out.iUnum = -1;
    out.bCanSee = code != kPositionUnknown;
    out.vPos = out.bCanSee ? WorldModel::DecoderVector(code) : Vector();
}

Vector DecodeOptional(u_32 code) {
    return code == kPositionUnknown ? Vector() : WorldModel::DecoderVector(code);
}

}  // namespace

PlayerHearInfo WorldModel::ParseHearStr(const std::string& sMsg) {
    PlayerHearInfo info;
    if (sMsg.size() != kSayPayloadLength) return info;
    const u_8 state = Byte(sMsg, 2);
    info.iHearFrom = Byte(sMsg, 0) & 0x0F;
    info.State.bCanSeeTheBall = state & 0x01;
    info.State.bKnowSelfPos = state & 0x02;
    info.State.bIsFallDown = state & 0x04;
    info.vPos = DecodeOptional(Read32(sMsg, 4));
    info.vBallPos = DecodeOptional(Read32(sMsg, 8));
    DecodeReported(Read32(sMsg, 12), info.PlayerPos1);
    DecodeReported(Read32(sMsg, 16), info.PlayerPos2);
    return info;
}

PlayerHearInfoGK WorldModel::ParseHearStrGK(const std::string& sMsg) const {
    PlayerHearInfoGK info;
    if (sMsg.size() != kSayPayloadLength) return info;
    info.bFallStateGK = Byte(sMsg, 3) & 0x20;
    PlayerInfoGK* entries[4] = {&info.Player1Info, &info.Player2Info, &info.Player3Info,
                                &info.Player4Info};
    bool valid = true;
    for (int k = 0; k < 4; ++k) {
        PlayerInfoGK& e = *entries[k];
        e.iNum = Byte(sMsg, k) & 0x0F;
        e.bFall = Byte(sMsg, k) & 0x10;
        e.dDistToBall = DecoderdDistGK(Read16(sMsg, 4 + 4 * k));
        e.dAngleToBall = DecoderdAngleGK(Read16(sMsg, 6 + 4 * k));
        if (e.iNum > 9 || e.dDistToBall < 0 || e.dDistToBall > 25 || std::fabs(e.dAngleToBall) > 180)
            valid = false;
    }
    // A damaged ranking must not send anyone to the ball: the numbers are what the
    // tracking matches on.
    if (!valid)
        for (PlayerInfoGK* e : entries) e->iNum = 0;
    return info;
}

void WorldModel::ParseChangeInfo(u_8 ChangeInfo, int j) {
    if (IsUniformNumber(j)) iTeamMatesCmdUnum[j - 1] = (ChangeInfo >> 4) & 0x03;
    if (IsUniformNumber(m_iUnum)) iTeamMatesCmdUnum[m_iUnum - 1] = m_iCmdUnum;
    if ((ChangeInfo & 0x08) && (ChangeInfo & 0x03) == m_iCmdUnum) {
        decision.CoolDown = 500;
        m_iCmdUnum = 1;
    }
}

void WorldModel::UpdateHearMsg() {
    const ::HearInfo& heard = SenseParse.m_HearMsg;
    if (!heard.bValid || heard.bIsHeardFromSelf || heard.sMsg.size() != kSayPayloadLength) return;
    if (IsHearMsgValid(heard.sMsg)) {
        HearInfo = ParseHearStr(heard.sMsg);
        ParseChangeInfo(Byte(heard.sMsg, 1), HearInfo.iHearFrom);
    }
    if (IsHeardMsgValidGK(heard.sMsg)) HearInfoGK = ParseHearStrGK(heard.sMsg);
}
