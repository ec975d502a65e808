// Perceptor message parser: turns one server message into plain sensor, vision and
// hearing records. Global: `SenseParse` (corvane.cpp); writes only its own records.
#pragma once
#include <climits>
#include <string>
#include <string_view>

#include "geometry/geometry.h"

// The 22 joints; the order is also the order of joint clauses in the effector message.
enum JointID {
    JID_HEAD_1 = 0, JID_HEAD_2,
    JID_LARM_1, JID_RARM_1, JID_LARM_2, JID_RARM_2, JID_LARM_3, JID_RARM_3, JID_LARM_4, JID_RARM_4,
    JID_LLEG_1, JID_RLEG_1, JID_LLEG_2, JID_RLEG_2, JID_LLEG_3, JID_RLEG_3,
    JID_LLEG_4, JID_RLEG_4, JID_LLEG_5, JID_RLEG_5, JID_LLEG_6, JID_RLEG_6,
    JID_ROOT = 22, JID_NULL = 23, JID_UNKNOW = 24
};
constexpr int kJointCount = 22;

// Index into MsgParse::m_PolFlagPos.
enum Flag_ID { F_F1L = 0, F_G1L, F_G2L, F_F2L, F_F1R, F_G1R, F_G2R, F_F2R };
constexpr int kFlagCount = 8;

struct PolPosInfo {
    Polar PolPos;  // camera-relative: metres, degrees
    double dTime = 0.0;
    bool bCanSee = false;
};

struct PlayerPosInfo {
    bool bValid = false;
    double dTime = 0.0;
    Vector vAveragePos;  // the world model's
    PolPosInfo mHead, mLLowerArm, mRLowerArm, mRFoot, mLFoot;
};

struct LinePosInfo {
    bool bCanSee = false;
    PolPosInfo mBegin, mEnd;
};

struct GyroInfo {
    std::string sName;
    double dx = 0.0, dy = 0.0, dz = 0.0;  // deg/s
    double dTime = 0.0;
};

struct AccInfo {
    std::string sName;
    double dx = 0.0, dy = 0.0, dz = 0.0;  // m/s^2
    double dTime = 0.0;
};

struct HJInfo {
    int ID = JID_UNKNOW;
    std::string sPerceptorName;
    std::string sEffectorName;
    double fAngle = 0.0;  // degrees
    double fAngleRate = 0.0;
    double dTime = 0.0;
};

struct FRPInfo {
    double cx = 0.0, cy = 0.0, cz = 0.0;  // centre of pressure
    double dx = 0.0, dy = 0.0, dz = 0.0;  // force
    double dTime = 0.0;
    bool bValid = false;
};

struct HearInfo {
    std::string sMsg;
    double dDirection = 0.0;  // degrees
    bool bIsHeardFromSelf = false;
    bool bValid = false;
    double dHeardTime = 0.0;
};

class MsgParse {
public:
    MsgParse();

    // Copies the text once into m_sMsg (reusing its capacity) and fills the records.
    void Parse(const std::string& sMsg);
    static double StringToFloat(std::string_view sNum);

    // Scanners: positions are indexes into sMsg; a failed scan sets iStartPos to -1 and
    // never reads outside sMsg. GetString returns a view into sMsg.
    static double GetFloat(std::string_view sMsg, int& iStartPos, int& iEndPos);
    static std::string_view GetString(std::string_view sMsg, int& iStartPos, int& iEndPos);
    static Polar GetPolar(std::string_view sMsg, int& iStartPos, int& iEndPos);
    static bool GetPolar(std::string_view sMsg, std::string_view FlagID, Polar& pResult);

    static bool IsNum(char c) { return c >= '0' && c <= '9'; }
    static bool IsNumHead(char c) { return IsNum(c) || c == '-'; }
    static bool IsIncludeInNum(char c) { return IsNum(c) || c == '.' || c == '-'; }

    // Section parsers, run by Parse on m_sMsg (they use the anchor table Parse builds).
    // Each returns whether it found (and could read) its section.
    bool ParseServerTime();
    bool ParseGameState();
    bool ParseGyro();
    bool ParseAcc();
    bool ParseFlag();
    bool ParseBall();
    bool ParsePlayer();
    bool ParseLine();
    bool ParseHJ();
    bool ParseFRP();
    bool ParseHearMsg();
    bool Parseunum();
    bool ParseSide();
    void ClearSeeFlag();

    std::string m_sMsg;
    double m_dServerTime = 0.0;
    double m_dGameTime = 0.0;
    int m_iUnum = 0;
    bool m_bIsLeft = true;
    std::string m_sTeamName = "Corvane3D";
    std::string m_sOppTeamName = "UNKNOWTEAM";
    std::string m_sPlayMode;
    GyroInfo m_Gyro;
    AccInfo m_Acc;
    PlayerPosInfo m_vTeamMate[11];
    PlayerPosInfo m_vOpponent[11];
    LinePosInfo m_vLine[24];
    PolPosInfo m_PolFlagPos[kFlagCount];
    PolPosInfo m_PolBallPos;
    HJInfo m_HJ[kJointCount];
    FRPInfo m_frp_lf, m_frp_rf;
    HearInfo m_HearMsg;
    HearInfo m_HearMessage[4];
    HearInfo m_HearSelfMessage;
    bool m_bThisCycleHaveSeeInfo = false;

private:
    // First and last index of one anchor text in m_sMsg (-1 when absent).
    struct AnchorSpan {
        int iFirst = -1;
        int iLast = -1;
    };
    static constexpr int kAnchorCount = kJointCount + kFlagCount + 17;

    void InitJoint();
    void IndexAnchors();
    std::string_view Msg() const;
    int FindAnchor(int iAnchor, int iFrom, int iLimit = INT_MAX) const;
    int FindIn(std::string_view sText, int iFrom, int iLimit) const;
    bool ReadFloat(int iFrom, double& dValue, int& iEndPos, int iLimit = INT_MAX);
    bool ReadPolar(int iFrom, Polar& pResult, int& iEndPos, int iLimit = INT_MAX);
    bool ParseSensor(int iAnchor, std::string& sName, double& dx, double& dy, double& dz,
                     double& dTime);
    bool ParseFoot(int iAnchor, FRPInfo& foot);
    void ParsePlayerEntry(int iEntry, int iBoundary);
    void ReadBodyParts(PlayerPosInfo& player, int iFrom, int iBoundary);
    void StoreHeard(double dTime, std::string_view sWho, std::string_view sText, int& iCopies);

    AnchorSpan m_AnchorSpan[kAnchorCount];
    int m_iNoNumberFrom = INT_MAX;  // no number can be scanned from here on
};
