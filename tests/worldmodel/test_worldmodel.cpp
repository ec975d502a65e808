// World state kept from the parser's records: play mode, side, uniform number, score,
// body-relative queries, landmark lookup and the small utilities.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "support/alloc_counter.h"
#include "perception/msgparse.h"
#include "runtime/corvane.h"
#include "runtime/playmode.h"
#include "worldmodel/worldmodel.h"

namespace {

class WorldStateTest : public ::testing::Test {
protected:
    void SetUp() override { SenseParse = MsgParse(); }
    void TearDown() override { SenseParse = MsgParse(); }

    // The first message naming this player: number and side.
    void Join(int unum, bool left) {
        SenseParse.m_iUnum = unum;
        SenseParse.m_bIsLeft = left;
        model.UpdateAll();
        SenseParse.m_iUnum = 0;
    }
    void Message(const char* playMode, double serverTime = 10.0) {
        SenseParse.m_sPlayMode = playMode;
        SenseParse.m_dServerTime = serverTime;
        model.UpdateAll();
    }
    void See(Flag_ID id, double dist, double horizDeg, double vertDeg) {
        SenseParse.m_PolFlagPos[id].PolPos = Polar(dist, horizDeg, vertDeg);
        SenseParse.m_PolFlagPos[id].bCanSee = true;
    }
    void SeeBall(double dist, double horizDeg, double vertDeg) {
        SenseParse.m_PolBallPos.PolPos = Polar(dist, horizDeg, vertDeg);
        SenseParse.m_PolBallPos.bCanSee = true;
    }
    void Hide() {
        for (PolPosInfo& flag : SenseParse.m_PolFlagPos) flag.bCanSee = false;
        SenseParse.m_PolBallPos.bCanSee = false;
    }
    void Head(double yawDeg, double pitchDeg) {
        model.m_HJ[JID_HEAD_1].fAngle = yawDeg;
        model.m_HJ[JID_HEAD_2].fAngle = pitchDeg;
    }

    WorldModel model;
};

// The server names a set piece after the side that takes it, with a capital or a lower-case
// side word: the team on the named side takes it, the other one faces it.
struct SidedWord {
    const char* root;
    bool capitalSide;
    TPlayMode taken, faced;
};

const SidedWord kSidedWords[] = {
    {"KickOff_", true, PM_KickOffUs, PM_KickOffOpp},
    {"KickIn_", true, PM_KickInUs, PM_KickInOpp},
    {"Goal_", true, PM_GoalUs, PM_GoalOpp},
    {"corner_kick_", false, PM_CornerKickUs, PM_CornerKickOpp},
    {"goal_kick_", false, PM_GoalKickUs, PM_GoalKickOpp},
    {"free_kick_", false, PM_FreeKickUs, PM_FreeKickOpp},
    {"direct_free_kick_", false, PM_FreeKickUs, PM_FreeKickOpp},  // played as the indirect one
    {"offside_", false, PM_OffsideUs, PM_OffsideOpp},
    {"pass_", false, PM_PlayOn, PM_PlayOn},  // only keeps opponents away: open play
};

struct ModeCase {
    std::string word;
    TPlayMode mode;
};

std::vector<ModeCase> ModesSeenFrom(bool ownLeft) {
    std::vector<ModeCase> cases = {
        {"PlayOn", PM_PlayOn}, {"BeforeKickOff", PM_BeforeKickOff}, {"GameOver", PM_GameOver}};
    for (const SidedWord& w : kSidedWords) {
        for (bool namedLeft : {true, false}) {
            const char* side = w.capitalSide ? (namedLeft ? "Left" : "Right") : (namedLeft ? "left" : "right");
            cases.push_back({std::string(w.root) + side, namedLeft == ownLeft ? w.taken : w.faced});
        }
    }
    return cases;
}

TEST_F(WorldStateTest, PlayModeMapsBothSidesOneMessageLate) {
    for (bool left : {true, false}) {
        model = WorldModel();
        SenseParse = MsgParse();
        Join(5, left);
        for (const ModeCase& c : ModesSeenFrom(left)) {
            Message(c.word.c_str());
            EXPECT_EQ(model.PlayState, PM_None);  // still the previous message's mode
            Message("no such mode");
            EXPECT_EQ(model.PlayState, c.mode) << c.word;
            // Each mode's own word comes back for writing it (pass mode is not PlayOn's word).
            if (c.word.rfind("pass_", 0) != 0 && c.word.rfind("direct_", 0) != 0) {
                EXPECT_EQ(WordForPlayMode(c.mode, left), c.word);
            }
        }
        Message("");
        EXPECT_EQ(model.PlayState, PM_None);
        Message("kickoff_left");  // exact spelling only
        Message("PlayOn");
        EXPECT_EQ(model.PlayState, PM_None);
    }
    EXPECT_EQ(WordForPlayMode(PM_None, true), nullptr);
}

TEST_F(WorldStateTest, RightTeamKickOffIsOursOneCycleAfterTheMessage) {
    Join(3, false);
    Message("KickOff_Right");
    EXPECT_EQ(model.m_sPlayMode, "KickOff_Right");
    EXPECT_EQ(model.PlayState, PM_None);
    Message("KickOff_Right");
    EXPECT_EQ(model.PlayState, PM_KickOffUs);
}

TEST_F(WorldStateTest, EachGoalPeriodCountsOnce) {
    Join(3, false);
    for (int i = 0; i < 5; ++i) Message("Goal_Left");
    EXPECT_EQ(model.m_iOppScore, 1);
    EXPECT_TRUE(model.IsGoalOpp());
    EXPECT_FALSE(model.IsGoalUs());
    Message("KickOff_Right");
    for (int i = 0; i < 3; ++i) Message("Goal_Left");
    EXPECT_EQ(model.m_iOppScore, 2);
    Message("Goal_Right");  // straight from one goal mode to the other: same period
    EXPECT_EQ(model.m_iMyScore, 0);
    Message("PlayOn");
    Message("Goal_Right");
    EXPECT_EQ(model.m_iMyScore, 1);
    EXPECT_EQ(model.m_iOppScore, 2);
}

TEST_F(WorldStateTest, UniformNumberAndSideAreTakenOnceAndOnlyWhenValid) {
    model.m_iCmdUnum = 7;  // from the command line
    for (int bad : {12, -3, 99}) {
        SenseParse.m_iUnum = bad;
        SenseParse.m_bIsLeft = false;
        model.UpdateAll();
        EXPECT_EQ(model.m_iUnum, 0) << bad;
        EXPECT_TRUE(model.m_bIsLeft);
        EXPECT_EQ(model.m_iCmdUnum, 7);
    }
    Join(4, false);
    EXPECT_EQ(model.m_iUnum, 4);
    EXPECT_FALSE(model.m_bIsLeft);
    EXPECT_EQ(model.m_iCmdUnum, 4);
    EXPECT_EQ(model.getFlagPos(GF_OPPGL).Vx, 15);
    Join(9, true);
    EXPECT_EQ(model.m_iUnum, 4);
    EXPECT_FALSE(model.m_bIsLeft);
    EXPECT_EQ(model.m_iCmdUnum, 4);
}

TEST_F(WorldStateTest, SideIsReReadOnlyJustAfterHalfTime) {
    for (double t : {299.0, 299.8, 300.3, 301.0}) {
        model = WorldModel();
        SenseParse = MsgParse();
        Join(2, true);
        SenseParse.m_bIsLeft = false;
        Message("PlayOn", t);
        Message("PlayOn", t + 0.02);
        EXPECT_TRUE(model.m_bIsLeft) << "previous message at " << t;
    }
    model = WorldModel();
    Join(2, true);
    SenseParse.m_bIsLeft = false;
    Message("PlayOn", 299.82);
    EXPECT_TRUE(model.m_bIsLeft);  // read from the previous message's time
    Message("PlayOn", 299.84);
    EXPECT_FALSE(model.m_bIsLeft);
    EXPECT_EQ(model.m_vFlagPos[F_F1L].Vx, 15);  // table mirrored for the new side
    EXPECT_EQ(model.getFlagPos(GF_OURCL).Vx, -15);
}

TEST_F(WorldStateTest, OpponentNameIsTakenOnceKnown) {
    SenseParse.m_sOppTeamName = "UNKNOWTEAM";
    model.UpdateAll();
    EXPECT_EQ(model.m_sOppTeamName, "UNKNOWTEAM");
    SenseParse.m_sOppTeamName = "Red";
    model.UpdateAll();
    SenseParse.m_sOppTeamName = "Green";
    model.UpdateAll();
    EXPECT_EQ(model.m_sOppTeamName, "Red");
}

TEST_F(WorldStateTest, SensorsAndJointsAreCopiedEveryCycle) {
    SenseParse.m_dServerTime = 12.5;
    SenseParse.m_dGameTime = 3.25;
    SenseParse.m_Gyro.dx = 1.5;
    SenseParse.m_Acc.dz = 9.81;
    SenseParse.m_frp_lf.dz = 22;
    SenseParse.m_frp_rf.bValid = true;
    SenseParse.m_HJ[JID_RLEG_4].fAngle = -40;
    SenseParse.m_HJ[JID_RLEG_4].sPerceptorName = "rlj4";
    SeeBall(2, 0, 0);
    See(F_F1L, 10, 0, 0);
    model.UpdateAll();
    EXPECT_EQ(model.m_iCycle, 1);
    EXPECT_EQ(model.m_dServerTime, 12.5);
    EXPECT_EQ(model.m_dGameTime, 3.25);
    EXPECT_EQ(model.m_Gyro.dx, 1.5);
    EXPECT_EQ(model.m_Acc.dz, 9.81);
    EXPECT_EQ(model.m_frp_lf.dz, 22);
    EXPECT_TRUE(model.m_frp_rf.bValid);
    EXPECT_EQ(model.m_HJ[JID_RLEG_4].fAngle, -40);
    EXPECT_EQ(model.m_HJ[JID_RLEG_4].sPerceptorName, "rlj4");
    EXPECT_TRUE(model.m_bCanSeeBall);
    EXPECT_FALSE(model.m_bCanSeeFlag);  // one landmark is not enough
    See(F_G1R, 10, 0, 0);
    model.UpdateAll();
    EXPECT_TRUE(model.m_bCanSeeFlag);
    EXPECT_EQ(model.m_iCycle, 2);
}

TEST_F(WorldStateTest, LandmarksResolveToTheSameTeamFramePositionOnBothSides) {
    const Vector expected[8] = {{15, -10, 0},   {15, -1.05, 0.8},  {15, 1.05, 0.8},  {15, 10, 0},
                                {-15, -10, 0},  {-15, -1.05, 0.8}, {-15, 1.05, 0.8}, {-15, 10, 0}};
    for (bool left : {true, false}) {
        model = WorldModel();
        Join(6, left);
        for (int f = GF_OPPCR; f <= GF_OURCL; ++f) {
            const Vector p = model.getFlagPos(static_cast<GameFlag_ID>(f));
            EXPECT_NEAR(p.Vx, expected[f].Vx, 1e-12) << f << " left " << left;
            EXPECT_NEAR(p.Vy, expected[f].Vy, 1e-12) << f << " left " << left;
            EXPECT_NEAR(p.Vz, expected[f].Vz, 1e-12) << f << " left " << left;
        }
    }
}

TEST_F(WorldStateTest, GoalQueriesUseTheOpponentPostsOfEachSide) {
    for (bool left : {true, false}) {
        model = WorldModel();
        Join(6, left);
        Head(30, -10);
        Hide();
        See(left ? F_G1R : F_G2L, 8, 20, 2);  // opponent goal, left post only
        EXPECT_TRUE(model.canSeeGoalOppL());
        EXPECT_FALSE(model.canSeeGoalOppR());
        EXPECT_TRUE(model.canSeeGoalOpp());
        EXPECT_FLOAT_EQ(model.getAngleGoalOppToBodyY(), 40);
        EXPECT_FLOAT_EQ(model.getAngleGoalOppToBodyZ(), -8);
        EXPECT_FLOAT_EQ(model.getDistGoalOppToBody(), 8);
        See(left ? F_G2R : F_G1L, 10, -10, 4);  // and the right post
        EXPECT_FLOAT_EQ(model.getAngleGoalOppToBodyY(), 35);
        EXPECT_FLOAT_EQ(model.getAngleGoalOppToBodyZ(), -7);
        EXPECT_FLOAT_EQ(model.getDistGoalOppToBody(), 9);
        EXPECT_FLOAT_EQ(model.getAngleGoalOppLToBodyY(), 50);
        EXPECT_FLOAT_EQ(model.getAngleGoalOppRToBodyY(), 20);
        Hide();
        See(left ? F_G2R : F_G1L, 10, -10, 4);
        EXPECT_FLOAT_EQ(model.getAngleGoalOppToBodyY(), 30);
        See(left ? F_F1R : F_F2L, 12, 45, 0);
        See(left ? F_F2R : F_F1L, 13, -45, 0);
        EXPECT_FLOAT_EQ(model.getAngleFlagOppLToBodyY(), 75);
        EXPECT_FLOAT_EQ(model.getAngleFlagOppRToBodyY(), -15);
        EXPECT_FLOAT_EQ(model.getDistFlagOppLToBody(), 12);
        EXPECT_FLOAT_EQ(model.getDistFlagOppRToBody(), 13);
        Hide();
        See(left ? F_G1L : F_G1R, 5, 0, 0);  // own goal: not the opponent's
        EXPECT_FALSE(model.canSeeGoalOpp());
        EXPECT_FALSE(model.canSeeFlagOppL() || model.canSeeFlagOppR());
        EXPECT_TRUE(model.canSeeAnyFlag());
    }
}

TEST_F(WorldStateTest, QueriesKeepTheirLastValueWhileUnseen) {
    EXPECT_EQ(model.getDistBallToBody(), 0);
    Head(10, -20);
    SeeBall(3.5, 12, -30);
    EXPECT_FLOAT_EQ(model.getAngleBallToBodyZ(), -50);
    EXPECT_FLOAT_EQ(model.angleBallToBodyY, 22);  // refreshed by the Z query too
    EXPECT_FLOAT_EQ(model.getDistBallToBody(), 3.5);
    Hide();
    Head(-40, 0);
    EXPECT_FLOAT_EQ(model.getDistBallToBody(), 3.5);
    EXPECT_FLOAT_EQ(model.getAngleBallToBodyY(), 22);
    EXPECT_FLOAT_EQ(model.getAngleGoalOppToBodyY(), 0);
    EXPECT_FALSE(model.canSeeAnyFlag());
}

TEST_F(WorldStateTest, ShotWindowByVisiblePosts) {
    Join(9, true);
    Hide();
    model.m_vBallPos = Vector(13.5, 0.5, 0);  // close: fixed 3 degree margin
    SeeBall(1, 0, -30);
    See(F_G1R, 2, 20, 0);
    See(F_G2R, 2, -20, 0);
    EXPECT_TRUE(model.ballInGoalAngle());
    SeeBall(1, 22.9, -30);
    EXPECT_TRUE(model.ballInGoalAngle());
    SeeBall(1, 23.1, -30);
    EXPECT_FALSE(model.ballInGoalAngle());
    // Reversed posts (behind the goal line): accepted inside the swapped window.
    See(F_G1R, 2, -20, 0);
    See(F_G2R, 2, 20, 0);
    SeeBall(1, 0, -30);
    EXPECT_TRUE(model.ballInGoalAngle());

    model.m_vBallPos = Vector(10, 0.5, 0);  // far: margin 3 degrees per metre to the goal
    See(F_G1R, 5, 10, 0);
    See(F_G2R, 5, -10, 0);
    SeeBall(1, 24, -30);
    EXPECT_TRUE(model.ballInGoalAngle());
    SeeBall(1, 25.5, -30);
    EXPECT_FALSE(model.ballInGoalAngle());

    Hide();
    SeeBall(1, 0, -30);
    See(F_G1R, 2, 20, 0);  // left post only: position must be in front of the goal
    model.m_vBallPos = Vector(12.5, 0.9, 0);
    EXPECT_TRUE(model.ballInGoalAngle());
    model.m_vBallPos = Vector(11.9, 0.9, 0);
    EXPECT_FALSE(model.ballInGoalAngle());
    Hide();
    SeeBall(1, 0, -30);
    See(F_G2R, 2, 20, 0);  // right post only, ball to its right
    model.m_vBallPos = Vector(12.5, -0.5, 0);
    EXPECT_FALSE(model.ballInGoalAngle());
    Hide();
    model.m_vBallPos = Vector(14.2, -0.9, 0);
    EXPECT_TRUE(model.ballInGoalAngle());
    model.m_vBallPos = Vector(14.2, -1.1, 0);
    EXPECT_FALSE(model.ballInGoalAngle());
}

TEST(WorldModelUtility, RoundTruncatesTowardZeroAfterAddingAHalf) {
    EXPECT_DOUBLE_EQ(WorldModel::Round(2.345, 2), 2.35);
    EXPECT_DOUBLE_EQ(WorldModel::Round(-2.345, 2), -2.33);
    EXPECT_DOUBLE_EQ(WorldModel::Round(1.5, 0), 2);
    EXPECT_DOUBLE_EQ(WorldModel::Round(-0.4, 0), 0);
}

TEST(WorldModelUtility, AnglesAndDistances) {
    EXPECT_EQ(WorldModel::NormalizeAng(-180), 180);
    EXPECT_EQ(WorldModel::NormalizeAng(540), 180);
    EXPECT_EQ(WorldModel::NormalizeAng(-190), 170);
    EXPECT_EQ(WorldModel::NormalizeAng(180), 180);
    EXPECT_DOUBLE_EQ(WorldModel::GetDistInXY(Vector(1, 2, 5), Vector(4, 6, -3)), 5);
    const Vector p = WorldModel::GetPoint(Vector(1, 1, 0), Vector(4, 5, 0), 2.5);
    EXPECT_DOUBLE_EQ(p.Vx, 2.5);
    EXPECT_DOUBLE_EQ(p.Vy, 3);
    const Vector same = WorldModel::GetPoint(Vector(1, 1, 0), Vector(1, 1, 0), 2);
    EXPECT_EQ(same, Vector(1, 1, 0));
}

TEST_F(WorldStateTest, SteadyCyclesDoNotAllocate) {
    Join(2, true);
    SenseParse.m_sPlayMode = "PlayOn";
    SenseParse.m_sOppTeamName = "UNKNOWTEAM";
    SeeBall(2, 10, -20);
    See(F_F1R, 12, 40, -2);
    See(F_G1R, 10, 10, 1);
    See(F_G2R, 10, -5, 1);
    for (int j = 0; j < kJointCount; ++j) SenseParse.m_HJ[j].sPerceptorName = "hj";
    for (int i = 0; i < 3; ++i) model.UpdateAll();
    const long before = alloc_counter::Count();
    for (int i = 0; i < 50; ++i) {
        SenseParse.m_dServerTime += 0.02;
        model.UpdateAll();
    }
    EXPECT_EQ(alloc_counter::Count(), before);
}

}  // namespace
