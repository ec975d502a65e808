// Perceptor message parser: finds fixed anchor texts in one server message and reads
// the numbers and words after them. Reads no globals; writes only its own records
// (the global `SenseParse`).
#include "perception/msgparse.h"

#include <array>
#include <climits>
#include <vector>

namespace {

constexpr const char* kJointPerceptorName[kJointCount] = {
    "hj1",  "hj2",  "laj1", "raj1", "laj2", "raj2", "laj3", "raj3", "laj4", "raj4", "llj1",
    "rlj1", "llj2", "rlj2", "llj3", "rlj3", "llj4", "rlj4", "llj5", "rlj5", "llj6", "rlj6"};

constexpr const char* kFlagName[kFlagCount] = {"F1L", "G1L", "G2L", "F2L",
                                               "F1R", "G1R", "G2R", "F2R"};

constexpr int kBodyPartCount = 5;

// Anchors searched from the start of the message. Every one opens with '(' and holds a
// blank, so none can occur inside a single word: say-texts and team names are single
// words without blanks or brackets, and a peer cannot plant an anchor in them.
enum Anchor {
    A_JOINT = 0,                     // + JointID: "(n hj1)"
    A_FLAG = A_JOINT + kJointCount,  // + Flag_ID: "(F1L (pol"
    A_BALL = A_FLAG + kFlagCount,
    A_TIME,
    A_GS,
    A_GYR,
    A_ACC,
    A_SEE,
    A_UNUM,
    A_HEAR,
    A_PLAYER,
    A_LINE,
    A_FRP_LF,
    A_FRP_RF,
    A_PART,  // + position in kBodyParts: "(head "
    A_COUNT = A_PART + kBodyPartCount
};

// Positions are ints; longer texts are read as if they ended here, so index arithmetic
// near the end can never overflow.
constexpr size_t kMaxLength = INT_MAX / 2;

int Length(std::string_view s) {
    return static_cast<int>(s.size() < kMaxLength ? s.size() : kMaxLength);
}

// Texts of the anchors A_BALL .. A_FRP_RF, in that order.
constexpr const char* kSectionAnchor[A_PART - A_BALL] = {
    "(B (pol", "(time (now ", "(GS ", "(GYR (n ", "(ACC (n ", "(See", "(unum ",
    "(hear ", "(P (team ", "(L (pol", "(FRP (n lf)", "(FRP (n rf)"};

struct BodyPart {
    const char* sAnchor;
    PolPosInfo PlayerPosInfo::*member;
};

// The order in which the server lists them; each is searched from where the last ended.
constexpr BodyPart kBodyParts[kBodyPartCount] = {
    {"(head ", &PlayerPosInfo::mHead},       {"(rlowerarm ", &PlayerPosInfo::mRLowerArm},
    {"(llowerarm ", &PlayerPosInfo::mLLowerArm}, {"(rfoot ", &PlayerPosInfo::mRFoot},
    {"(lfoot ", &PlayerPosInfo::mLFoot}};

// The anchor texts, and for each character the anchors whose second character it is:
// the one pass over the message looks only at those after each '('.
struct AnchorTable {
    std::array<std::string, A_COUNT> text;
    std::array<std::vector<unsigned char>, 128> bySecond;
};

const AnchorTable& Anchors() {
    static const AnchorTable table = [] {
        AnchorTable t;
        for (int j = 0; j < kJointCount; ++j)
            t.text[A_JOINT + j] = std::string("(n ") + kJointPerceptorName[j] + ")";
        for (int f = 0; f < kFlagCount; ++f)
            t.text[A_FLAG + f] = std::string("(") + kFlagName[f] + " (pol";
        for (int a = A_BALL; a < A_PART; ++a) t.text[a] = kSectionAnchor[a - A_BALL];
        for (int k = 0; k < kBodyPartCount; ++k) t.text[A_PART + k] = kBodyParts[k].sAnchor;
        for (int a = 0; a < A_COUNT; ++a)
            t.bySecond[static_cast<unsigned char>(t.text[a][1])].push_back(
                static_cast<unsigned char>(a));
        return t;
    }();
    return table;
}

bool StartsNumber(std::string_view s, int i, int n) {
    if (i >= n) return false;
    if (MsgParse::IsNum(s[i])) return true;
    return s[i] == '-' && i + 1 < n && MsgParse::IsNum(s[i + 1]);
}

// Anchors are short: comparing in place beats a library call per candidate. The first
// two characters have already been matched.
bool TextAt(std::string_view s, size_t at, const std::string& text) {
    if (text.size() > s.size() - at) return false;
    for (size_t k = 2; k < text.size(); ++k)
        if (s[at + k] != text[k]) return false;
    return true;
}

// Three numbers in a row, each scan starting just after the previous number.
template <class ReadOne>
bool ReadThree(const ReadOne& read, int iFrom, double (&v)[3], int& iEndPos) {
    for (int k = 0; k < 3; ++k)
        if (!read(k == 0 ? iFrom : iEndPos + 1, v[k], iEndPos)) return false;
    return true;
}

bool IsWordDelimiter(char c) { return c == '(' || c == ')' || c == ' '; }

}  // namespace

MsgParse::MsgParse() {
    static_assert(A_COUNT == kAnchorCount, "one span per anchor text");
    InitJoint();
}

void MsgParse::InitJoint() {
    for (int j = 0; j < kJointCount; ++j) {
        m_HJ[j].ID = j;
        m_HJ[j].sPerceptorName = kJointPerceptorName[j];
    }
}

void MsgParse::Parse(const std::string& sMsg) {
    m_sMsg.assign(sMsg);
    IndexAnchors();
    ParseServerTime();
    ParseGameState();
    ParseGyro();
    ParseAcc();
    m_bThisCycleHaveSeeInfo = m_AnchorSpan[A_SEE].iFirst >= 0;
    if (m_bThisCycleHaveSeeInfo) {
        ClearSeeFlag();
        ParsePlayer();
        ParseLine();
        ParseFlag();
        ParseBall();
    }
    ParseHJ();
    ParseFRP();
    ParseHearMsg();
    if (m_iUnum == 0) {
        Parseunum();
        ParseSide();
    }
}

// ---- anchors ----

std::string_view MsgParse::Msg() const {
    return std::string_view(m_sMsg).substr(0, static_cast<size_t>(Length(m_sMsg)));
}

void MsgParse::IndexAnchors() {
    for (AnchorSpan& span : m_AnchorSpan) span = AnchorSpan();
    m_iNoNumberFrom = INT_MAX;
    const AnchorTable& table = Anchors();
    const std::string_view s = Msg();
    const size_t n = s.size();
    for (size_t i = 0; i + 1 < n; ++i) {
        if (s[i] != '(') continue;
        const unsigned char second = static_cast<unsigned char>(s[i + 1]);
        if (second >= table.bySecond.size()) continue;
        for (unsigned char a : table.bySecond[second]) {
            if (!TextAt(s, i, table.text[a])) continue;
            AnchorSpan& span = m_AnchorSpan[a];
            if (span.iFirst < 0) span.iFirst = static_cast<int>(i);
            span.iLast = static_cast<int>(i);
            break;
        }
    }
}

// Same result as searching the anchor text from iFrom (wholly before iLimit) without
// rescanning the message: before the first occurrence the answer is known, after the
// last there is none.
int MsgParse::FindAnchor(int iAnchor, int iFrom, int iLimit) const {
    const AnchorSpan& span = m_AnchorSpan[iAnchor];
    if (iFrom < 0 || span.iFirst < 0 || iFrom > span.iLast) return -1;
    const std::string& text = Anchors().text[iAnchor];
    if (iFrom <= span.iFirst)
        return span.iFirst <= iLimit - static_cast<int>(text.size()) ? span.iFirst : -1;
    return FindIn(text, iFrom, iLimit);
}

// First occurrence of sText that starts at or after iFrom and lies wholly before iLimit.
int MsgParse::FindIn(std::string_view sText, int iFrom, int iLimit) const {
    std::string_view s = Msg();
    if (iLimit < Length(s)) s = s.substr(0, static_cast<size_t>(iLimit < 0 ? 0 : iLimit));
    if (iFrom < 0 || iFrom > Length(s)) return -1;
    const size_t at = s.find(sText, static_cast<size_t>(iFrom));
    return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

// A scan of the whole text that fails from some index has looked at every blank up to
// the end, so every later scan from a higher index fails too: remembering that keeps a
// broken message from rescanning its tail once per anchor. iLimit confines the scan to
// the text before it.
bool MsgParse::ReadFloat(int iFrom, double& dValue, int& iEndPos, int iLimit) {
    std::string_view s = Msg();
    const bool whole = iLimit >= Length(s);
    if (whole && iFrom >= m_iNoNumberFrom) return false;
    if (!whole) s = s.substr(0, static_cast<size_t>(iLimit < 0 ? 0 : iLimit));
    int start = iFrom;
    const double v = GetFloat(s, start, iEndPos);
    if (start < 0) {
        if (whole && iFrom >= 0) m_iNoNumberFrom = iFrom;
        return false;
    }
    dValue = v;
    return true;
}

bool MsgParse::ReadPolar(int iFrom, Polar& pResult, int& iEndPos, int iLimit) {
    double v[3];
    const auto read = [this, iLimit](int from, double& value, int& end) {
        return ReadFloat(from, value, end, iLimit);
    };
    if (!ReadThree(read, iFrom, v, iEndPos)) return false;
    pResult = Polar(v[0], v[1], v[2]);
    return true;
}

// ---- scanners ----

namespace {

// Place values as the conversion walks them: exact powers of ten for the integer digits
// and, after 1, the values reached by dividing by 10 once per digit. Reading them from
// tables gives the same bits as dividing in the loop, without its chain of divisions.
constexpr int kExactPowers = 23;  // 10^22 is the largest exact power of ten
constexpr int kFractionPlaces = 64;

struct PlaceTables {
    double power[kExactPowers];
    double fraction[kFractionPlaces];
};

constexpr PlaceTables MakePlaceTables() {
    PlaceTables t{};
    double p = 1.0;
    for (int e = 0; e < kExactPowers; ++e, p *= 10.0) t.power[e] = p;
    p = 1.0;
    for (int m = 0; m < kFractionPlaces; ++m, p /= 10.0) t.fraction[m] = p;
    return t;
}

constexpr PlaceTables kPlace = MakePlaceTables();

}  // namespace

double MsgParse::StringToFloat(std::string_view sNum) {
    if (sNum.empty()) return 0.0;
    bool negative = false;
    if (sNum.front() == '-') {
        negative = true;
        sNum.remove_prefix(1);
    }
    const size_t dot = sNum.find('.');
    const size_t k = dot == std::string_view::npos ? sNum.size() : dot;
    double result = 0.0;
    if (k <= kExactPowers && sNum.size() < kFractionPlaces) {
        size_t digit = 0;  // places used so far; dots take none
        for (char c : sNum) {
            if (c == '.') continue;
            const double place = digit < k ? kPlace.power[k - 1 - digit]
                                           : kPlace.fraction[digit - k + 1];
            result += (c - '0') * place;
            ++digit;
        }
        return negative ? -result : result;
    }
    // Tokens this long only come from a broken or hostile peer: walk the places as is.
    double place = 1.0;
    if (k == 0) {
        place = 0.1;
    } else {
        for (size_t i = 1; i < k; ++i) place *= 10.0;
    }
    for (char c : sNum) {
        if (c == '.') continue;
        result += (c - '0') * place;
        place /= 10.0;
    }
    return negative ? -result : result;
}

double MsgParse::GetFloat(std::string_view sMsg, int& iStartPos, int& iEndPos) {
    const int n = Length(sMsg);
    int i = iStartPos;
    while (i >= 0 && i < n) {
        int blank = i;
        while (blank < n && sMsg[blank] != ' ') ++blank;
        if (blank >= n) break;
        const int head = blank + 1;
        if (!StartsNumber(sMsg, head, n)) {
            i = head;
            continue;
        }
        int j = head;
        while (j < n && IsIncludeInNum(sMsg[j])) ++j;
        iEndPos = j - 1;
        if (j < n && (sMsg[j] == ' ' || sMsg[j] == ')')) {
            iStartPos = head;
            return StringToFloat(sMsg.substr(static_cast<size_t>(head), static_cast<size_t>(j - head)));
        }
        i = iEndPos;
    }
    iStartPos = -1;
    return 0.0;
}

std::string_view MsgParse::GetString(std::string_view sMsg, int& iStartPos, int& iEndPos) {
    const int n = Length(sMsg);
    int i = iStartPos < 0 ? n : iStartPos;
    while (i < n && IsWordDelimiter(sMsg[i])) ++i;
    if (i >= n) {
        iStartPos = -1;
        return {};
    }
    int j = i;
    while (j < n && sMsg[j] != ')' && sMsg[j] != ' ') ++j;
    iStartPos = i;
    iEndPos = j;
    return sMsg.substr(static_cast<size_t>(i), static_cast<size_t>(j - i));
}

Polar MsgParse::GetPolar(std::string_view sMsg, int& iStartPos, int& iEndPos) {
    double v[3];
    const auto read = [&](int from, double& value, int& end) {
        iStartPos = from;
        value = GetFloat(sMsg, iStartPos, end);
        return iStartPos >= 0;
    };
    return ReadThree(read, iStartPos, v, iEndPos) ? Polar(v[0], v[1], v[2]) : Polar();
}

bool MsgParse::GetPolar(std::string_view sMsg, std::string_view FlagID, Polar& pResult) {
    const std::string anchor = "(" + std::string(FlagID) + " (pol";
    const size_t at = sMsg.find(anchor);
    if (at == std::string_view::npos || at >= static_cast<size_t>(Length(sMsg))) return false;
    int start = static_cast<int>(at) + 7;
    int end = 0;
    const Polar p = GetPolar(sMsg, start, end);
    if (start < 0) return false;
    pResult = p;
    return true;
}

// ---- clock, game state and balance sensors ----

bool MsgParse::ParseServerTime() {
    const int at = FindAnchor(A_TIME, 0);
    int end = 0;
    return at >= 0 && ReadFloat(at + 1, m_dServerTime, end);
}

bool MsgParse::ParseGameState() {
    const int gs = FindAnchor(A_GS, 0);
    if (gs < 0) return false;
    const int t = FindIn("(t ", gs + 4, INT_MAX);
    int end = 0;
    if (t < 0 || !ReadFloat(t, m_dGameTime, end)) return false;
    const int pm = FindIn("(pm ", end, INT_MAX);
    if (pm < 0) return true;
    int start = pm + 4;
    const std::string_view mode = GetString(Msg(), start, end);
    if (start >= 0) m_sPlayMode.assign(mode);
    return true;
}

bool MsgParse::ParseSensor(int iAnchor, std::string& sName, double& dx, double& dy, double& dz,
                           double& dTime) {
    const int at = FindAnchor(iAnchor, 0);
    if (at < 0) return false;
    int start = at + 7;
    int end = 0;
    const std::string_view name = GetString(Msg(), start, end);
    Polar xyz;
    if (start < 0 || !ReadPolar(end, xyz, end)) return false;
    sName.assign(name);
    dx = xyz.Px;
    dy = xyz.Py;
    dz = xyz.Pz;
    dTime = m_dServerTime;
    return true;
}

bool MsgParse::ParseGyro() {
    return ParseSensor(A_GYR, m_Gyro.sName, m_Gyro.dx, m_Gyro.dy, m_Gyro.dz, m_Gyro.dTime);
}

bool MsgParse::ParseAcc() {
    return ParseSensor(A_ACC, m_Acc.sName, m_Acc.dx, m_Acc.dy, m_Acc.dz, m_Acc.dTime);
}

// ---- vision ----

void MsgParse::ClearSeeFlag() {
    for (int i = 0; i < 11; ++i) {
        m_vTeamMate[i].bValid = false;
        m_vOpponent[i].bValid = false;
    }
    for (PolPosInfo& flag : m_PolFlagPos) flag.bCanSee = false;
    m_PolBallPos.bCanSee = false;
}

bool MsgParse::ParseFlag() {
    bool any = false;
    for (int f = 0; f < kFlagCount; ++f) {
        const int at = FindAnchor(A_FLAG + f, 0);
        int end = 0;
        if (at < 0 || !ReadPolar(at + 7, m_PolFlagPos[f].PolPos, end)) continue;
        m_PolFlagPos[f].bCanSee = true;
        m_PolFlagPos[f].dTime = m_dServerTime;
        any = true;
    }
    return any;
}

bool MsgParse::ParseBall() {
    const int at = FindAnchor(A_BALL, 0);
    int end = 0;
    m_PolBallPos.bCanSee = at >= 0 && ReadPolar(at + 7, m_PolBallPos.PolPos, end);
    if (m_PolBallPos.bCanSee) m_PolBallPos.dTime = m_dServerTime;
    return m_PolBallPos.bCanSee;
}

bool MsgParse::ParsePlayer() {
    bool any = false;
    for (int p = FindAnchor(A_PLAYER, 0); p > 0;) {
        const int next = FindAnchor(A_PLAYER, p + 9);
        ParsePlayerEntry(p, next < 0 ? Length(Msg()) : next);
        any = true;
        p = next;
    }
    return any;
}

// One "(P (team NAME) (id N) (head (pol ..)) ...)" entry; nothing after iBoundary (the
// next entry) belongs to it.
void MsgParse::ParsePlayerEntry(int iEntry, int iBoundary) {
    int start = iEntry + 9;
    int end = 0;
    const std::string_view team = GetString(Msg(), start, end);
    if (start < 0) return;
    const int id = FindIn("(id ", end, iBoundary);
    double n = 0.0;
    if (id < 0 || !ReadFloat(id + 3, n, end, iBoundary)) return;
    if (!(n >= 1 && n <= 11)) return;
    const bool mate = team == m_sTeamName;
    PlayerPosInfo& player = mate ? m_vTeamMate[static_cast<int>(n) - 1]
                                 : m_vOpponent[static_cast<int>(n) - 1];
    if (!mate) m_sOppTeamName.assign(team);
    player.bValid = true;
    player.dTime = m_dServerTime;

    ReadBodyParts(player, end, iBoundary);
}

// A part that is missing is unseen; a part whose numbers cannot be read ends the entry,
// and it and the parts after it are unseen.
void MsgParse::ReadBodyParts(PlayerPosInfo& player, int iFrom, int iBoundary) {
    int pos = iFrom;
    bool readable = true;
    for (int k = 0; k < kBodyPartCount; ++k) {
        PolPosInfo& seen = player.*kBodyParts[k].member;
        seen.bCanSee = false;
        const int name = readable ? FindAnchor(A_PART + k, pos, iBoundary) : -1;
        if (name < 0) continue;
        const int pol = FindIn("(pol ", name + 1, iBoundary);
        Polar where;
        int last = 0;
        if (pol < 0 || !ReadPolar(pol + 4, where, last, iBoundary)) {
            readable = false;
            continue;
        }
        seen = {where, m_dServerTime, true};
        pos = last + 2;
    }
}

// A broken line ends where its reading stopped, as a whole one does; reading every
// following anchor again would make a broken message cost quadratic time.
bool MsgParse::ParseLine() {
    int count = 0;
    for (int at = FindAnchor(A_LINE, 0); at > 0 && count < 24;) {
        const int first = FindIn("(pol ", at + 3, INT_MAX);
        if (first < 0) break;  // nor for any later line
        int next = first;
        Polar begin, finish;
        int end = 0;
        if (ReadPolar(first + 4, begin, end)) {
            next = end;
            const int second = FindIn("(pol ", end + 2, INT_MAX);
            if (second >= 0 && ReadPolar(second + 4, finish, end)) {
                LinePosInfo& line = m_vLine[count++];
                line.bCanSee = true;
                line.mBegin = {begin, m_dServerTime, true};
                line.mEnd = {finish, m_dServerTime, true};
                next = end;
            }
        }
        at = FindAnchor(A_LINE, next);
    }
    for (int k = count; k < 24; ++k) m_vLine[k].bCanSee = false;
    return count > 0;
}

// ---- joints and feet ----

bool MsgParse::ParseHJ() {
    bool any = false;
    for (int j = 0; j < kJointCount; ++j) {
        const int at = FindAnchor(A_JOINT + j, 0);
        if (at < 0) continue;
        const int ax = FindIn("(ax ", at + static_cast<int>(Anchors().text[A_JOINT + j].size()), INT_MAX);
        int end = 0;
        if (ax >= 0 && ReadFloat(ax + 3, m_HJ[j].fAngle, end)) any = true;
    }
    return any;
}

bool MsgParse::ParseFoot(int iAnchor, FRPInfo& foot) {
    const int at = FindAnchor(iAnchor, 0);
    foot.bValid = false;
    if (at < 0) return false;
    const int c = FindIn("(c ", at + 11, INT_MAX);
    Polar centre, force;
    int end = 0;
    if (c < 0 || !ReadPolar(c + 1, centre, end)) return false;
    const int f = FindIn("(f ", end + 2, INT_MAX);
    if (f < 0 || !ReadPolar(f + 1, force, end)) return false;
    foot.cx = centre.Px;
    foot.cy = centre.Py;
    foot.cz = centre.Pz;
    foot.dx = force.Px;
    foot.dy = force.Py;
    foot.dz = force.Pz;
    foot.dTime = m_dServerTime;
    foot.bValid = true;
    return true;
}

bool MsgParse::ParseFRP() {
    const bool left = ParseFoot(A_FRP_LF, m_frp_lf);
    const bool right = ParseFoot(A_FRP_RF, m_frp_rf);
    return left || right;
}

// ---- hearing, number and side ----

bool MsgParse::ParseHearMsg() {
    m_HearMsg.bValid = false;
    int copies = 0;
    bool any = false;
    for (int at = FindAnchor(A_HEAR, 0); at >= 0;) {
        int next = at + 1;
        double heardTime = 0.0;
        int end = 0;
        if (ReadFloat(at + 5, heardTime, end)) {
            int whoStart = end + 1;
            const std::string_view who = GetString(Msg(), whoStart, end);
            int textStart = end;
            const std::string_view text =
                whoStart < 0 ? std::string_view() : GetString(Msg(), textStart, end);
            if (whoStart >= 0 && textStart >= 0) {
                StoreHeard(heardTime, who, text, copies);
                any = true;
            }
            next = end;  // after what was read, whole or not (see ParseLine)
        }
        at = FindAnchor(A_HEAR, next);
    }
    return any;
}

void MsgParse::StoreHeard(double dTime, std::string_view sWho, std::string_view sText,
                          int& iCopies) {
    m_HearMsg.sMsg.assign(sText);
    m_HearMsg.bIsHeardFromSelf = sWho == "self";
    m_HearMsg.dDirection = m_HearMsg.bIsHeardFromSelf ? 0.0 : StringToFloat(sWho);
    m_HearMsg.bValid = true;
    m_HearMsg.dHeardTime = dTime;
    if (m_HearMsg.bIsHeardFromSelf)
        m_HearSelfMessage = m_HearMsg;
    else if (iCopies < 4)
        m_HearMessage[iCopies++] = m_HearMsg;
}

bool MsgParse::Parseunum() {
    const int at = FindAnchor(A_UNUM, 0);
    double n = 0.0;
    int end = 0;
    if (at < 0 || !ReadFloat(at, n, end) || !(n >= 1 && n <= 11)) return false;
    m_iUnum = static_cast<int>(n);
    return true;
}

// The side is read inside the game-state entry only: elsewhere "(team left" is what a
// player entry of a team named "left" looks like.
bool MsgParse::ParseSide() {
    const int gs = FindAnchor(A_GS, 0);
    if (gs < 0) return false;
    const int close = FindIn("))", gs, INT_MAX);
    const int limit = close < 0 ? INT_MAX : close;
    if (FindIn("(team left", gs, limit) > 0) {
        m_bIsLeft = true;
        return true;
    }
    if (FindIn("(team right", gs, limit) > 0) {
        m_bIsLeft = false;
        return true;
    }
    return false;
}
