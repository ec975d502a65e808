// Decision layer: per play mode and situation, which skill this cycle runs; set plays,
// formation, attack and defence judgements and the goalkeeper's catch judge.
// Global: `decision` (corvane.cpp); reads `wm` and `SenseParse`, drives `skill`, `Lip`, `ACT`;
// the hear analysis writes `CoolDown`.
#pragma once
#include "geometry/geometry.h"
#include "worldmodel/myqueue.h"
#include "worldmodel/worldmodel.h"

enum SITUATION_DECISION { ATTACK = 0, FORMATION = 1, CATCHBALL = 2, DEFEND = 3 };

class Decision {
public:
    Decision();

    // ---- dispatcher and set plays (decision.cpp, decision_setplay.cpp)
    void Do();
    void Clear();
    void UpdateSituation();
    void BeforeKickOff();
    void KickOffUs();
    void KickOffOpp();
    void PlayOn();
    void KickInUs();
    void KickInOpp();
    void CornerKickUs();
    void CornerKickOpp();
    void GoalKickUs();
    void GoalKickOpp();
    void GoalUs();
    void GoalOpp();
    void FreeKickUs();
    void FreeKickOpp();
    // Every other mode: finish the step under way, stand, keep looking.
    void HoldStance();
    // Who takes our set piece, and who is kept off the ball after it; once per cycle.
    void UpdateSecondTouch(TPlayMode mode);
    // This player is kept off the ball and stands within reach of it.
    bool IsBarredBesideTheBall() const;
    void CatchBall();
    // This player is the one its side sends to the ball (never while its number is unknown).
    static bool IsNearestToBall();
    // Stands at the ball for our kick-off and takes it.
    static constexpr int kKickOffTakerUnum = 9;
    // The team-mate that plays the ball: the nearest, unless it took our last set piece and
    // nobody else has played the ball since; then the next nearest. 0: nobody known.
    static int BallCarrierNum();
    // The ball carrier's hysteresis counter after one dribble check (see PlayOnState): failed
    // checks count up through the dribbling values; the fifth failure in a row jumps to
    // kAdjustingFull, from where passed checks count down to kLastDribbling and then to 0.
    static int NextAdjusting(int adjusting, bool dribbleOk);
    static constexpr int kLastDribbling = 4;  // up to here the carrier dribbles
    static constexpr int kFirstAdjusting = 5;
    static constexpr int kAdjustingFull = 10;

    // ---- formation and positioning (decision_formation.cpp)
    bool Formation();
    // The point Formation walks to this cycle, team frame; commands nothing.
    Vector FormationTarget();
    int AttackFormation(int num);

    // ---- attack, defence and shooting (decision_attack.cpp)
    int NearBallOppNum();
    bool IsOppInLine(Vector Target, Vector Origin, Vector Opp, double d);
    bool IsOppMemberInLine(Vector target, Vector Origin, double d);
    bool IsOppMoreLeft();
    Vector JudgeWayToShoot();
    Vector ClearPoint_defend();
    bool Defend();

    // ---- goalkeeper (decision_goalie.cpp)
    bool Golie_CatchJudge_new(Vector& vKickerPos, Vector& vAveBallPos, double iJudgeDistance);

    // ---- fields
    bool bPenaltyAttacker = false;
    bool bPenaltyKeeper = false;
    SITUATION_DECISION Situation_Decision = ATTACK;
    bool bRightKick = false, bCalLeftOrRight = false, bCalcKickOffTo = false;  // reserved
    Vector KickOffTo;            // reserved
    bool bShootBall = false;     // reserved
    bool bCalcShootPos = false;  // reset by Clear
    bool bCaledAttackLine = false;  // reserved
    Vector Attack_Shoot_Point;      // reserved
    bool bCalcDribblePos = false;   // reset by Clear
    Vector Attack_Dribble_Point;    // reserved
    bool bRoleSign = false;  // roles assigned (once per process)
    bool bBeamOver = false;  // the last beam request was accepted
    bool bFirstCheck = false;  // reserved
    int mAttackLine = 0;       // reserved
    bool bAttackLeft = false;  // shoot at the left side of the goal
    Vector Defend_Point, GoalKick_Point;  // reserved
    bool bDoChange = false;   // hand over the command role (read by the say builder)
    int iChangeCmdUnum = 0;
    int CoolDown = 0;  // cycles left after a heard command hand-over
    bool bResetOver = false, bArriveTarget = false;  // reserved
    double beamTime = 0.0;  // game time of the last beam after a goal, s
    TPlayMode lastPlayMode = PM_None;
    TPlayMode nowPlayMode = PM_None;

    // State that lives across cycles, one struct per owner. One `decision` exists per
    // process, so per-instance state behaves as process-wide while tests start afresh.
    struct PlayOnState {
        int adjusting = 0;  // ball-carrier hysteresis: 0..4 normal, 5..10 adjusting
        Vector KickPos;     // penalty attacker's aim point
        bool bCaledKickPos = false;
    };
    // The taker of our throw-in, corner, goal kick and free kick, one for each. Circling (coming
    // round the ball to face the goal) and searching override the step without changing it:
    // a taker that had stopped at the ball kicks as soon as it is back within step-up
    // distance, without stopping again.
    struct SetPieceTaker {
        enum class Step {
            Approach,       // walking up to the ball
            TurnToBall,     // turning on the spot until the ball is nearly straight ahead
            StoppedAtBall,  // standing at the ball, off the right foot; next is the kick
            Kicking,        // the big kick runs
        };
        Step step = Step::Approach;
        bool circling = false;   // the goal lies too far to the side of the ball
        bool sweepRight = true;  // the search's head sweep goes right
        void Reset() { *this = SetPieceTaker(); }
    };
    // The league punishes a set-piece taker that plays the ball again before anybody else
    // has: the taker finishes its kick, then leaves the ball to the others until another
    // player is at the ball or the play mode changes. Its own small machine, apart from
    // the taker's steps (the bar binds whoever took the kick, whatever it does next): set
    // piece under way (takerUnum), then the bar (barredUnum, ownKick), then lifted (Reset);
    // UpdateSecondTouch moves it on.
    struct SecondTouchState {
        int takerUnum = 0;          // takes our set piece under way; 0: none under way
        int barredUnum = 0;         // kept off the ball in open play; 0: nobody
        double barredSinceSec = 0;  // game time the bar began
        // This player's own kick when the set piece turned into open play.
        enum class OwnKick {
            None,       // not the taker, not kicking, or its kick is over
            Finishing,  // past the start of its swing: the kick runs to its end
            Cut,        // still winding up: cut, the legs held where they are
        };
        OwnKick ownKick = OwnKick::None;
        bool Finishing() const { return ownKick == OwnKick::Finishing; }
        void Reset() { *this = SecondTouchState(); }
    };
    struct KickOffState {
        bool bKicked = false;  // the kick-off taker's BigKick of this kick-off is done
    };
    // What Do handed the last cycle to: a key-frame motion left running by a handler that
    // no longer runs must not carry its timer into the next motion.
    struct DispatchState {
        int lastRoute = -1;
    };
    struct AttackFormationState {
        int stage = 0;  // 0 turning, 1 approaching, 2 around the ball, 3 distance, 4 in place
    };
    // Sliding window of the catch judge: the last 100 samples of ball and opponents.
    struct CatchJudgeState {
        static constexpr int kEntries = 12;
        myQueue<int> Q_KickerRecord;
        myQueue<Vector> Q_OppPosAry[kEntries];
        myQueue<Vector> Q_BallPosRecord;
        int iCntOppAry[kEntries] = {};
        int iCntOppNearBall[kEntries] = {};
    };

    PlayOnState m_PlayOn;
    SetPieceTaker m_KickInUs, m_CornerKickUs, m_GoalKickUs, m_FreeKickUs;
    KickOffState m_KickOff;
    SecondTouchState m_SecondTouch;
    DispatchState m_Dispatch;
    AttackFormationState m_AttackFormation;
    CatchJudgeState m_CatchJudge;

    // The routine the set-piece handlers share, each with its own taker state.
    void SetPieceKicker(SetPieceTaker& st);
    // The nearest player runs the routine, everyone else plays on.
    void NearestTakes(SetPieceTaker& st);
};
