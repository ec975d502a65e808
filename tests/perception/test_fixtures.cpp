// Messages recorded from the real server (CORVANE_FIXTURES_DIR): a few read by hand,
// and every one checked against what its text plainly carries.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "perception/msgparse.h"

namespace {

const char* const kSessions[] = {"session_single.txt", "session_players.txt",
                                 "session_fall_back.txt", "session_hear.txt"};

std::vector<std::string> ReadSession(const std::string& file) {
    std::ifstream in(std::string(CORVANE_FIXTURES_DIR) + "/" + file);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Parses a session up to and including the given line (1-based), as the agent would.
MsgParse ParseUpTo(const std::string& file, size_t line) {
    MsgParse p;
    p.m_sTeamName = "Blue";
    const std::vector<std::string> lines = ReadSession(file);
    for (size_t i = 0; i < line && i < lines.size(); ++i) p.Parse(lines[i]);
    return p;
}

void ExpectPolar(const PolPosInfo& seen, double d, double h, double v) {
    EXPECT_TRUE(seen.bCanSee);
    EXPECT_NEAR(seen.PolPos.Px, d, 1e-9);
    EXPECT_NEAR(seen.PolPos.Py, h, 1e-9);
    EXPECT_NEAR(seen.PolPos.Pz, v, 1e-9);
}

size_t Count(const std::string& s, const std::string& what) {
    size_t n = 0;
    for (size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + 1)) ++n;
    return n;
}

// The number written right after `key` in the text, read with the C library.
double NumberAfter(const std::string& s, const std::string& key) {
    const size_t at = s.find(key);
    return at == std::string::npos ? -999.0 : std::strtod(s.c_str() + at + key.size(), nullptr);
}

}  // namespace

TEST(RecordedMessages, NumberSideAndSensorsOfTheFirstGameStateWithUnum) {
    const MsgParse p = ParseUpTo("session_single.txt", 3);
    EXPECT_NEAR(p.m_dServerTime, 3.84, 1e-9);
    EXPECT_EQ(p.m_iUnum, 2);
    EXPECT_TRUE(p.m_bIsLeft);
    EXPECT_EQ(p.m_dGameTime, 0.0);
    EXPECT_EQ(p.m_sPlayMode, "BeforeKickOff");
    EXPECT_EQ(p.m_Gyro.sName, "torso");
    EXPECT_EQ(p.m_Acc.sName, "torso");
    EXPECT_NEAR(p.m_Acc.dz, 29.42, 1e-9);
    EXPECT_NEAR(p.m_Acc.dTime, 3.84, 1e-9);
    EXPECT_FALSE(p.m_bThisCycleHaveSeeInfo);
    EXPECT_FALSE(p.m_frp_lf.bValid);
    EXPECT_FALSE(p.m_HearMsg.bValid);
}

TEST(RecordedMessages, VisionOfAStandingPlayer) {
    const MsgParse p = ParseUpTo("session_single.txt", 4);
    ASSERT_TRUE(p.m_bThisCycleHaveSeeInfo);
    ExpectPolar(p.m_PolFlagPos[F_G2R], 30.92, -19.40, 0.69);
    ExpectPolar(p.m_PolFlagPos[F_G1R], 30.30, -15.49, 0.39);
    ExpectPolar(p.m_PolFlagPos[F_F1R], 29.22, 1.65, -0.93);
    ExpectPolar(p.m_PolFlagPos[F_F2R], 34.98, -33.36, -0.99);
    for (Flag_ID f : {F_F1L, F_G1L, F_G2L, F_F2L}) EXPECT_FALSE(p.m_PolFlagPos[f].bCanSee);
    ExpectPolar(p.m_PolBallPos, 16.95, -32.83, -1.66);
    EXPECT_NEAR(p.m_PolBallPos.dTime, 3.86, 1e-9);
    // Its own lower arms come as a player entry with its own team and number.
    const PlayerPosInfo& self = p.m_vTeamMate[1];
    EXPECT_TRUE(self.bValid);
    EXPECT_FALSE(self.mHead.bCanSee);
    ExpectPolar(self.mRLowerArm, 0.19, -36.74, -22.31);
    ExpectPolar(self.mLLowerArm, 0.18, 34.01, -23.10);
    EXPECT_FALSE(self.mRFoot.bCanSee);
    EXPECT_FALSE(self.mLFoot.bCanSee);
    EXPECT_EQ(p.m_sOppTeamName, "UNKNOWTEAM");
    for (int i = 0; i < 17; ++i) EXPECT_TRUE(p.m_vLine[i].bCanSee) << i;
    for (int i = 17; i < 24; ++i) EXPECT_FALSE(p.m_vLine[i].bCanSee) << i;
    ExpectPolar(p.m_vLine[0].mBegin, 23.87, -53.49, -1.39);
    ExpectPolar(p.m_vLine[0].mEnd, 14.22, 3.20, -2.00);
    ExpectPolar(p.m_vLine[16].mBegin, 18.92, -33.30, -1.77);
    ExpectPolar(p.m_vLine[16].mEnd, 18.62, -29.89, -1.64);
}

TEST(RecordedMessages, TeamMateAndOpponentInView) {
    const MsgParse p = ParseUpTo("session_players.txt", 100);
    EXPECT_NEAR(p.m_dServerTime, 5.80, 1e-9);
    ExpectPolar(p.m_PolBallPos, 3.03, -7.88, -9.55);
    const PlayerPosInfo& mate = p.m_vTeamMate[2];
    EXPECT_TRUE(mate.bValid);
    ExpectPolar(mate.mHead, 2.19, 19.04, 1.01);
    ExpectPolar(mate.mRLowerArm, 2.06, 22.56, -1.17);
    ExpectPolar(mate.mLLowerArm, 1.99, 17.53, -1.21);
    ExpectPolar(mate.mRFoot, 2.24, 20.38, -13.61);
    ExpectPolar(mate.mLFoot, 2.21, 17.53, -13.91);
    const PlayerPosInfo& opp = p.m_vOpponent[1];
    EXPECT_TRUE(opp.bValid);
    ExpectPolar(opp.mHead, 4.48, -15.15, 0.06);
    ExpectPolar(opp.mLFoot, 4.50, -15.66, -6.72);
    EXPECT_EQ(p.m_sOppTeamName, "Red");
    EXPECT_TRUE(p.m_frp_rf.bValid);
    EXPECT_NEAR(p.m_frp_rf.cy, -0.01, 1e-9);
    EXPECT_NEAR(p.m_frp_rf.dz, 22.59, 1e-9);
}

TEST(RecordedMessages, FallingOnTheBack) {
    const MsgParse p = ParseUpTo("session_fall_back.txt", 178);
    EXPECT_NEAR(p.m_dGameTime, 2.60, 1e-9);
    EXPECT_EQ(p.m_sPlayMode, "PlayOn");
    EXPECT_NEAR(p.m_Gyro.dx, 305.37, 1e-9);
    EXPECT_NEAR(p.m_Acc.dy, 0.29, 1e-9);
    EXPECT_NEAR(p.m_Acc.dz, 24.97, 1e-9);
    EXPECT_NEAR(p.m_HJ[JID_RLEG_3].fAngle, -28.62, 1e-9);
    EXPECT_NEAR(p.m_HJ[JID_LLEG_3].fAngle, -28.62, 1e-9);
    EXPECT_FALSE(p.m_PolBallPos.bCanSee);
    ExpectPolar(p.m_PolFlagPos[F_F2R], 20.86, -55.07, -43.32);
    for (const FRPInfo* foot : {&p.m_frp_lf, &p.m_frp_rf}) {
        EXPECT_TRUE(foot->bValid);
        EXPECT_NEAR(foot->cy, -0.08, 1e-9);
        EXPECT_NEAR(foot->dy, 19.92, 1e-9);
        EXPECT_NEAR(foot->dz, -10.80, 1e-9);
    }
    EXPECT_NEAR(p.m_frp_lf.cx, 0.0, 1e-12);
}

TEST(RecordedMessages, HeardOwnAndOthersTexts) {
    MsgParse p = ParseUpTo("session_hear.txt", 90);
    EXPECT_TRUE(p.m_HearMsg.bValid);
    EXPECT_FALSE(p.m_HearMsg.bIsHeardFromSelf);
    EXPECT_EQ(p.m_HearMsg.sMsg, "mate3");
    EXPECT_NEAR(p.m_HearMsg.dDirection, 26.35, 1e-9);
    EXPECT_EQ(p.m_HearSelfMessage.sMsg, "hello");  // from line 54
    p = ParseUpTo("session_hear.txt", 204);
    EXPECT_TRUE(p.m_HearMsg.bIsHeardFromSelf);
    EXPECT_EQ(p.m_HearMsg.sMsg, "x+y=z;!?#*");
    p = ParseUpTo("session_hear.txt", 354);
    EXPECT_EQ(p.m_HearMsg.sMsg, "12345678901234567890");
    EXPECT_NEAR(p.m_HearMsg.dHeardTime, 1.68, 1e-9);
}

// Every recorded message, parsed in order as the agent would.
TEST(RecordedMessages, EveryMessageAgreesWithItsText) {
    for (const char* session : kSessions) {
        MsgParse p;
        p.m_sTeamName = "Blue";
        size_t n = 0;
        for (const std::string& m : ReadSession(session)) {
            ++n;
            SCOPED_TRACE(std::string(session) + ":" + std::to_string(n));
            p.Parse(m);
            EXPECT_NEAR(p.m_dServerTime, NumberAfter(m, "(now "), 1e-9);
            for (int j = 0; j < kJointCount; ++j) {
                const std::string key = "(n " + p.m_HJ[j].sPerceptorName + ") (ax ";
                ASSERT_NE(m.find(key), std::string::npos) << j;
                EXPECT_EQ(p.m_HJ[j].ID, j);
                EXPECT_NEAR(p.m_HJ[j].fAngle, NumberAfter(m, key), 1e-9) << j;
            }
            EXPECT_EQ(p.m_frp_lf.bValid, m.find("(FRP (n lf)") != std::string::npos);
            EXPECT_EQ(p.m_frp_rf.bValid, m.find("(FRP (n rf)") != std::string::npos);
            EXPECT_EQ(p.m_HearMsg.bValid, m.find("(hear ") != std::string::npos);
            const bool vision = m.find("(See ") != std::string::npos;
            ASSERT_EQ(p.m_bThisCycleHaveSeeInfo, vision);
            if (!vision) continue;
            EXPECT_EQ(p.m_PolBallPos.bCanSee, m.find("(B (pol ") != std::string::npos);
            const char* flags[] = {"F1L", "G1L", "G2L", "F2L", "F1R", "G1R", "G2R", "F2R"};
            for (int f = 0; f < kFlagCount; ++f)
                EXPECT_EQ(p.m_PolFlagPos[f].bCanSee,
                          m.find(std::string("(") + flags[f] + " (pol ") != std::string::npos);
            const size_t lines = Count(m, "(L (pol ");
            for (size_t i = 0; i < 24; ++i) EXPECT_EQ(p.m_vLine[i].bCanSee, i < lines) << i;
            for (int i = 0; i < 11; ++i) {
                const std::string id = "(id " + std::to_string(i + 1) + ")";
                EXPECT_EQ(p.m_vTeamMate[i].bValid, m.find("(team Blue) " + id) != std::string::npos);
                EXPECT_EQ(p.m_vOpponent[i].bValid, m.find("(team Red) " + id) != std::string::npos);
            }
        }
        EXPECT_EQ(p.m_iUnum, 2);
        EXPECT_TRUE(p.m_bIsLeft);
    }
}
