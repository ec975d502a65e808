// The cycle loop against the stand-in server: a scripted game-state sequence moves play
// mode, side, uniform number and score in the process-wide world model.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "motion/nao.h"
#include "perception/msgparse.h"
#include "runtime/connection.h"
#include "runtime/corvane.h"
#include "support/standin_server.h"
#include "worldmodel/worldmodel.h"

namespace {

std::string Message(double now, const std::string& gameState) {
    char t[32];
    std::snprintf(t, sizeof t, "%.2f", now);
    return std::string("(time (now ") + t + "))" + gameState +
           "(GYR (n torso) (rt 0.00 0.00 0.00))(ACC (n torso) (a 0.00 0.00 9.81))"
           "(HJ (n hj1) (ax 0.00))(HJ (n hj2) (ax 0.00))";
}

TEST(GameStateEndToEnd, ScriptedSequenceThroughTheCycleLoop) {
    wm = WorldModel();
    SenseParse = MsgParse();
    gNao = Nao();
    m_bInit = false;
    standin::Server server;
    connection.SetHostPort(server.Port());
    ASSERT_TRUE(connection.Connect());
    ASSERT_TRUE(server.Accept());

    const std::string plain = "(GS (sl 0) (sr 0) (t 0.00) (pm ";
    const struct {
        double now;
        std::string gs;
        TPlayMode playState;
        int unum;
        bool left;
        int my, opp;
    } script[] = {
        {0.02, "(GS (t 0.00) (pm BeforeKickOff))", PM_None, 0, true, 0, 0},
        {0.04, "(GS (unum 7) (team right) (t 0.00) (pm BeforeKickOff))", PM_BeforeKickOff, 7, false, 0, 0},
        {0.06, plain + "KickOff_Right))", PM_BeforeKickOff, 7, false, 0, 0},
        {0.08, plain + "KickOff_Right))", PM_KickOffUs, 7, false, 0, 0},
        {0.10, plain + "PlayOn))", PM_KickOffUs, 7, false, 0, 0},
        {0.12, "(GS (sl 1) (sr 0) (t 0.10) (pm Goal_Left))", PM_PlayOn, 7, false, 0, 1},
        {0.14, "(GS (sl 1) (sr 0) (t 0.10) (pm Goal_Left))", PM_GoalOpp, 7, false, 0, 1},
        {0.16, "(GS (sl 1) (sr 0) (t 0.10) (pm KickOff_Right))", PM_GoalOpp, 7, false, 0, 1},
        {0.18, "(GS (sl 1) (sr 0) (t 0.10) (pm Goal_Right))", PM_KickOffUs, 7, false, 1, 1},
        {0.20, "(GS (unum 3) (team left) (t 0.10) (pm corner_kick_left))", PM_GoalUs, 7, false, 1, 1},
        {299.82, "(GS (sl 1) (sr 1) (t 150.00) (pm goal_kick_left))", PM_CornerKickOpp, 7, false, 1, 1},
        // The side is re-read at half time; the parser keeps the side the server named
        // with the number, so it stays.
        {299.84, "(GS (sl 1) (sr 1) (t 150.00) (pm goal_kick_left))", PM_GoalKickOpp, 7, false, 1, 1},
        {299.86, "(GS (sl 1) (sr 1) (t 150.00) (pm goal_kick_left))", PM_GoalKickOpp, 7, false, 1, 1},
    };
    int cycle = 0;
    for (const auto& s : script) {
        ++cycle;
        ASSERT_TRUE(server.SendMessage(Message(s.now, s.gs)));
        ASSERT_TRUE(::Run()) << cycle;
        EXPECT_EQ(wm.PlayState, s.playState) << cycle;
        EXPECT_EQ(wm.m_iUnum, s.unum) << cycle;
        EXPECT_EQ(wm.m_bIsLeft, s.left) << cycle;
        EXPECT_EQ(wm.m_iMyScore, s.my) << cycle;
        EXPECT_EQ(wm.m_iOppScore, s.opp) << cycle;
        EXPECT_EQ(wm.m_iCycle, cycle);
    }
    EXPECT_EQ(wm.m_iCmdUnum, 7);
    EXPECT_EQ(wm.getFlagPos(GF_OPPGL), Vector(15, 1.05, 0.8));
    EXPECT_EQ(wm.m_vFlagPos[F_F1L], Vector(15, -10, 0));  // right-hand table
    ASSERT_TRUE(server.WaitForFrames(static_cast<size_t>(cycle) + 1));
    EXPECT_EQ(server.Frames().at(0), "(init (unum 0)(teamname Corvane3D))");
    connection.CloseConnection();
    wm = WorldModel();
    SenseParse = MsgParse();
}

}  // namespace
