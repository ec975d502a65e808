// Section parsing of single messages: what each record takes from a message, what it
// keeps when the message lacks it, and what a malformed or hostile message cannot do.
#include <gtest/gtest.h>

#include <string>

#include "perception/msgparse.h"

namespace {

const std::string kHead = "(time (now 1.00))(GS (sl 0) (sr 0) (t 0.50) (pm PlayOn))";

std::string Vision(const std::string& seen) { return kHead + "(See " + seen + ")"; }

std::string Lines(int count) {
    std::string s;
    for (int i = 0; i < count; ++i)
        s += " (L (pol " + std::to_string(i + 1) + ".5 10 -2) (pol 3 4 " + std::to_string(i) + "))";
    return s;
}

int SeenLines(const MsgParse& p) {
    int n = 0;
    for (const LinePosInfo& l : p.m_vLine) n += l.bCanSee;
    return n;
}

}  // namespace

TEST(MsgParseClock, TimeGameStateNumberAndSide) {
    MsgParse p;
    p.Parse("(time (now 12.34))(GS (t 0.00) (pm BeforeKickOff))");
    EXPECT_NEAR(p.m_dServerTime, 12.34, 1e-12);
    EXPECT_EQ(p.m_dGameTime, 0.0);
    EXPECT_EQ(p.m_sPlayMode, "BeforeKickOff");
    EXPECT_EQ(p.m_iUnum, 0);
    EXPECT_TRUE(p.m_bIsLeft);

    p.Parse("(GS (unum 7) (team right) (t 0.00) (pm BeforeKickOff))");
    EXPECT_EQ(p.m_iUnum, 7);
    EXPECT_FALSE(p.m_bIsLeft);
    EXPECT_NEAR(p.m_dServerTime, 12.34, 1e-12);  // no clock: kept
    p.Parse("(GS (unum 3) (team left) (t 1.00) (pm PlayOn))");
    EXPECT_EQ(p.m_iUnum, 7);
    EXPECT_FALSE(p.m_bIsLeft);
    EXPECT_EQ(p.m_sPlayMode, "PlayOn");
}

TEST(MsgParseClock, OnlyAFiniteNumberFrom1To11IsTakenAsOurs) {
    const std::string nan = "1" + std::string(400, '0');  // converts to NaN
    for (const std::string& bad : {std::string("0"), std::string("12"), std::string("-3"),
                                   std::string("0.5"), std::string(400, '9'), nan}) {
        MsgParse p;
        p.Parse("(GS (unum " + bad + ") (team right) (t 0.00) (pm BeforeKickOff))");
        EXPECT_EQ(p.m_iUnum, 0) << bad;
        p.Parse("(GS (unum 4) (team left) (t 0.00) (pm BeforeKickOff))");
        EXPECT_EQ(p.m_iUnum, 4) << bad;  // the next message is still tried
        EXPECT_TRUE(p.m_bIsLeft);
    }
}

TEST(MsgParseBody, JointsSensorsAndWhatAMissingEntryKeeps) {
    MsgParse p;
    EXPECT_EQ(p.m_HJ[JID_RLEG_6].ID, JID_RLEG_6);
    EXPECT_EQ(p.m_HJ[JID_RLEG_6].sPerceptorName, "rlj6");
    EXPECT_EQ(p.m_HJ[JID_LARM_1].sPerceptorName, "laj1");
    p.Parse(kHead + "(GYR (n torso) (rt 1.5 -2.25 0.00))(ACC (n torso) (a 0.1 -0.2 9.81))"
                    "(HJ (n raj2) (ax -45.37))(HJ (n hj1) (ax -0.00))(HJ (n llj6) (ax 7))");
    EXPECT_NEAR(p.m_HJ[5].fAngle, -45.37, 1e-12);
    EXPECT_EQ(p.m_HJ[JID_HEAD_1].fAngle, 0.0);
    EXPECT_EQ(p.m_HJ[JID_LLEG_6].fAngle, 7.0);
    EXPECT_EQ(p.m_Gyro.sName, "torso");
    EXPECT_DOUBLE_EQ(p.m_Gyro.dy, -2.25);
    EXPECT_DOUBLE_EQ(p.m_Acc.dz, 9.81);
    EXPECT_EQ(p.m_Acc.dTime, 1.0);

    // No "(ax", no number, no entry: each keeps the old angle and nothing else moves.
    p.Parse(kHead + "(GYR (n torso) (rt 1 2))(HJ (n raj2) (n x))(HJ (n hj1) (ax x))(HJ (n llj6");
    EXPECT_NEAR(p.m_HJ[5].fAngle, -45.37, 1e-12);
    EXPECT_EQ(p.m_HJ[JID_LLEG_6].fAngle, 7.0);
    EXPECT_DOUBLE_EQ(p.m_Gyro.dx, 1.5);
}

TEST(MsgParseBody, FootPressureIsValidOnlyWhenComplete) {
    MsgParse p;
    p.Parse(kHead + "(FRP (n lf) (c 0.02 -0.01 -0.02) (f -1.50 2.30 22.87))");
    EXPECT_TRUE(p.m_frp_lf.bValid);
    EXPECT_FALSE(p.m_frp_rf.bValid);
    EXPECT_DOUBLE_EQ(p.m_frp_lf.cy, -0.01);
    EXPECT_DOUBLE_EQ(p.m_frp_lf.dx, -1.5);
    EXPECT_DOUBLE_EQ(p.m_frp_lf.dz, 22.87);
    p.Parse(kHead);
    EXPECT_FALSE(p.m_frp_lf.bValid);
    EXPECT_DOUBLE_EQ(p.m_frp_lf.dz, 22.87);
    p.Parse(kHead + "(FRP (n lf) (c 0.5 0.5 0.5) (g 1 1 1))");
    EXPECT_FALSE(p.m_frp_lf.bValid);
    EXPECT_DOUBLE_EQ(p.m_frp_lf.cx, 0.02);
}

TEST(MsgParseVision, BallAndFlagsFollowTheVisionBlock) {
    MsgParse p;
    p.Parse(Vision("(B (pol 3.03 -7.88 -9.55)) (G1R (pol 18.02 -5.28 0.69))"));
    ASSERT_TRUE(p.m_bThisCycleHaveSeeInfo);
    EXPECT_TRUE(p.m_PolBallPos.bCanSee);
    EXPECT_DOUBLE_EQ(p.m_PolBallPos.PolPos.Pz, -9.55);
    EXPECT_TRUE(p.m_PolFlagPos[F_G1R].bCanSee);
    EXPECT_FALSE(p.m_PolFlagPos[F_G1L].bCanSee);
    EXPECT_EQ(p.m_PolFlagPos[F_G1R].dTime, 1.0);

    p.Parse(kHead);  // no vision: everything stays as seen
    EXPECT_FALSE(p.m_bThisCycleHaveSeeInfo);
    EXPECT_TRUE(p.m_PolBallPos.bCanSee);
    EXPECT_TRUE(p.m_PolFlagPos[F_G1R].bCanSee);

    p.Parse(Vision("(F2L (pol 1 2 3))"));
    EXPECT_FALSE(p.m_PolBallPos.bCanSee);
    EXPECT_DOUBLE_EQ(p.m_PolBallPos.PolPos.Px, 3.03);
    EXPECT_FALSE(p.m_PolFlagPos[F_G1R].bCanSee);
    EXPECT_TRUE(p.m_PolFlagPos[F_F2L].bCanSee);

    p.Parse(kHead + "(See)");  // the server's vision with nothing in view
    EXPECT_TRUE(p.m_bThisCycleHaveSeeInfo);
    EXPECT_FALSE(p.m_PolFlagPos[F_F2L].bCanSee);
}

TEST(MsgParseVision, PlayerEntries) {
    MsgParse p;
    p.Parse(Vision("(P (team Other) (id 12) (head (pol 1 1 1))) "
                   "(P (team Corvane3D) (id 2) (head (pol 3.1 10.0 -5.0))) "
                   "(P (team Other) (id 5) (rfoot (pol 2 3 4)))"));
    const PlayerPosInfo& mate = p.m_vTeamMate[1];
    EXPECT_TRUE(mate.bValid);
    EXPECT_TRUE(mate.mHead.bCanSee);
    EXPECT_DOUBLE_EQ(mate.mHead.PolPos.Py, 10.0);
    EXPECT_FALSE(mate.mRFoot.bCanSee);  // listed after the next "(P (team": not ours
    EXPECT_FALSE(mate.mLLowerArm.bCanSee);
    EXPECT_TRUE(p.m_vOpponent[4].bValid);
    EXPECT_TRUE(p.m_vOpponent[4].mRFoot.bCanSee);
    EXPECT_FALSE(p.m_vOpponent[4].mHead.bCanSee);
    EXPECT_EQ(p.m_sOppTeamName, "Other");
    for (int i = 0; i < 11; ++i) {
        EXPECT_EQ(p.m_vTeamMate[i].bValid, i == 1) << i;
        EXPECT_EQ(p.m_vOpponent[i].bValid, i == 4) << i;
    }

    p.Parse(Vision("(B (pol 1 2 3))"));  // not reported any more
    EXPECT_FALSE(p.m_vTeamMate[1].bValid);
    EXPECT_FALSE(p.m_vOpponent[4].bValid);
}

TEST(MsgParseVision, ABrokenPlayerEntryEndsThere) {
    MsgParse p;
    p.Parse(Vision("(P (team Red) (head (pol 1 1 1))) (P (team Red) (id 3) (head (pol 2 2 2)))"));
    EXPECT_TRUE(p.m_vOpponent[2].bValid);  // the first entry has no id of its own
    EXPECT_DOUBLE_EQ(p.m_vOpponent[2].mHead.PolPos.Px, 2.0);
    for (int i = 0; i < 11; ++i) EXPECT_EQ(p.m_vOpponent[i].bValid, i == 2) << i;

    // Numbers that run on into the next entry are not this part's: the entry ends.
    p.Parse(Vision("(P (team Red) (id 4) (head (pol 1 2 3)) (rlowerarm (pol 9)) (lfoot x)) "
                   "(P (team Red) (id 5) (head (pol 7 8 9)))"));
    const PlayerPosInfo& r = p.m_vOpponent[3];
    EXPECT_TRUE(r.bValid);
    EXPECT_TRUE(r.mHead.bCanSee);
    EXPECT_FALSE(r.mRLowerArm.bCanSee);
    EXPECT_EQ(r.mRLowerArm.PolPos.Px, 0.0);
    EXPECT_FALSE(r.mLFoot.bCanSee);
    EXPECT_DOUBLE_EQ(p.m_vOpponent[4].mHead.PolPos.Px, 7.0);

    const std::string nan = "1" + std::string(400, '0');
    p.Parse(Vision("(P (team Red) (id " + nan + ") (head (pol 1 2 3))) (P (team Red) (id -1))"
                   " (P (team Red) (id " + std::string(400, '9') + "))"));
    for (int i = 0; i < 11; ++i) EXPECT_FALSE(p.m_vOpponent[i].bValid) << i;
}

TEST(MsgParseVision, LinesInOrderUpTo24) {
    MsgParse p;
    p.Parse(Vision(Lines(30)));
    EXPECT_EQ(SeenLines(p), 24);
    EXPECT_DOUBLE_EQ(p.m_vLine[23].mBegin.PolPos.Px, 24.5);
    EXPECT_DOUBLE_EQ(p.m_vLine[23].mEnd.PolPos.Pz, 23.0);
    EXPECT_TRUE(p.m_vLine[23].mEnd.bCanSee);

    p.Parse(Vision(Lines(10)));
    p.Parse(Vision(Lines(3)));
    EXPECT_EQ(SeenLines(p), 3);
    EXPECT_TRUE(p.m_vLine[2].bCanSee);
    EXPECT_FALSE(p.m_vLine[3].bCanSee);
    p.Parse(kHead + Lines(5));  // lines outside vision do not count
    EXPECT_EQ(SeenLines(p), 3);
    p.Parse(Vision("(B (pol 1 2 3))"));
    EXPECT_EQ(SeenLines(p), 0);

    // A line lacking its second end takes the next one written, and reading goes on
    // after it.
    p.Parse(Vision("(L (pol 1 2 3)) (L (pol 4 5 6) (pol 7 8 9)) (L (pol 1 1 1) (pol 2 2 2))"));
    EXPECT_EQ(SeenLines(p), 2);
    EXPECT_DOUBLE_EQ(p.m_vLine[0].mEnd.PolPos.Px, 4.0);
    EXPECT_DOUBLE_EQ(p.m_vLine[1].mBegin.PolPos.Px, 1.0);
}

TEST(MsgParseHearing, LastHeardWinsAndCopiesAreKept) {
    MsgParse p;
    p.Parse(kHead + "(hear Red 0.40 -6.10 opp2)(hear Blue 0.42 self hello)");
    EXPECT_TRUE(p.m_HearMsg.bValid);
    EXPECT_TRUE(p.m_HearMsg.bIsHeardFromSelf);
    EXPECT_EQ(p.m_HearMsg.sMsg, "hello");
    EXPECT_DOUBLE_EQ(p.m_HearMsg.dHeardTime, 0.42);
    EXPECT_EQ(p.m_HearSelfMessage.sMsg, "hello");
    EXPECT_EQ(p.m_HearMessage[0].sMsg, "opp2");
    EXPECT_DOUBLE_EQ(p.m_HearMessage[0].dDirection, -6.10);
    EXPECT_FALSE(p.m_HearMessage[0].bIsHeardFromSelf);

    std::string five;
    for (int i = 0; i < 5; ++i) five += "(hear Red 1.00 " + std::to_string(i) + " m" + std::to_string(i) + ")";
    p.Parse(kHead + five);
    EXPECT_EQ(p.m_HearMsg.sMsg, "m4");
    EXPECT_EQ(p.m_HearMessage[3].sMsg, "m3");  // only four copies per message
    EXPECT_EQ(p.m_HearSelfMessage.sMsg, "hello");

    p.Parse(kHead);
    EXPECT_FALSE(p.m_HearMsg.bValid);
}

// Say-texts and team names come from other players: words placed there must not be
// taken for parts of the message.
TEST(MsgParseHostile, PlantedWordsAreNotAnchors) {
    MsgParse p;
    p.Parse(kHead + "(HJ (n rlj6) (ax 3.00))");
    p.Parse(kHead + "(hear hj1 0.40 -20.00 See)(hear Red 0.44 5 rlj6)(hear unum 0.5 1 team)"
                    "(HJ (n hj1) (ax 11.00))(HJ (n rlj6) (ax 12.00))");
    EXPECT_FALSE(p.m_bThisCycleHaveSeeInfo);
    EXPECT_EQ(p.m_HJ[JID_HEAD_1].fAngle, 11.0);
    EXPECT_EQ(p.m_HJ[JID_RLEG_6].fAngle, 12.0);
    EXPECT_EQ(p.m_HearMessage[0].sMsg, "See");
    EXPECT_EQ(p.m_HearMessage[1].sMsg, "rlj6");
    EXPECT_EQ(p.m_iUnum, 0);

    // Teams named "right" and "hear" in view before our number is known.
    p.Parse(Vision("(P (team right) (id 3) (head (pol 1 2 3))) (P (team hear) (id 4))"));
    EXPECT_TRUE(p.m_bIsLeft);
    EXPECT_FALSE(p.m_HearMsg.bValid);
    EXPECT_TRUE(p.m_vOpponent[2].bValid);
    EXPECT_TRUE(p.m_vOpponent[3].bValid);
}

TEST(MsgParseHostile, AnchorsWithoutTheirContentsEndQuickly) {
    std::string junk;
    for (int i = 0; i < 300; ++i)
        junk += "(hear (L (pol (P (team (P (team x (id (head (FRP (n lf) (c (n hj1) (ax (unum (B (pol ";
    MsgParse p;
    p.Parse(kHead + "(See " + junk);
    EXPECT_EQ(SeenLines(p), 0);
    EXPECT_FALSE(p.m_HearMsg.bValid);
    EXPECT_FALSE(p.m_frp_lf.bValid);
    EXPECT_EQ(p.m_iUnum, 0);
    p.Parse(junk + " 5)");  // one number at the very end, reachable from every anchor
    EXPECT_EQ(p.m_HJ[JID_HEAD_1].fAngle, 5.0);
    p.Parse("");
    p.Parse("(((((");
    p.Parse(std::string(1000, ' '));
}
