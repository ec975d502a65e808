// Ball, opponent and team-mate tracking, the per-player summaries and the ranking of who
// goes to the ball.
#include <gtest/gtest.h>

#include <cmath>

#include "perception/msgparse.h"
#include "runtime/corvane.h"
#include "support/vision_render.h"
#include "worldmodel/worldmodel.h"

namespace {

using simkit::SeenPlayer;
using simkit::ViewPose;
using simkit::VisionScene;

constexpr double kCameraZ = 0.54;

class TrackingTest : public ::testing::Test {
protected:
    void SetUp() override {
        SenseParse = MsgParse();
        SenseParse.m_sTeamName = "Blue";
        model.m_iUnum = 5;
        model.m_bIsLeft = true;
        model.InitFlagPos();
        Stand(0, 0, 0);
    }
    void TearDown() override { SenseParse = MsgParse(); }

    // Places this robot; the world model is told its exact pose.
    void Stand(double x, double y, double bodyDeg, double yawDeg = 0) {
        pose = ViewPose();
        pose.x = x;
        pose.y = y;
        pose.cameraZ = kCameraZ;
        pose.bodyDeg = bodyDeg;
        pose.headYawDeg = yawDeg;
        model.m_vSelfPos = Vector(x, y, kCameraZ);
        model.m_dFaceAng = bodyDeg + yawDeg;
        model.m_dBodyAng = bodyDeg;
        model.m_HJ[JID_HEAD_1].fAngle = yawDeg;
        model.m_HJ[JID_HEAD_2].fAngle = 0;
    }
    void Look() { simkit::FillSightings(pose, scene, SenseParse); }

    WorldModel model;
    ViewPose pose;
    VisionScene scene;
};

// ---- players

TEST_F(TrackingTest, SeenPlayersArePlacedFromTheirBodyParts) {
    scene.players = {simkit::StandingPlayer("Blue", 3, 4, 1, 90),
                     simkit::StandingPlayer("Red", 7, 6, -2, 180)};
    Look();
    model.UpdatePlayerPos();
    const PlayerPosInfo& mate = model.m_vTeamMate[2];
    const PlayerPosInfo& opp = model.m_vOpponent[6];
    ASSERT_TRUE(mate.bValid);
    ASSERT_TRUE(opp.bValid);
    // The mean of the parts' sightings, not of their positions: within a few centimetres.
    EXPECT_NEAR(mate.vAveragePos.Vx, 4, 0.05);
    EXPECT_NEAR(mate.vAveragePos.Vy, 1, 0.05);
    EXPECT_NEAR(opp.vAveragePos.Vx, 6, 0.05);
    EXPECT_NEAR(opp.vAveragePos.Vy, -2, 0.05);
    EXPECT_TRUE(mate.mHead.bCanSee);
    EXPECT_FALSE(model.m_vTeamMate[3].bValid);
}

TEST_F(TrackingTest, UnseenPlayersStayKnownOnlyOutsideTheViewCone) {
    const double rad = kGeometryPi / 180;
    PlayerPosInfo* mates = model.m_vTeamMate;
    mates[0].bValid = mates[1].bValid = mates[2].bValid = true;
    mates[0].vAveragePos = Vector(5, 0, 0);                                 // straight ahead
    mates[1].vAveragePos = Vector(5 * std::cos(58.9 * rad), 5 * std::sin(58.9 * rad), 0);
    mates[2].vAveragePos = Vector(5 * std::cos(70 * rad), -5 * std::sin(70 * rad), 0);
    SenseParse.m_bThisCycleHaveSeeInfo = false;  // no vision this message: nothing changes
    model.UpdatePlayerPos();
    EXPECT_TRUE(mates[2].bValid);
    SenseParse.m_bThisCycleHaveSeeInfo = true;
    model.UpdatePlayerPos();
    EXPECT_TRUE(mates[0].bValid);
    EXPECT_TRUE(mates[1].bValid);
    EXPECT_FALSE(mates[2].bValid);
    EXPECT_EQ(mates[0].vAveragePos, Vector(5, 0, 0));
}

TEST_F(TrackingTest, PlayerReportedWithoutAnyPartKeepsItsEntry) {
    PlayerPosInfo& mate = model.m_vTeamMate[6];
    mate.bValid = true;
    mate.vAveragePos = Vector(2, 2, 0);
    mate.dTime = 3;
    SenseParse.m_bThisCycleHaveSeeInfo = true;
    SenseParse.m_vTeamMate[6].bValid = true;  // all five parts unseen
    SenseParse.m_vOpponent[2].bValid = true;
    SenseParse.m_dServerTime = 9;
    model.UpdatePlayerPos();
    EXPECT_TRUE(mate.bValid);
    EXPECT_EQ(mate.vAveragePos, Vector(2, 2, 0));
    EXPECT_EQ(mate.dTime, 3);
    EXPECT_FALSE(model.m_vOpponent[2].bValid);
    EXPECT_TRUE(std::isfinite(model.m_vOpponent[2].vAveragePos.Vx));
}

TEST_F(TrackingTest, OwnArmsSeenAsATeamMateDoNotMoveTheOwnEntry) {
    model.m_vTeamMate[4].bValid = true;
    model.m_vTeamMate[4].vAveragePos = model.m_vSelfPos;
    scene.players = {simkit::StandingPlayer("Blue", 5, 3, 3, 0)};
    Look();
    model.UpdatePlayerPos();
    EXPECT_EQ(model.m_vTeamMate[4].vAveragePos, model.m_vSelfPos);
}

// ---- ball

TEST_F(TrackingTest, BallIsPlacedOnTheGroundFromItsSighting) {
    Stand(-2, 1, 90, 20);
    SenseParse.m_PolBallPos.PolPos = Polar(2, -20, -15);
    model.UpdateBallPos();
    EXPECT_NEAR(model.m_vSeeBallPos.Vx, -2, 1e-6);
    EXPECT_NEAR(model.m_vSeeBallPos.Vy, 1 + std::sqrt(4 - 0.2116), 1e-6);
    EXPECT_EQ(model.m_vSeeBallPos.Vz, 0.042);
    EXPECT_DOUBLE_EQ(model.m_vBallPosKF.Vx, model.m_vSeeBallPos.Vx);  // seeded by the first
    EXPECT_DOUBLE_EQ(model.m_vBallPosKF.Vy, model.m_vSeeBallPos.Vy);
}

TEST_F(TrackingTest, BallUnderTheCameraLiesAtTheOwnPosition) {
    for (double d : {0.46, 0.3, 0.0}) {
        SenseParse.m_PolBallPos.PolPos = Polar(d, 30, -80);
        model.UpdateBallPos();
        EXPECT_NEAR(model.m_vSeeBallPos.Vx, 0, 1e-6) << d;
        EXPECT_NEAR(model.m_vSeeBallPos.Vy, 0, 1e-6) << d;
        EXPECT_TRUE(std::isfinite(model.m_vBallPosKF.Vx)) << d;
    }
}

TEST_F(TrackingTest, FilterFailureFallsBackAndReseeds) {
    model.m_vBallPos = Vector(1, 1, 0.042);
    model.m_vSelfPos = Vector(std::nan(""), 0, kCameraZ);
    SenseParse.m_PolBallPos.PolPos = Polar(2, 0, -10);
    model.UpdateBallPos();
    EXPECT_EQ(model.m_vBallPosKF, Vector(1, 1, 0.042));
    Stand(3, 0, 0);
    model.UpdateBallPos();
    EXPECT_DOUBLE_EQ(model.m_vBallPosKF.Vx, model.m_vSeeBallPos.Vx);  // a fresh seed
}

TEST_F(TrackingTest, UpdateAllKeepsTheBallOfThePreviousSighting) {
    SenseParse.m_iUnum = 5;
    SenseParse.m_PolBallPos.bCanSee = true;
    SenseParse.m_PolBallPos.PolPos = Polar(2, 0, -10);
    model.UpdateAll();
    const Vector first = model.m_vSeeBallPos;
    SenseParse.m_PolBallPos.PolPos = Polar(3, 0, -10);
    model.UpdateAll();
    EXPECT_EQ(model.m_vBallPos, first);
    SenseParse.m_PolBallPos.PolPos = Polar(std::numeric_limits<double>::infinity(), 0, -10);
    const Vector second = model.m_vSeeBallPos;
    model.UpdateAll();
    EXPECT_FALSE(model.m_bCanSeeBall);  // unusable numbers: not a sighting
    EXPECT_EQ(model.m_vSeeBallPos, second);
}

// ---- per-player summaries

TEST_F(TrackingTest, OwnSummaryUsesTheBodyDirection) {
    Stand(-1, -1, 30, 40);
    model.m_vBallPos = Vector(2, 3, 0.042);
    model.m_FallState = FALL_DOWN;
    model.UpdateTeamMateInfo();
    const PlayerInfoGK& me = model.m_TeamMateInfo[4];
    EXPECT_EQ(me.iNum, 5);
    EXPECT_NEAR(me.dDistToBall, (Vector(2, 3, 0.042) - model.m_vSelfPos).GetMod(), 1e-12);
    EXPECT_NEAR(me.dAngleToBall, Vector(3, 4, 0).GetXYAngle() - 30, 1e-9);
    EXPECT_TRUE(me.bFall);
    EXPECT_EQ(model.m_TeamMateInfo[0].iNum, 0);  // nobody else known
}

TEST_F(TrackingTest, KeeperMessageStandsInForMatesNotSeenRecently) {
    model.m_dServerTime = 10;
    model.HearInfoGK.Player1Info = PlayerInfoGK{7, true, 3.2, 40};
    model.HearInfoGK.Player2Info = PlayerInfoGK{8, false, 1.5, -20};
    model.HearInfoGK.Player3Info = PlayerInfoGK{9, false, 6.0, 10};
    PlayerPosInfo* mates = model.m_vTeamMate;
    mates[7].bValid = mates[8].bValid = true;
    mates[7].dTime = 9.3;  // 0.7 s ago: the keeper's word counts
    mates[8].dTime = 9.5;  // 0.5 s ago: own eyes count
    mates[7].vAveragePos = mates[8].vAveragePos = Vector(4, 0, 0);
    model.UpdateTeamMateInfo();
    const PlayerInfoGK* info = model.m_TeamMateInfo;
    EXPECT_EQ(info[6].iNum, 7);
    EXPECT_TRUE(info[6].bFall);
    EXPECT_EQ(info[6].dDistToBall, 3.2);
    EXPECT_EQ(info[7].iNum, 8 + 11);
    EXPECT_EQ(info[7].dAngleToBall, -20);
    EXPECT_EQ(info[8].iNum, 9);
    EXPECT_NEAR(info[8].dDistToBall, 4, 1e-12);  // ball at the origin
    model.UpdateNearestTeamMateInfo();
    EXPECT_EQ(model.m_TeamMateInfo[7].iNum, 8);  // the heard mark is gone after ranking

    model.HearInfoGK.bFallStateGK = true;  // a fallen keeper's ranking is ignored
    model.UpdateTeamMateInfo();
    EXPECT_EQ(model.m_TeamMateInfo[6].iNum, 0);
    EXPECT_EQ(model.m_TeamMateInfo[7].iNum, 8);
    model.HearInfoGK.bFallStateGK = false;
    model.m_iUnum = 1;  // the keeper itself trusts only its eyes
    model.UpdateTeamMateInfo();
    EXPECT_EQ(model.m_TeamMateInfo[6].iNum, 0);
    EXPECT_EQ(model.m_TeamMateInfo[7].iNum, 8);
}

// Mate 3 at (3, 0) facing 30 degrees, seen with the given parts; ball at (3, 4).
class MateSummaryTest : public TrackingTest {
protected:
    const PlayerInfoGK& Summarise(const SeenPlayer& seen) {
        scene.players = {seen};
        Look();
        model.m_vTeamMate[2].bValid = true;
        model.m_vTeamMate[2].vAveragePos = Vector(3, 0, 0.3);
        model.m_vBallPos = Vector(3, 4, 0.042);
        model.UpdateTeamMateInfo();
        return model.m_TeamMateInfo[2];
    }
    SeenPlayer Parts(bool head, bool la, bool ra, bool lf, bool rf) const {
        SeenPlayer all = simkit::StandingPlayer("Blue", 3, 3, 0, 30);
        SeenPlayer p;
        p.team = all.team;
        p.id = all.id;
        if (head) p.head = all.head;
        if (la) p.llowerarm = all.llowerarm;
        if (ra) p.rlowerarm = all.rlowerarm;
        if (lf) p.lfoot = all.lfoot;
        if (rf) p.rfoot = all.rfoot;
        return p;
    }
};

TEST_F(MateSummaryTest, BodyDirectionFromAnyUsablePairOfParts) {
    const double expected = 90 - 30;  // ball straight to the mate's left of its facing
    struct Case {
        bool head, la, ra, lf, rf;
    } cases[] = {{false, true, false, false, true},  {false, true, true, false, false},
                 {false, false, false, true, true},  {true, false, true, false, true},
                 {true, true, false, true, false},   {true, false, true, false, false},
                 {true, false, false, false, true},  {true, true, false, false, false},
                 {true, false, false, true, false}};
    for (const Case& c : cases) {
        const PlayerInfoGK& info = Summarise(Parts(c.head, c.la, c.ra, c.lf, c.rf));
        EXPECT_EQ(info.iNum, 3);
        EXPECT_NEAR(info.dAngleToBall, expected, 0.5)
            << c.head << c.la << c.ra << c.lf << c.rf;
        EXPECT_FALSE(info.bFall);
    }
    EXPECT_NEAR(Summarise(Parts(true, false, false, false, false)).dAngleToBall, 90, 1e-6);
}

TEST_F(MateSummaryTest, RightArmWithLeftFootKeepsTheLastAngle) {
    Summarise(Parts(false, true, true, false, false));
    const double before = model.m_TeamMateInfo[2].dAngleToBall;
    model.m_vBallPos = Vector(3, -4, 0.042);
    const PlayerInfoGK& info = Summarise(Parts(true, true, true, true, true));
    EXPECT_EQ(info.dAngleToBall, before);
    EXPECT_FALSE(info.bFall);
}

TEST_F(MateSummaryTest, LyingMateIsFlaggedFallen) {
    const PlayerInfoGK& info = Summarise(simkit::LyingPlayer("Blue", 3, 3, 0, 30));
    EXPECT_TRUE(info.bFall);
}

// ---- ranking

class RankingTest : public TrackingTest {
protected:
    void Mate(int n, double x, double y, double dist, double angleDeg, bool fall = false) {
        model.m_vTeamMate[n - 1].bValid = true;
        model.m_vTeamMate[n - 1].vAveragePos = Vector(x, y, 0);
        model.m_TeamMateInfo[n - 1] = PlayerInfoGK{n, fall, dist, angleDeg};
        if (n == model.m_iUnum) model.m_vSelfPos = Vector(x, y, kCameraZ);
    }
};

TEST_F(RankingTest, PlayerBehindTheBallIsPreferred) {
    const double rad = kGeometryPi / 180;
    Mate(5, -1, 0, 1.0, 0);  // ball straight ahead toward the opponent goal: e = 0.4
    Mate(6, -0.5 * std::cos(120 * rad), -0.5 * std::sin(120 * rad), 0.5, 0);  // e = 0.5
    model.UpdateNearestTeamMateInfo();
    EXPECT_EQ(model.GetNearestTeamMateNum(), 5);
    EXPECT_NEAR(model.m_NearestTeamMateInfo[0].dDistToBall, 0.4, 1e-9);
    EXPECT_NEAR(model.m_NearestTeamMateInfo[1].dDistToBall, 0.5, 1e-9);
    EXPECT_EQ(model.m_NearestTeamMateInfo[2].iNum, 0);
}

TEST_F(RankingTest, TurningAndFallenPlayersCountAsFarther) {
    const double rad = kGeometryPi / 180;
    Mate(5, -2, 0, 2.0, 90);  // 0.8 + 0.3
    Mate(6, -1.5 * std::cos(70 * rad), -1.5 * std::sin(70 * rad), 1.5, 0, true);  // 1.5/1.4 + 0.6
    Mate(7, 0, 3, 3, 0);      // ball at -90 degrees: no bonus
    model.UpdateNearestTeamMateInfo();
    EXPECT_NEAR(model.m_NearestTeamMateInfo[0].dDistToBall, 1.1, 1e-9);
    EXPECT_NEAR(model.m_NearestTeamMateInfo[1].dDistToBall, 1.5 / 1.4 + 0.6, 1e-9);
    EXPECT_NEAR(model.m_NearestTeamMateInfo[2].dDistToBall, 3, 1e-9);
}

TEST_F(RankingTest, KeeperJudgesPlainDistances) {
    model.m_iUnum = 1;
    Mate(1, -1, 0, 1.0, 0);
    Mate(6, 0.5, 0, 0.9, 0);
    model.UpdateNearestTeamMateInfo();
    EXPECT_EQ(model.GetNearestTeamMateNum(), 6);
    EXPECT_NEAR(model.m_NearestTeamMateInfo[1].dDistToBall, 1.0, 1e-9);
}

TEST_F(RankingTest, FieldPlayerSecondToTheKeeperTakesTheBall) {
    Mate(1, -0.1, 0, 0.1, 0);  // keeper right at the ball
    Mate(5, -3, 0, 3, 0);      // e = 1.2
    model.UpdateNearestTeamMateInfo();
    EXPECT_EQ(model.GetNearestTeamMateNum(), 5);
    EXPECT_EQ(model.m_NearestTeamMateInfo[1].iNum, 1);
}

TEST_F(RankingTest, CloseCallGoesToThisPlayer) {
    Mate(6, -1, 0, 1.0, 0);    // e = 0.4
    Mate(5, -1.1, 0, 1.1, 3);  // e = 0.44 + 0.01: within 0.07
    model.UpdateNearestTeamMateInfo();
    EXPECT_EQ(model.GetNearestTeamMateNum(), 5);
}

TEST_F(RankingTest, RankingIsHeldForSevenOrSixCalls) {
    Mate(5, -1, 0, 1.0, 0);
    Mate(6, -2, 0, 2.0, 0);
    model.UpdateNearestTeamMateInfo();
    ASSERT_EQ(model.GetNearestTeamMateNum(), 5);
    model.m_TeamMateInfo[5].dDistToBall = 0.1;  // mate 6 now much nearer
    for (int call = 1; call <= 7; ++call) {
        model.UpdateNearestTeamMateInfo();
        EXPECT_EQ(model.GetNearestTeamMateNum(), 5) << call;
    }
    model.UpdateNearestTeamMateInfo();
    ASSERT_EQ(model.GetNearestTeamMateNum(), 6);
    model.m_TeamMateInfo[5].dDistToBall = 5;  // this player is not first: six calls
    for (int call = 1; call <= 6; ++call) {
        model.UpdateNearestTeamMateInfo();
        EXPECT_EQ(model.GetNearestTeamMateNum(), 6) << call;
    }
    model.UpdateNearestTeamMateInfo();
    EXPECT_EQ(model.GetNearestTeamMateNum(), 5);
}

TEST_F(RankingTest, HeardEntriesRankWithTheKeepersDistances) {
    model.m_TeamMateInfo[7] = PlayerInfoGK{8 + 11, false, 0.3, 0};
    Mate(5, -1, 0, 1.0, 0);  // e = 0.4
    model.UpdateNearestTeamMateInfo();
    EXPECT_EQ(model.GetNearestTeamMateNum(), 8);
    EXPECT_EQ(model.m_NearestTeamMateInfo[0].dDistToBall, 0.3);
    EXPECT_EQ(model.m_TeamMateInfo[7].iNum, 8);
}

}  // namespace
