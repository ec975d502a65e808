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
    // bClear resets the dribble and the search around the ball and commands nothing.
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
    // Get-up: lying (the set-up has not run), resting (waits for the body to come to rest),
    // rising (the get-up motion runs), settling (back into the walking stance).
    enum class GetUpStep { Lying, Resting, Rising, Settling };
    struct ClimbState {
        GetUpStep step = GetUpStep::Lying;
        int restingCycles = 0;  // cycles spent in Resting
        int stillCycles = 0;    // consecutive cycles of a body at rest
        int failedRises = 0;    // motions that ended with the body still down
        void Reset() { *this = ClimbState(); }
    };
    struct ClimbOnGroundState {
        FALLTYPE FallType = FALL_NONE;  // fall direction taken at the start
        bool bFirstGetFallType = false;
        bool bClimbOver = false;
    };
    struct DribbleFromBackState {
        int stage = 0;  // 0 turning to the ball, 1 walking
    };
    enum class DribbleStep { Approach = 0, Push = 1 };
    struct WalkDribbleState {
        bool bChosen = false;  // the first state has been chosen
        DribbleStep step = DribbleStep::Approach;
        double dTargetAngle = 0.0;  // degrees, relative to the body on entry to pushing
        void Reset() { *this = WalkDribbleState(); }
    };
    // Which geometry the kick approach's phase flags were latched on.
    enum KickPath { KP_None = 0, KP_Straight, KP_Cross, KP_WrongSide };
    // How far the approach to the kick has come. The straight kick passes Facing, Distance,
    // ChooseFoot and Lateral; the cross kick Facing, Outside, Inside and Distance; both then
    // stand Placed and kick. FinalDistance: a straight approach that was placed, backed off
    // and only has the distance to redo.
    enum class ApproachPhase { Facing, Distance, ChooseFoot, Lateral, Outside, Inside, FinalDistance, Placed };
    enum class KickFoot { Undecided, Right, Left };
    struct ReadyForKickState {
        DribbleAction DribbleState = WalkF;
        bool bNeedUpdateDribbleState = true;
        ApproachPhase phase = ApproachPhase::Facing;
        KickFoot foot = KickFoot::Undecided;  // of the straight kick
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
        // Back to the start of an approach; the two counters for tools and tests stay.
        void Reset() {
            const long kicks = kicksDone;
            const DribbleAction last = lastKick;
            *this = ReadyForKickState();
            kicksDone = kicks;
            lastKick = last;
        }
    };
    // The head scan for a lost ball (Watch, findBall).
    struct HeadScanState {
        int missCycles = 0;  // cycles without the ball before the scan starts
        int step = 0;        // step of the scan under way; 0: none
        void Reset() { *this = HeadScanState(); }
    };
    // The search around the ball (SearchBall): where the robot stands relative to the ball
    // and the line to the target. Values are what the search prints.
    enum class SearchStep {
        WalkIn = 1,    // far from the ball: walk to it
        Behind,        // behind the ball on the line, facing it: walk in
        TurnBehind,    // behind the ball on the line: turn to face it
        LeftFacing,    // off the line on the left-hand way round, facing the ball: step right
        LeftBackOff,   // ... not facing it, still behind: circle stepping back
        RightFacing,   // the mirror images on the right-hand way round
        RightBackOff,
        LeftInFront,   // beside or in front of the ball, left-hand way: circle stepping right
        RightInFront,  // ... right-hand way: circle stepping left
    };
    // A circling state steps round the ball, or turns back to it when far off the line.
    enum class CircleMode { Unset, Stepping, Turning };
    struct BallSearchState {
        SearchStep step = SearchStep::WalkIn;
        bool bChosen = false;       // the first state has been chosen
        double dTargetAngle = 0.0;  // degrees, the way round the ball at the last choice
        double dAngle = 0.0;        // degrees, the ball bearing at the last choice
        CircleMode circle[4] = {};  // LeftBackOff, RightBackOff, LeftInFront, RightInFront
        void Reset() { *this = BallSearchState(); }
    };

    WalkToFreeState m_WalkToFree;
    WalkDefendState m_WalkDefend;
    WalkGoalieState m_WalkGoalie;
    ClimbState m_Climb;
    ClimbOnGroundState m_ClimbOnGround;
    DribbleFromBackState m_DribbleFromBack;
    WalkDribbleState m_WalkDribble;
    ReadyForKickState m_Kick;
    HeadScanState m_HeadScan;
    BallSearchState m_Search;
    // The dribble and the search each take the stance on their first call of the process;
    // their resets leave these alone.
    bool m_bDribbleStancePrepared = false;
    bool m_bSearchStancePrepared = false;
};
