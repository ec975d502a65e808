// The dispatcher: what each play mode hands the cycle to, beams and roles before kick-off
// and after goals, the kick-off, the fallen robot, and who counts as the ball carrier.
#include <cmath>
#include <cstdio>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "motion/keyframes.h"
#include "support/decision_scene.h"

namespace {

bool TurnsToBall(const Decision::SetPieceTaker& taker) {
    return taker.step == Decision::SetPieceTaker::Step::TurnToBall;
}

using Dispatch = DecisionScene;

std::string BeamText(const char* x, const char* y, const char* rot) {
    return std::string("(beam ") + x + " " + y + " " + rot + ")";
}

// The league's server keeps driving a joint at its last speed: a mode nobody plans for
// still closes the stride under way, stands and looks round, whoever is nearest.
TEST_F(Dispatch, ModesWithoutHandlerCloseTheStrideAndStand) {
    const TPlayMode unplanned[] = {PM_OffsideUs, PM_OffsideOpp, PM_GameOver, PM_None};
    for (TPlayMode mode : unplanned) {
        for (int nearest : {5, 3}) {
            SetUp();
            Player(5, PR_MiddleRear);
            NearestIs(nearest);
            decision.bBeamOver = true;
            StandReady();
            for (int i = 0; i < 30; ++i) Lip.Walk(WALK_F, 0, false, false);
            ASSERT_EQ(Lip.mPhase, NORMAL_STEP);
            const long walks = Lip.lastRequest.walkCalls;
            int cycles = 0;
            for (; cycles < 200 && Lip.mPhase != STOP; ++cycles) {
                Cycle(mode);
                ASSERT_TRUE(LegsCommanded()) << mode << " cycle " << cycles;
                EXPECT_TRUE(HeadCommanded()) << mode;
            }
            EXPECT_EQ(Lip.mPhase, STOP) << mode;
            EXPECT_GT(cycles, 3) << mode;  // a stride is not cut off where it stands
            Cycle(mode);
            EXPECT_TRUE(LegsCommanded()) << mode;
            EXPECT_EQ(Lip.lastRequest.walkCalls, walks) << mode;
            EXPECT_FALSE(timer.IsTimerRun()) << mode;
            EXPECT_TRUE(decision.bBeamOver) << mode;
            EXPECT_TRUE(Beams().empty());
            TearDown();
        }
    }
    // A robot that has not walked takes the posture without a step.
    SetUp();
    Player(5, PR_MiddleRear);
    Cycles(PM_GameOver, 5);
    EXPECT_EQ(Lip.mPhase, PREPARE);
    EXPECT_EQ(Lip.lastRequest.walkCalls + Lip.lastRequest.stopCalls, 0);
    EXPECT_TRUE(LegsCommanded());
}

struct BeamPlace {
    double x, y;
};

BeamPlace ParseBeam(const std::string& text) {
    BeamPlace p{std::nan(""), std::nan("")};
    std::sscanf(text.c_str(), "(beam %lf %lf", &p.x, &p.y);
    return p;
}

// Which side of the pitch a role plays on: +1 left, -1 right, 0 the middle.
int RoleSide(PLAYER_ROLE role) {
    switch (role) {
        case PR_DefendLeft: case PR_LeftRear: case PR_LeftFront: case PR_LeftForward: return 1;
        case PR_DefendRight: case PR_RightRear: case PR_RightFront: case PR_RightForward: return -1;
        default: return 0;
    }
}

// The kick-off line-up: every number in its own half and on the pitch, apart from the others,
// the keeper in its goal, the taker at the ball, and each role on its own side of the pitch;
// the eleven roles given out once each.
TEST_F(Dispatch, KickOffLineUpAndRolesFitTheTeam) {
    std::vector<BeamPlace> places(12);
    std::vector<PLAYER_ROLE> roles(12);
    std::vector<std::vector<PLAYER_ROLE>> tables(12, std::vector<PLAYER_ROLE>(12));
    for (int unum = 1; unum <= 11; ++unum) {
        SetUp();
        wm.m_iUnum = unum;
        wm.m_PlayerRole = PR_RightForward;
        StandReady();
        Cycles(PM_BeforeKickOff, 9);
        EXPECT_FALSE(decision.bBeamOver);
        Cycle(PM_BeforeKickOff);
        EXPECT_TRUE(decision.bBeamOver);
        ASSERT_EQ(Beams().size(), 10u) << unum;
        places[unum] = ParseBeam(Beams().front());
        roles[unum] = wm.m_PlayerRole;
        for (int k = 1; k <= 11; ++k) tables[unum][k] = wm.m_AryPlayerRole[k];
        Cycles(PM_BeforeKickOff, 20);  // beamed once; standing there while the mode lasts
        EXPECT_EQ(Beams().size(), 10u);
        TearDown();
    }
    EXPECT_EQ(roles[1], PR_Goalie);
    EXPECT_NEAR(places[1].x, -15, 1e-9);
    EXPECT_NEAR(places[1].y, 0, 1e-9);
    const int taker = Decision::kKickOffTakerUnum;
    EXPECT_EQ(roles[taker], PR_MiddleFront);  // the role KickOffUs lets kick
    EXPECT_LT(places[taker].x, 0);
    EXPECT_LT(std::hypot(places[taker].x, places[taker].y), 0.2);
    std::set<PLAYER_ROLE> given(roles.begin() + 1, roles.end());
    EXPECT_EQ(given.size(), 11u);
    // Every player holds the same table of who plays where, the one the players took.
    for (int unum = 1; unum <= 11; ++unum)
        for (int k = 1; k <= 11; ++k) EXPECT_EQ(tables[unum][k], roles[k]) << unum << " " << k;
    for (int unum = 1; unum <= 11; ++unum) {
        const BeamPlace& p = places[unum];
        EXPECT_LE(p.x, 0) << unum;
        EXPECT_GE(p.x, -15) << unum;
        EXPECT_LT(std::fabs(p.y), 10) << unum;
        const int side = RoleSide(roles[unum]);
        if (side == 0) EXPECT_LT(std::fabs(p.y), 0.1) << unum;
        else EXPECT_GT(side * p.y, 1.0) << unum;
        for (int other = unum + 1; other <= 11; ++other)
            EXPECT_GE(std::hypot(p.x - places[other].x, p.y - places[other].y), 1.0) << unum << " " << other;
    }
    SetUp();
    wm.m_iUnum = 4;
    Cycle(PM_BeforeKickOff);
    const PLAYER_ROLE first = wm.m_PlayerRole;
    wm.m_iUnum = 7;  // roles are given once per process
    Cycle(PM_BeforeKickOff);
    EXPECT_EQ(wm.m_PlayerRole, first);
}

TEST_F(Dispatch, UnknownNumbersBeamToTheOriginAndKeepTheirRole) {
    StandReady();
    wm.m_iUnum = 12;
    wm.m_PlayerRole = PR_LeftFront;
    testing::internal::CaptureStdout();
    Cycle(PM_BeforeKickOff);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("Error Player Number!\n"), std::string::npos);
    EXPECT_EQ(wm.m_PlayerRole, PR_LeftFront);
    EXPECT_EQ(Beams().front(), BeamText("0", "0", "0"));

    // Number still unknown: the beam goes to the origin and the roles wait.
    SetUp();
    StandReady();
    Cycle(PM_BeforeKickOff);
    EXPECT_FALSE(decision.bRoleSign);
    EXPECT_EQ(Beams().front(), BeamText("0", "0", "0"));
}

// The taker stands in our half with the ball at its feet, turned no farther than towards
// the ball; its place changes every ten seconds so that the opponent cannot prepare for it,
// and the last of those places differs after a conceded goal.
TEST_F(Dispatch, TakerPlaceFollowsTheGameTimeAndDiffersAfterAConcededGoal) {
    auto takerBeam = [this](double gameTimeSec, TPlayMode mode) {
        SetUp();
        wm.m_iUnum = Decision::kKickOffTakerUnum;
        wm.m_dGameTime = gameTimeSec;
        StandReady();
        Cycle(mode);
        const std::vector<std::string> beams = Beams();
        TearDown();
        double x = std::nan(""), y = x, rotDeg = x;
        if (!beams.empty()) std::sscanf(beams.front().c_str(), "(beam %lf %lf %lf", &x, &y, &rotDeg);
        EXPECT_TRUE(x < 0 && std::hypot(x, y) < 0.2) << gameTimeSec << " " << x << " " << y;
        EXPECT_TRUE(std::fabs(rotDeg) <= 30 && y * rotDeg <= 0) << gameTimeSec << " " << rotDeg;
        return beams.empty() ? std::string() : beams.front();
    };
    const std::string first = takerBeam(0, PM_BeforeKickOff);
    const std::string second = takerBeam(19.9, PM_BeforeKickOff);
    const std::string third = takerBeam(25, PM_BeforeKickOff);
    EXPECT_NE(first, second);
    EXPECT_NE(second, third);
    EXPECT_NE(first, third);
    EXPECT_NE(takerBeam(35, PM_BeforeKickOff), takerBeam(35, PM_GoalOpp));
    // A game time that is no count of seconds still places the taker.
    takerBeam(-12, PM_GoalOpp);
    takerBeam(std::numeric_limits<double>::infinity(), PM_GoalOpp);
    takerBeam(std::nan(""), PM_BeforeKickOff);
}

TEST_F(Dispatch, PenaltyAttackerBeamsBehindTheBallAndTakesNoRole) {
    decision.bPenaltyAttacker = true;
    wm.m_iUnum = 1;
    StandReady();
    Cycles(PM_BeforeKickOff, 10);
    EXPECT_EQ(Beams().front(), BeamText("-0.5", "0", "0"));
    EXPECT_FALSE(decision.bRoleSign);
}

TEST_F(Dispatch, GoalBeamIsRepeatedAfterTwoPointThreeSeconds) {
    Player(2, PR_DefendLeft);
    wm.m_dGameTime = 100;
    Cycles(PM_GoalUs, 10);  // a beam is sent ten times before it counts as done
    EXPECT_TRUE(decision.bBeamOver);
    std::vector<std::string> beams = Beams();
    ASSERT_EQ(beams.size(), 10u);
    EXPECT_EQ(beams.back(), BeamText("-12", "2.3", "0"));

    wm.m_dGameTime = 102.3;
    Cycle(PM_GoalUs);
    EXPECT_EQ(Beams().size(), 10u);
    wm.m_dGameTime = 102.32;
    Cycle(PM_GoalUs);
    EXPECT_EQ(Beams().size(), 11u);

    // A beam not yet done is retried every cycle, and the fallen robot beams as well.
    SetUp();
    Player(9, PR_MiddleFront);
    wm.m_FallState = FALL_UP;
    Cycles(PM_GoalUs, 3);
    beams = Beams();
    ASSERT_EQ(beams.size(), 3u);
    EXPECT_EQ(beams[0], BeamText("-2.25", "0", "0"));
    EXPECT_FALSE(decision.bBeamOver);
}

TEST_F(Dispatch, FallenRobotOnlyGetsUpOutsideTheBeamModes) {
    Player(5, PR_MiddleRear);
    decision.bBeamOver = true;
    wm.m_FallState = FALL_UP;
    Cycle(PM_PlayOn);
    EXPECT_TRUE(decision.bBeamOver);  // open play did not run
    EXPECT_NE(skill.m_Climb.step, Skill::GetUpStep::Lying);  // the get-up did
    EXPECT_FALSE(wm.m_bNeedCheckFall);
    EXPECT_EQ(decision.nowPlayMode, PM_None);

    for (TPlayMode mode : {PM_BeforeKickOff, PM_GoalOpp}) {
        SetUp();
        Player(5, PR_MiddleRear);
        StandReady();
        wm.m_FallState = FALL_DOWN;
        Cycle(mode);
        EXPECT_EQ(Beams().size(), 1u) << mode;
        EXPECT_EQ(decision.nowPlayMode, mode);
        TearDown();
    }
}

// Taker: beamed, kick-off given, then the blind kick once; after it the ball is
// approached with eyes open.
TEST_F(Dispatch, KickOffTakerKicksBlindOnceAfterBeaming) {
    Player(9, PR_MiddleRear);
    StandReady();
    Cycles(PM_BeforeKickOff, 10);
    ASSERT_EQ(wm.m_PlayerRole, PR_MiddleFront);
    NearestIs(9);
    LoseBall();
    Cycle(PM_KickOffUs);
    EXPECT_TRUE(timer.IsTimerRun());
    EXPECT_EQ(decision.lastPlayMode, PM_BeforeKickOff);
    EXPECT_EQ(Lip.lastRequest.walkCalls, 0);
    int cycles = 1;
    while (timer.IsTimerRun() && cycles < 400) {
        Cycle(PM_KickOffUs);
        ++cycles;
    }
    EXPECT_LT(cycles, 400);
    Cycle(PM_KickOffUs);
    EXPECT_FALSE(timer.IsTimerRun());
    EXPECT_EQ(Lip.lastRequest.type, WALK_STAY);  // searching for the ball it kicked
    EXPECT_EQ(Lip.lastRequest.turnDeg, 20);

    // After a conceded goal the next kick-off is kicked blind again.
    Cycles(PM_GoalOpp, 3);
    Cycle(PM_KickOffUs);
    EXPECT_EQ(decision.lastPlayMode, PM_GoalOpp);
    EXPECT_TRUE(timer.IsTimerRun());
}

TEST_F(Dispatch, KickOffAfterAnyOtherModeIsTakenWithTheSetPieceRoutine) {
    Player(9, PR_MiddleFront);
    NearestIs(9);
    LoseBall();
    Cycle(PM_KickInUs);
    Cycle(PM_KickOffUs);
    EXPECT_EQ(decision.lastPlayMode, PM_KickInUs);
    EXPECT_FALSE(timer.IsTimerRun());
    EXPECT_EQ(Lip.lastRequest.type, WALK_STAY);
    EXPECT_EQ(Lip.lastRequest.turnDeg, 20);

    // Everyone else keeps the kick-off stance, and the opponent's kick-off opens play.
    SetUp();
    Player(7, PR_LeftFront);
    decision.bBeamOver = true;
    Cycle(PM_KickOffUs);
    EXPECT_TRUE(LegsCommanded());
    EXPECT_TRUE(decision.bBeamOver);
    Cycle(PM_KickOffOpp);
    EXPECT_FALSE(decision.bBeamOver);
}

// A motion cut off by another handler leaves nothing running: the next one starts from
// its first frame.
TEST_F(Dispatch, MotionCutOffByAModeChangeDoesNotLeaveItsTimerRunning) {
    Player(9, PR_MiddleFront);
    decision.nowPlayMode = PM_BeforeKickOff;
    Cycles(PM_KickOffUs, 40);
    ASSERT_TRUE(timer.IsTimerRun());
    Cycle(PM_OffsideUs);
    EXPECT_FALSE(timer.IsTimerRun());

    // The next kick-off's kick starts afresh and runs its full length.
    Cycles(PM_GoalOpp, 2);
    int cycles = 0;
    do {
        Cycle(PM_KickOffUs);
        ++cycles;
    } while (timer.IsTimerRun() && cycles < 400);
    EXPECT_EQ(cycles, keyframe::kBigKick.iEndTime + 1);
}

TEST_F(Dispatch, GoalKickIsTheKeepersAndAThrowInTheNearestPlayers) {
    SeeBallAtGround(2.0, 40);
    Player(1, PR_Goalie);
    NearestIs(5);
    Cycle(PM_GoalKickUs);
    EXPECT_TRUE(TurnsToBall(decision.m_GoalKickUs));  // the keeper went for the ball
    Cycle(PM_KickInUs);
    EXPECT_FALSE(TurnsToBall(decision.m_KickInUs));

    SetUp();
    SeeBallAtGround(2.0, 40);
    Player(5, PR_MiddleRear);
    NearestIs(5);
    Cycle(PM_GoalKickUs);
    EXPECT_FALSE(TurnsToBall(decision.m_GoalKickUs));
    Cycle(PM_KickInUs);
    EXPECT_TRUE(TurnsToBall(decision.m_KickInUs));
    Cycle(PM_CornerKickUs);
    EXPECT_TRUE(TurnsToBall(decision.m_CornerKickUs));

    // Before the server has told us our number the empty ranking (0) is nobody's.
    SetUp();
    SeeBallAtGround(2.0, 40);
    Player(0, PR_Goalie);
    NearestIs(0);
    decision.bBeamOver = true;
    Cycle(PM_KickInUs);
    EXPECT_FALSE(TurnsToBall(decision.m_KickInUs));
    EXPECT_FALSE(decision.bBeamOver);  // played on instead
    EXPECT_TRUE(HeadCommanded());
}

// In a shoot-out each side's only player is always its side's nearest: the penalty roles
// must win over the ball carrier's, whose counter would move.
TEST_F(Dispatch, PenaltyModesComeBeforeTheBallCarrier) {
    for (bool attacker : {true, false}) {
        SetUp();
        decision.bPenaltyAttacker = attacker;
        decision.bPenaltyKeeper = !attacker;
        Player(1, PR_Goalie);
        NearestIs(1);
        Stand(attacker ? 12.5 : -14.5, 0, 0);
        BallAt(attacker ? 13 : -13, 0);
        decision.m_PlayOn.adjusting = 5;
        Cycle(PM_PlayOn);
        EXPECT_EQ(decision.m_PlayOn.adjusting, 5) << attacker;
        EXPECT_EQ(decision.m_PlayOn.bCaledKickPos, attacker);
        TearDown();
    }
    SetUp();
    Player(4, PR_LeftRear);
    NearestIs(4);
    decision.m_PlayOn.adjusting = 5;
    Cycle(PM_PlayOn);
    EXPECT_NE(decision.m_PlayOn.adjusting, 5);
}

TEST_F(Dispatch, PenaltyAttackerAimsAtTheGoalEvenWhenItsPositionJumpsPastTheBand) {
    decision.bPenaltyAttacker = true;
    Player(1, PR_Goalie);
    NearestIs(1);
    Stand(13.4, 0, 0);
    BallAt(13.6, 0);
    Cycle(PM_PlayOn);
    ASSERT_TRUE(decision.m_PlayOn.bCaledKickPos);
    EXPECT_GT(decision.m_PlayOn.KickPos.Vx, 14.0);
}

// A keeper on the goal line blocks the centre lane; the next lane is the post's, and a shot
// at the post itself went wide as often as in.
TEST_F(Dispatch, PenaltyAttackerAimsWellInsideThePosts) {
    decision.bPenaltyAttacker = true;
    Player(1, PR_Goalie);
    NearestIs(1);
    wm.m_vOpponent[0].bValid = true;
    wm.m_vOpponent[0].vAveragePos = Vector(14.6, 0, 0);
    Stand(12.5, 0, 0);
    BallAt(12.8, 0);
    Cycle(PM_PlayOn);
    ASSERT_TRUE(decision.m_PlayOn.bCaledKickPos);
    const Vector aim = decision.m_PlayOn.KickPos;
    EXPECT_NEAR(aim.Vx, 15.0, 1e-9);
    EXPECT_GT(std::fabs(aim.Vy), 0.3);   // beside the keeper
    EXPECT_LT(std::fabs(aim.Vy), 0.75);  // the posts stand at 1.05
}

// Only number 8 supports the attack here (agent_alt adds 9); the situation choice would
// overwrite the sentinel.
TEST_F(Dispatch, OnlyNumberEightSupportsTheAttack) {
    for (int unum : {8, 9}) {
        Player(unum, unum == 8 ? PR_RightFront : PR_MiddleFront);
        NearestIs(3);
        decision.Situation_Decision = CATCHBALL;
        Cycle(PM_PlayOn);
        EXPECT_EQ(decision.Situation_Decision, unum == 8 ? CATCHBALL : FORMATION) << unum;
    }
}

TEST(DispatchAdjusting, FiveFailuresSwitchToAdjustingAndSixSuccessesBack) {
    int adjusting = 0;
    std::vector<int> seen;
    for (int i = 0; i < 5; ++i) seen.push_back(adjusting = Decision::NextAdjusting(adjusting, false));
    for (int i = 0; i < 6; ++i) seen.push_back(adjusting = Decision::NextAdjusting(adjusting, true));
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 4, 10, 9, 8, 7, 6, 5, 0}));
    // A failure at 5 jumps back to the top; a success in normal mode clears only at 4.
    EXPECT_EQ(Decision::NextAdjusting(5, false), 10);
    EXPECT_EQ(Decision::NextAdjusting(3, true), 3);
    EXPECT_EQ(Decision::NextAdjusting(4, true), 0);
}

TEST_F(Dispatch, SituationByNearnessAndRole) {
    struct Row {
        int unum;
        PLAYER_ROLE role;
        int nearest;
        SITUATION_DECISION expected;
    };
    const Row rows[] = {
        {2, PR_DefendLeft, 2, DEFEND}, {6, PR_RightRear, 6, ATTACK}, {3, PR_DefendRight, 6, DEFEND},
        {1, PR_Goalie, 6, DEFEND},     {7, PR_LeftFront, 6, FORMATION},
    };
    for (const Row& row : rows) {
        Player(row.unum, row.role);
        NearestIs(row.nearest);
        decision.Situation_Decision = CATCHBALL;
        decision.UpdateSituation();
        EXPECT_EQ(decision.Situation_Decision, row.expected) << row.unum;
    }
    // A dive under way keeps the keeper diving, judge or not, until the motion ends.
    Player(1, PR_Goalie);
    NearestIs(6);
    ACT.CatchBall(1);
    int cycles = 1;
    for (; cycles < 400; ++cycles) {
        decision.UpdateSituation();
        if (decision.Situation_Decision != CATCHBALL) break;
        timer.Update(1);
        ACT.CatchBall(1);
    }
    EXPECT_EQ(cycles, 151);  // the dive: timer values 0 to 150
    EXPECT_EQ(decision.Situation_Decision, DEFEND);
}

// The dive side, judged by the key-frame commands of the whole dive against the motion
// called directly.
std::vector<double> DiveCommands(void (*dive)(int), int type) {
    std::vector<double> commands;
    for (int cycle = 0; cycle < 150; ++cycle) {
        ACT.ClearControl();
        timer.Update(1);
        dive(type);
        for (const HJCtrl& c : ACT.HJControl) commands.push_back(c.fAngle);
    }
    return commands;
}

TEST_F(Dispatch, KeeperDivesToTheSideOfTheBall) {
    const auto direct = [](int type) { ACT.CatchBall(type); };
    const auto decided = [](int) { decision.CatchBall(); };
    const std::vector<double> left = DiveCommands(direct, 1);
    SetUp();
    const std::vector<double> right = DiveCommands(direct, 2);
    ASSERT_NE(left, right);
    struct Row {
        double ballY, ownY;
        int type;
    };
    const Row rows[] = {{0, 0.5, 2}, {0, -0.5, 1}, {0, 0, 1}, {-3.5, 1, 2}, {3, -1, 1}, {-3, 1, 1}};
    for (const Row& row : rows) {
        SetUp();
        BallAt(-12, row.ballY);
        Stand(-14.5, row.ownY, 0);
        EXPECT_EQ(DiveCommands(decided, 0), row.type == 1 ? left : right) << row.ballY << " " << row.ownY;
        TearDown();
    }
}

}  // namespace
