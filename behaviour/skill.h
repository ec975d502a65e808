// Behaviour skills: the verbs the decisions are made of (walking to points, getting up,
// dribbling, the kick approach, ball search and gaze), each called once per cycle.
// Global: `skill` (corvane.cpp); reads `wm` and `SenseParse`, drives `Lip` and `ACT`,
// writes wm's fall-check flag and fall state.
#pragma once
#include "geometry/geometry.h"
#include "motion/3dlip.h"
#include "worldmodel/worldmodel.h"

// A turn angle for LIP::Walk, truncated toward zero. A non-finite value or one outside
// int maps to 0: a plain conversion would be undefined there, and "no turn" is the safe
// command for a bearing the world model could not compute.
int TurnDegToInt(double turnDeg);

// Kick-approach states, in the order of their values.
enum DribbleAction {
    WalkF = 0, WalkF1, WalkF2, WalkFL, WalkFR, WalkFL1, WalkFR1, WalkFL2, WalkFR2, WalkBL,
    WalkBR, WalkTurn, WalkTurn1, WalkTurn2, WalkOther, ReadyForRightKick, ReadyForLeftKick,
    ReadyForKickRight, ReadyForKickLeft, ReadyForKickRight_Small, ReadyForKickLeft_Small,
    WalkOther_L, WalkOther_R
};

class Skill {
public:
    // ---- locomotion (skill.cpp, skill_walk.cpp)
    bool walk(ACT_TYPE walkType, float walkAngleDeg, bool smallWalk);
    void WalkToFree(Vector vTargetPos, bool bClear);
    // True once the robot stands at the point facing the opponent goal.
    bool WalkDefend(Vector vTargetPos, bool bClear);
    // True within 0.2 m of the point; bClear is ignored.
    bool WalkGoalie(Vector vTargetPos, bool bClear);
    // True within 1 m of the point.
    bool walkToFormationPos(Vector pos);
    // Get-up driver: true once the robot stands in its walking stance again.
    bool Climb(bool bClear);
    // Runs the get-up motion that matches the fall direction; true when it has finished.
    bool ClimbOnGround(bool bClear);
    void ClearAll();

    // ---- dribbling and kick approach (skill_dribble.cpp, skill_kick.cpp)
    bool dribbleFromBack();
    // Pure test, no command: walking on pushes the ball towards the goal.
    bool canDribble(bool adjusting);
    bool WalkDribble(Vector vTargetPos, double adoptAng, bool bClear);
    bool ReadyForKick_New(Vector vTargetPos, bool bUseSmallKick, bool bClear);

    // ---- ball search and gaze (skill_search.cpp)
    bool Watch();
    bool findBall();
    // True when it commanded the head.
    bool lookAtBallAnd(GameFlag_ID flag1, GameFlag_ID flag2);
    void SearchBall(Vector vTargetPos);
    bool State5(Vector vTargetPos);
    bool State7(Vector vTargetPos);
    bool State8(Vector vTargetPos);
    bool State9(Vector vTargetPos);

    int findBallStage = 0;  // step of the head scan

    // State that lives across cycles, one struct per skill. One `skill` exists per process,
    // so per-instance state behaves as process-wide while tests can start from scratch.
    struct WalkToFreeState {
        bool bInTurn = false;  // a turn on the spot is in progress
    };
    struct WalkDefendState {
        ACT_TYPE WalkType = WALK_STAY;  // reused when the bearing lies on a band edge
        double TurnAngle = 0.0;         // degrees
        Vector vNowTargetPos;
    };
    struct WalkGoalieState {
        ACT_TYPE WalkType = WALK_STAY;
        double dTurnAngle = 0.0;  // degrees
    };
    struct ClimbState {
        bool bSetOver = false;   // the fallen set-up cycle has run
        bool bClimbOver = false; // the get-up motion has finished
        bool bPrepare = true;    // waiting for the stance
    };
    struct ClimbOnGroundState {
        FALLTYPE FallType = FALL_NONE;  // fall direction taken at the start
        bool bFirstGetFallType = false;
        bool bClimbOver = false;
    };
    struct DribbleFromBackState {
        int stage = 0;  // 0 turning to the ball, 1 walking
    };
    struct WalkDribbleState {
        bool bIsReset = false;  // stance prepared on the first call
        bool bIsInit = false;
        int iState = 0;            // 0 approaching, 1 pushing
        double dTargetAngle = 0.0; // degrees, relative to the body on entry to pushing
    };
    // Which geometry the kick approach's phase flags were latched on.
    enum KickPath { KP_None = 0, KP_Straight, KP_Cross, KP_WrongSide };
    struct ReadyForKickState {
        DribbleAction DribbleState = WalkF;
        bool bNeedUpdateDribbleState = true;
        bool bIsGetTurnAngle = false, bIsGetSafePos = false, bIsGetCheckPos = false;
        bool bIsGetCheckPosO = false, bIsGetCheckPosI = false;
        bool bIsGetiAearL = false, bIsGetiAearR = false;
        bool bSmallWalk = false, bIsWalkStop = false, bToSafeLine = false;
        bool bIsKickManyTimes = false;
        int KickTimes = 0;
        int icc = 0;
        double dCheckPos[3] = {0.0, 0.0, 0.0};  // lateral offsets, metres
        double dSafePos[3] = {0.0, 0.0, 0.0};   // longitudinal offsets, metres
        Vector vLastBall;
        KickPath path = KP_None;
        // One of this approach's kicks holds the shared key-frame timer, since the cycle
        // of the last call: a kick that is left before it ends must give the timer back.
        bool bKickInFlight = false;
        int64_t iLastCallCycle = -1;
        long kicksDone = 0;  // kicks run to their end, for tools and tests to count
        DribbleAction lastKick = WalkF;
    };
    struct WatchState {
        int missTime = 0;  // cycles without the ball
    };
    struct SearchBallState {
        int iState = 1;          // 1 to 9
        bool bIsInit = false;
        bool bIsReset = false;  // the stance has been prepared (first call of the process)
        double dTargetAngle = 0.0;  // degrees
        double dAngle = 0.0;        // degrees
    };
    struct SubStateSearch {  // one each for State5, State7, State8, State9
        int iState = 0;      // 1 moving, 2 turning
        bool bIsInit = false;
        double dAngle = 0.0;
        double dTargetAngle = 0.0;
    };

    WalkToFreeState m_WalkToFree;
    WalkDefendState m_WalkDefend;
    WalkGoalieState m_WalkGoalie;
    ClimbState m_Climb;
    ClimbOnGroundState m_ClimbOnGround;
    DribbleFromBackState m_DribbleFromBack;
    WalkDribbleState m_WalkDribble;
    ReadyForKickState m_Kick;
    WatchState m_Watch;
    SearchBallState m_Search;
    SubStateSearch m_State5, m_State7, m_State8, m_State9;
};
