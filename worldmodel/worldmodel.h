// World model: the agent's belief about the game, itself, the ball and the other players,
// refreshed once per cycle from the parser. Global: `wm` (corvane.cpp); reads `SenseParse`,
// calls `gNao.UpdateLink()` and sets the decision layer's hand-over cool-down.
#pragma once
#include <cstdint>
#include <string>

#include "geometry/geometry.h"
#include "motion/legodometry.h"
#include "perception/msgparse.h"
#include "worldmodel/myqueue.h"
#include "worldmodel/posfilter.h"

typedef uint8_t u_8;
typedef uint16_t u_16;
typedef uint32_t u_32;

// Play mode from this team's point of view.
enum TPlayMode {
    PM_BeforeKickOff = 0, PM_KickOffUs, PM_KickOffOpp, PM_PlayOn, PM_KickInUs, PM_KickInOpp,
    PM_CornerKickUs, PM_CornerKickOpp, PM_GoalKickUs, PM_GoalKickOpp, PM_OffsideUs, PM_OffsideOpp,
    PM_GameOver, PM_GoalUs, PM_GoalOpp, PM_FreeKickUs, PM_FreeKickOpp, PM_None
};

// Landmarks named from the team's point of view, left and right as seen facing the
// opponent goal.
enum GameFlag_ID {
    GF_OPPCR = 0, GF_OPPGR, GF_OPPGL, GF_OPPCL, GF_OURCR, GF_OURGR, GF_OURGL, GF_OURCL
};

enum PLAYER_ROLE {
    PR_Goalie = 0, PR_DefendLeft, PR_DefendRight, PR_LeftFront, PR_LeftRear, PR_RightFront,
    PR_RightRear, PR_MiddleFront, PR_MiddleRear, PR_LeftForward, PR_RightForward
};

enum FALLTYPE { FALL_NONE = 0, FALL_UP = 1, FALL_DOWN = 2 };

struct VecPosInfo {
    Vector vPos;
    double dTime = 0.0;  // server time, s
    bool bValid = false;
};

// One team-mate's standing for the ball; also one entry of the goalkeeper's message.
struct PlayerInfoGK {
    int iNum = 0;  // uniform number, 0 = no information
    bool bFall = false;
    double dDistToBall = 25.0;    // metres
    double dAngleToBall = 180.0;  // degrees, relative to that player's body
};

struct AgentState {
    bool bCanSeeTheBall = false;
    bool bKnowSelfPos = false;
    bool bIsFallDown = false;
};

struct PlayerPos {
    bool bCanSee = true;
    int iUnum = -1;
    Vector vPos;
};

enum SAYCMD { CMD_NULL = 0, GET_UP = 1 };

struct SAYCMD_Info {
    SAYCMD CmdType = CMD_NULL;
    int iToWho = 0;
    bool bIsMyAct = false;
};

// A decoded field-player message.
struct PlayerHearInfo {
    int iHearFrom = 0;
    AgentState State;
    Vector vPos;
    Vector vBallPos;
    PlayerPos PlayerPos1;
    PlayerPos PlayerPos2;
    SAYCMD_Info SayCmd;
};

// A decoded goalkeeper message: its ranking of the four team-mates best placed for the ball.
struct PlayerHearInfoGK {
    bool bFallStateGK = false;
    PlayerInfoGK Player1Info;
    PlayerInfoGK Player2Info;
    PlayerInfoGK Player3Info;
    PlayerInfoGK Player4Info;
};

// Wire layouts of the two 20-byte payloads (multi-byte fields little-endian) plus the
// terminating zero that is not sent.
#pragma pack(push, 1)
struct SayInfo {
    u_8 uTeamPlayer;
    u_8 uChangeInfo;
    u_8 uState;
    u_8 uPlayUnum;
    u_32 uSelfPos;
    u_32 uBallPos;
    u_32 uPlayer1;
    u_32 uPlayer2;
    char cEnd;
};

struct SayInfoGK {
    u_8 uTeamPlayer1;
    u_8 uTeamPlayer2;
    u_8 uTeamPlayer3;
    u_8 uTeamPlayer4;
    u_16 uPlayer1Dist;
    u_16 uPlayer1Angle;
    u_16 uPlayer2Dist;
    u_16 uPlayer2Angle;
    u_16 uPlayer3Dist;
    u_16 uPlayer3Angle;
    u_16 uPlayer4Dist;
    u_16 uPlayer4Angle;
    char cEnd;
};
#pragma pack(pop)

constexpr int kSayPayloadLength = 20;

class WorldModel {
public:
    WorldModel();

    // ---- per-cycle update
    void UpdateAll();
    void UpdateBasicInfo();
    void UpdatePlayModel();
    void UpdateScore();

    // ---- game state
    bool IsGoalUs() const;
    bool IsGoalOpp() const;

    // ---- small utilities
    // Seen in this message with usable numbers: the parser's number conversion can give
    // inf for overlong digit strings, and one such value must not poison the state.
    static bool IsSeen(const PolPosInfo& info);
    static double NormalizeAng(double dAngDeg);  // into (-180, 180]
    static double Round(double dNum, int i);
    static double GetDistInXY(const Vector& v1, const Vector& v2);
    // Square of the camera's height above the ball centre (0.46 m), m^2.
    static constexpr double kCameraOverBallSqM2 = 0.2116;
    // Ground distance of a ball the camera sees this far away, metres; a ball seen nearer
    // than the camera height lies under the camera and gets 0 (so does a non-finite one).
    static double GroundDistFromCameraM(double seenDistM);
    static Vector GetPoint(const Vector& vStart, const Vector& vEnd, double dLength);

    // ---- body-relative queries (degrees, metres); each returns its last value while
    // the object is not seen
    float getAngleBallToBodyY();
    float getAngleBallToBodyZ();
    float getDistBallToBody();
    float getAngleGoalOppLToBodyY();
    float getAngleGoalOppRToBodyY();
    float getAngleGoalOppToBodyY();
    float getAngleGoalOppToBodyZ();
    float getDistGoalOppToBody();
    float getAngleFlagOppLToBodyY();
    float getAngleFlagOppRToBodyY();
    float getDistFlagOppLToBody();
    float getDistFlagOppRToBody();

    bool canSeeGoalOppL() const;
    bool canSeeGoalOppR() const;
    bool canSeeGoalOpp() const;
    bool canSeeFlagOppL() const;
    bool canSeeFlagOppR() const;
    bool canSeeAnyFlag() const;

    Vector getFlagPos(GameFlag_ID flag) const;
    bool ballInGoalAngle();

    // ---- self-localisation
    void InitFlagPos();
    bool SeeFlag() const;
    double GetFaceAngInGlobal(int iFlagID) const;
    double GetFaceAngInGlobalEx();
    void UpdateAngle();
    Vector GetObjPos(const Polar& PolPos) const;
    float GetAgentHeight() const;
    float GetLength(const Polar& vPor, float Height, int Flag) const;
    void GetAgentPos(double& dPolAngle);
    void UpdateSelfPos();
    // Between landmark fixes: this cycle's own motion from the legs and the gyroscope,
    // and the facing and position carried forward by it.
    void MeasureSelfMotion();
    void CarrySelfPose();

    // ---- ball and player tracking
    void UpdatePlayerPos();
    void UpdateBallPos();
    void UpdateTeamMateInfo();
    void UpdateNearestTeamMateInfo();
    int GetNearestTeamMateNum() const;

    // ---- fall detection
    void UpdateFallState(int iClearType);
    FALLTYPE DetectFallState_Gyro(bool bClear);
    FALLTYPE DetectFallState_Acc(bool bClear);

    // ---- team messages
    std::string _GenerateSayInformationGK() const;
    // The same payload into a caller's string, which keeps its storage from cycle to cycle.
    void _GenerateSayInformationGK(std::string& payload) const;
    void UpdateHearMsg();
    static bool IsHearMsgValid(const std::string& sMsg);
    static bool IsHeardMsgValidGK(const std::string& sMsg);
    PlayerHearInfo ParseHearStr(const std::string& sMsg);
    PlayerHearInfoGK ParseHearStrGK(const std::string& sMsg) const;
    void ParseChangeInfo(u_8 ChangeInfo, int j);
    static u_16 EncoderdDistGK(double dDist);
    static u_16 EncoderdAngleGK(double dAngleDeg);
    static double DecoderdDistGK(u_16 code);
    static double DecoderdAngleGK(u_16 code);
    static Vector DecoderVector(u_32 code);
    static u_32 EncoderVector(const Vector& vPos);

    // ---- state
    cPosKF filter;         // ball position
    cPosKF filterSelfPos;  // own position

    double m_dFieldLength = kFieldLengthM;
    double m_dFieldWidth = kFieldWidthM;
    double m_dGoalWidth = kGoalWidthM;
    double m_dGoalHeight = kGoalHeightM;
    double m_dBallRadius = 0.042;
    Vector m_vOppGoalLPos;
    Vector m_vOppGoalRPos;
    Vector m_vOppGoalPos;
    Vector m_vMyGoalPos;

    std::string m_sTeamName = "Corvane3D";
    std::string m_sOppTeamName = "UNKNOWTEAM";
    int m_iUnum = 0;     // as assigned by the server; 0 until known
    int m_iCmdUnum = 0;  // requested in the init message, then the assigned number
    bool m_bIsLeft = true;
    int64_t m_iCycle = 0;
    double m_dServerTime = 0.0;  // s
    double m_dGameTime = 0.0;    // s
    int m_iMyScore = 0;
    int m_iOppScore = 0;
    std::string m_sPlayMode;
    TPlayMode PlayState = PM_None;  // lags m_sPlayMode by one message

    Vector m_vBallPos;    // position at the previous ball sighting
    Vector m_vBallPosKF;  // filtered
    PlayerPosInfo m_vTeamMate[12];  // entry k for uniform number k + 1
    PlayerPosInfo m_vOpponent[12];
    Vector m_vFlagPos[kFlagCount];  // indexed by Flag_ID, team frame
    myQueue<VecPosInfo> MyPosQ;

    bool m_bNeedCheckFall = true;
    bool m_CatchingBall = false;
    bool m_bCanSeeBallInfront = false;
    FALLTYPE m_FallState = FALL_NONE;

    HJInfo m_HJ[kJointCount];  // indexed by JointID; angles in degrees
    FRPInfo m_frp_lf;
    FRPInfo m_frp_rf;
    GyroInfo m_Gyro;
    AccInfo m_Acc;

    PLAYER_ROLE m_PlayerRole = PR_Goalie;
    PLAYER_ROLE m_AryPlayerRole[15] = {};

    Vector m_vSelfPos;
    Vector m_vSelfPosKF;
    Vector m_vSeeBallPos;  // from this cycle's ball sighting
    double m_dFaceAng = 0.0;  // global direction of the camera, degrees
    double m_dBodyAng = 0.0;  // global direction of the torso, degrees
    bool m_bCanSeeFlag = false;
    bool m_bCanSeeBall = false;

    AgentState State;
    bool bLipFinished = true;

    PlayerInfoGK m_TeamMateInfo[11];
    PlayerInfoGK m_NearestTeamMateInfo[11];
    PlayerHearInfo TeamMatesSay[12];
    VecPosInfo m_HearTeamMate[11];
    PlayerHearInfo HearInfo;
    PlayerHearInfoGK HearInfoGK;
    int iTeamMatesCmdUnum[11] = {};

    float angleGoalOppLToBodyY = 0.0f;
    float angleGoalOppRToBodyY = 0.0f;
    float angleGoalOppToBodyY = 0.0f;
    float angleGoalOppToBodyZ = 0.0f;
    float distGoalOppToBody = 0.0f;
    float angleBallToBodyY = 0.0f;
    float angleBallToBodyZ = 0.0f;
    float distBallToBody = 0.0f;
    float angleFlagOppLToBodyY = 0.0f;
    float angleFlagOppRToBodyY = 0.0f;
    float distFlagOppLToBody = 0.0f;
    float distFlagOppRToBody = 0.0f;

    PolPosInfo oppGoalPolPosInfo;
    Vector ballPosLastTime;
    Vector ballSpeed;
    PolPosInfo ballPolPosLastSec;

private:
    void TrackPlayer(const PlayerPosInfo& seen, PlayerPosInfo& entry);
    void SummariseSeenMate(int n, PlayerInfoGK& info) const;
    double EffectiveDistance(const PlayerInfoGK& info, const Vector& vPos) const;
    // The filter moved by stepTeamM (team frame, metres) and then corrected by vMeasured.
    static Vector FilteredPosition(cPosKF& kf, bool& bSeeded, const Vector& vMeasured,
                                   const Vector& stepTeamM = Vector());
    Vector CycleStepInTeamFrame() const;

    // State that lives across cycles; one world model exists per process, so keeping it
    // per instance behaves as process-wide while letting tests start from scratch.
    bool m_bScoreUpdated = false;   // the current goal period has been counted
    double m_dLastFaceAng = 0.0;    // last averaged facing angle
    int m_iPosErrNum = 0;           // consecutive rejected own positions
    bool m_bSelfKFSeeded = false;
    bool m_bPosFixed = false;       // this cycle's landmarks gave a position
    GroundOdometry m_LegOdometry;
    // This cycle's own motion: torso frame (motion frame, metres) and turn (degrees, left).
    double m_dCycleRightM = 0.0;
    double m_dCycleForwardM = 0.0;
    double m_dCycleTurnDeg = 0.0;
    bool m_bBallKFSeeded = false;
    int m_iRankCount = 0;           // rhythm of the nearest-to-ball ranking
    double m_dGyroBodyAngleXDeg = 0.0;
    double m_dGyroBodyAngleYDeg = 0.0;
    int m_iGyroXFallingSign = 0;
    int m_iGyroYFallingSign = 0;
    int m_iAccFallingSignX = 0;
    int m_iAccFallingSignY = 0;
    int m_iAccNotStandingSignZ = 0;
};
