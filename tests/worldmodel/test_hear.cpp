// Team messages: codes, the goalkeeper payload and reception of both formats.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "behaviour/decision.h"
#include "perception/msgparse.h"
#include "runtime/corvane.h"
#include "worldmodel/worldmodel.h"

namespace {

std::string Bytes(u_16 code) {
    return std::string{static_cast<char>(code & 0xFF), static_cast<char>(code >> 8)};
}

TEST(TeamMessageCodes, DistanceBytes) {
    EXPECT_EQ(Bytes(WorldModel::EncoderdDistGK(3.27)), "E0");
    EXPECT_EQ(Bytes(WorldModel::EncoderdDistGK(3.75)), "C1");
    EXPECT_EQ(Bytes(WorldModel::EncoderdDistGK(0)), "**");
    EXPECT_EQ(Bytes(WorldModel::EncoderdDistGK(25)), "*\\");
    EXPECT_EQ(Bytes(WorldModel::EncoderdDistGK(25.01)), "*^");
    EXPECT_EQ(WorldModel::DecoderdDistGK(WorldModel::EncoderdDistGK(25.01)), 26);
    EXPECT_EQ(WorldModel::EncoderdDistGK(-0.01), 24106);
}

TEST(TeamMessageCodes, NonFiniteValuesGetTheOutOfRangeCode) {
    const double inf = std::numeric_limits<double>::infinity();
    for (double v : {std::nan(""), inf, -inf}) {
        EXPECT_EQ(WorldModel::EncoderdDistGK(v), 24106);
        EXPECT_EQ(WorldModel::EncoderdAngleGK(v), 24106);
    }
    EXPECT_EQ(WorldModel::EncoderdAngleGK(1e300), WorldModel::EncoderdAngleGK(std::fmod(1e300, 360.0)));
}

TEST(TeamMessageCodes, EveryDistanceRoundTripsToTheHundredth) {
    for (int k = 0; k <= 2500; ++k) {
        const double d = k / 100.0;
        const u_16 code = WorldModel::EncoderdDistGK(d);
        ASSERT_NEAR(WorldModel::DecoderdDistGK(code), d, 1e-9) << d;
        for (int b : {code & 0xFF, code >> 8}) {
            ASSERT_GE(b, 42) << d;
            ASSERT_LE(b, 94) << d;
        }
    }
}

TEST(TeamMessageCodes, AnglesRoundTripExceptTheNegativeBandBelowZero) {
    EXPECT_EQ(Bytes(WorldModel::EncoderdAngleGK(45)), "*3");
    EXPECT_DOUBLE_EQ(WorldModel::DecoderdAngleGK(WorldModel::EncoderdAngleGK(45)), 45);
    EXPECT_DOUBLE_EQ(WorldModel::DecoderdAngleGK(WorldModel::EncoderdAngleGK(-90)), -100);
    EXPECT_NEAR(WorldModel::DecoderdAngleGK(WorldModel::EncoderdAngleGK(-170)), -170, 1e-9);
    for (int k = -1800; k <= 1800; ++k) {
        const double a = k / 10.0;
        const double got = WorldModel::DecoderdAngleGK(WorldModel::EncoderdAngleGK(a));
        if (a > -110 && a < 0) {
            ASSERT_DOUBLE_EQ(got, -100) << a;
        } else if (k == -1800) {
            ASSERT_NEAR(got, 180, 1e-9);
        } else {
            ASSERT_NEAR(got, a, 1e-9) << a;
        }
    }
}

TEST(TeamMessageCodes, PositionsRoundTripWithTwoDecimals) {
    for (const Vector& v : {Vector(0, 0, 0), Vector(-14.37, 9.99, 0), Vector(3.81, -0.84, 0),
                            Vector(-0.05, 15, 0)}) {
        const Vector got = WorldModel::DecoderVector(WorldModel::EncoderVector(v));
        EXPECT_NEAR(got.Vx, v.Vx, 1e-9);
        EXPECT_NEAR(got.Vy, v.Vy, 1e-9);
        EXPECT_EQ(got.Vz, 0);
    }
    // Hundredths 82 would be byte 127; it travels as 128 and reads back as 0.83.
    EXPECT_EQ(WorldModel::EncoderVector(Vector(1.82, 2, 0)) >> 16 & 0xFF, 128u);
    EXPECT_NEAR(WorldModel::DecoderVector(WorldModel::EncoderVector(Vector(1.82, 2, 0))).Vx, 1.83, 1e-9);
    EXPECT_EQ(WorldModel::EncoderVector(Vector(std::nan(""), 0, 0)), 0xFFFFFFFFu);
}

class HearTest : public ::testing::Test {
protected:
    void SetUp() override {
        SenseParse = MsgParse();
        decision.CoolDown = 0;
    }
    void TearDown() override { SenseParse = MsgParse(); }

    void Hear(const std::string& text, bool fromSelf = false) {
        SenseParse.m_HearMsg.sMsg = text;
        SenseParse.m_HearMsg.bValid = true;
        SenseParse.m_HearMsg.bIsHeardFromSelf = fromSelf;
        model.UpdateHearMsg();
    }
    void Rank(int k, int num, bool fall, double dist, double angle) {
        keeper.m_NearestTeamMateInfo[k] = PlayerInfoGK{num, fall, dist, angle};
    }

    WorldModel model;
    WorldModel keeper;
};

TEST_F(HearTest, KeeperRankingTravelsToTheFieldPlayers) {
    Rank(0, 7, false, 1.25, 30);
    Rank(1, 3, true, 4.5, -150);
    Rank(2, 9, false, 0, 180);
    Rank(3, 2, false, 12.34, -60);
    keeper.m_FallState = FALL_DOWN;
    const std::string payload = keeper._GenerateSayInformationGK();
    ASSERT_EQ(payload.size(), 20u);
    Hear(payload);
    const PlayerHearInfoGK& h = model.HearInfoGK;
    EXPECT_TRUE(h.bFallStateGK);
    EXPECT_EQ(h.Player1Info.iNum, 7);
    EXPECT_NEAR(h.Player1Info.dDistToBall, 1.25, 1e-9);
    EXPECT_NEAR(h.Player1Info.dAngleToBall, 30, 1e-9);
    EXPECT_EQ(h.Player2Info.iNum, 3);
    EXPECT_TRUE(h.Player2Info.bFall);
    EXPECT_NEAR(h.Player2Info.dAngleToBall, -150, 1e-9);
    EXPECT_EQ(h.Player3Info.iNum, 9);
    EXPECT_EQ(h.Player4Info.iNum, 2);
    EXPECT_NEAR(h.Player4Info.dAngleToBall, -100, 1e-9);  // inside the lossy band
}

TEST_F(HearTest, NumberTenInTheRankingClearsAllNumbers) {
    Rank(0, 4, false, 2, 10);
    Rank(1, 10, false, 3, 20);
    Rank(2, 5, false, 4, 30);
    Rank(3, 6, false, 5, 40);
    Hear(keeper._GenerateSayInformationGK());
    const PlayerHearInfoGK& h = model.HearInfoGK;
    EXPECT_EQ(h.Player1Info.iNum + h.Player2Info.iNum + h.Player3Info.iNum + h.Player4Info.iNum, 0);
    EXPECT_NEAR(h.Player1Info.dDistToBall, 2, 1e-9);  // the rest is kept
    Rank(1, 3, false, 25.5, 20);  // distance beyond range: 26 on reception
    Hear(keeper._GenerateSayInformationGK());
    EXPECT_EQ(model.HearInfoGK.Player1Info.iNum, 0);
}

TEST_F(HearTest, PayloadBytesAreAlwaysSafeText) {
    std::mt19937 rng(7);
    const double specials[] = {std::nan(""), std::numeric_limits<double>::infinity(),
                               -std::numeric_limits<double>::infinity(), -1e9, 1e9, -0.001, 25.004};
    std::uniform_real_distribution<double> any(-400, 400);
    std::uniform_int_distribution<int> pick(0, 9), num(0, 11), coin(0, 1);
    for (int round = 0; round < 5000; ++round) {
        for (int k = 0; k < 4; ++k) {
            const double d = pick(rng) < 7 ? any(rng) / 10 : specials[pick(rng) % 7];
            const double a = pick(rng) < 7 ? any(rng) : specials[pick(rng) % 7];
            Rank(k, num(rng), coin(rng), d, a);
        }
        keeper.m_FallState = coin(rng) ? FALL_UP : FALL_NONE;
        const std::string payload = keeper._GenerateSayInformationGK();
        ASSERT_EQ(payload.size(), 20u);
        for (char c : payload) {
            const int b = static_cast<u_8>(c);
            ASSERT_GE(b, 42);
            ASSERT_LE(b, 123);
        }
        ASSERT_TRUE(WorldModel::IsHeardMsgValidGK(payload));
    }
}

std::string FieldPayload(u_8 from, u_8 change, u_8 state, u_8 unums) {
    std::string s(20, static_cast<char>(0xFF));
    s[0] = static_cast<char>(0xB0 | from);
    s[1] = static_cast<char>(change);
    s[2] = static_cast<char>(state);
    s[3] = static_cast<char>(unums);
    return s;
}

TEST_F(HearTest, FieldPlayerMessageWithUnknownPositions) {
    Hear(FieldPayload(6, 0xC4 | 2 << 4, 0x80 | 0x01 | 0x04, 0x80 | 0x23));
    const PlayerHearInfo& h = model.HearInfo;
    EXPECT_EQ(h.iHearFrom, 6);
    EXPECT_TRUE(h.State.bCanSeeTheBall);
    EXPECT_FALSE(h.State.bKnowSelfPos);
    EXPECT_TRUE(h.State.bIsFallDown);
    EXPECT_EQ(h.vPos, Vector());
    EXPECT_EQ(h.vBallPos, Vector());
    EXPECT_FALSE(h.PlayerPos1.bCanSee);
    EXPECT_FALSE(h.PlayerPos2.bCanSee);
    EXPECT_EQ(h.PlayerPos1.iUnum, -1);
    EXPECT_EQ(model.iTeamMatesCmdUnum[5], 2);
}

TEST_F(HearTest, FieldPlayerPositionsDecode) {
    std::string s = FieldPayload(4, 0xC4, 0x83, 0x80);
    const u_32 codes[4] = {WorldModel::EncoderVector(Vector(-3.5, 1.25, 0)),
                           WorldModel::EncoderVector(Vector(0.4, -0.3, 0)), 0xFFFFFFFFu,
                           WorldModel::EncoderVector(Vector(7, -7, 0))};
    for (int f = 0; f < 4; ++f)
        for (int b = 0; b < 4; ++b) s[4 + 4 * f + b] = static_cast<char>(codes[f] >> (8 * b) & 0xFF);
    Hear(s);
    const PlayerHearInfo& h = model.HearInfo;
    EXPECT_NEAR(h.vPos.Vx, -3.5, 1e-9);
    EXPECT_NEAR(h.vPos.Vy, 1.25, 1e-9);
    EXPECT_NEAR(h.vBallPos.Vy, -0.3, 1e-9);
    EXPECT_FALSE(h.PlayerPos1.bCanSee);
    EXPECT_TRUE(h.PlayerPos2.bCanSee);
    EXPECT_NEAR(h.PlayerPos2.vPos.Vx, 7, 1e-9);
}

TEST_F(HearTest, OwnOrShortOrForeignMessagesChangeNothing) {
    Rank(0, 5, false, 1, 0);
    const std::string payload = keeper._GenerateSayInformationGK();
    Hear(payload, true);
    EXPECT_EQ(model.HearInfoGK.Player1Info.iNum, 0);
    Hear(payload.substr(0, 19));
    EXPECT_EQ(model.HearInfoGK.Player1Info.iNum, 0);
    Hear("hello there, team!!!");  // 20 bytes, neither format
    EXPECT_EQ(model.HearInfoGK.Player1Info.iNum, 0);
    EXPECT_EQ(model.HearInfo.iHearFrom, 0);
    SenseParse.m_HearMsg.bValid = false;
    SenseParse.m_HearMsg.sMsg = payload;
    model.UpdateHearMsg();
    EXPECT_EQ(model.HearInfoGK.Player1Info.iNum, 0);
}

TEST_F(HearTest, CommandHandOverGoesToTheNamedPlayerOnly) {
    model.m_iUnum = 8;
    model.m_iCmdUnum = 3;
    Hear(FieldPayload(5, 0xC4 | 1 << 4 | 0x08 | 2, 0x80, 0x80));  // to number 2: not us
    EXPECT_EQ(model.m_iCmdUnum, 3);
    EXPECT_EQ(decision.CoolDown, 0);
    EXPECT_EQ(model.iTeamMatesCmdUnum[4], 1);
    EXPECT_EQ(model.iTeamMatesCmdUnum[7], 3);
    Hear(FieldPayload(5, 0xC4 | 1 << 4 | 0x08 | 3, 0x80, 0x80));
    EXPECT_EQ(model.m_iCmdUnum, 1);
    EXPECT_EQ(decision.CoolDown, 500);
}

TEST_F(HearTest, CommandNumbersNeverWriteOutsideTheTable) {
    WorldModel before = model;
    for (int sender : {0, 12, 13, 15}) {
        Hear(FieldPayload(static_cast<u_8>(sender), 0xC4 | 3 << 4, 0x80, 0x80));
        EXPECT_EQ(model.HearInfo.iHearFrom, sender);
    }
    model.ParseChangeInfo(0xF4, -4);
    model.ParseChangeInfo(0xF4, 11);
    for (int k = 0; k < 10; ++k) EXPECT_EQ(model.iTeamMatesCmdUnum[k], before.iTeamMatesCmdUnum[k]) << k;
    EXPECT_EQ(model.iTeamMatesCmdUnum[10], 3);
    EXPECT_EQ(model.m_iCmdUnum, 0);  // own number unknown: nothing written for it
}

}  // namespace
