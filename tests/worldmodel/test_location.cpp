// Self-localisation from rendered and recorded vision: triangulation, facing angle,
// plausibility check, filter, and the reference values of the recorded sessions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <functional>
#include <string>

#include "motion/nao.h"
#include "perception/msgparse.h"
#include "runtime/corvane.h"
#include "support/vision_render.h"
#include "worldmodel/worldmodel.h"

namespace {

using simkit::PerceptText;
using simkit::RenderMessage;
using simkit::ViewPose;
using simkit::VisionScene;

// Drives the process-wide objects, since the body model reads the global world model.
class LocationTest : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }

    static void Reset() {
        wm = WorldModel();
        SenseParse = MsgParse();
        gNao = Nao();
    }
    static void Feed(const std::string& msg) {
        SenseParse.Parse(msg);
        wm.UpdateAll();
    }
    // The message that names this player; without vision.
    void Join(bool left, int unum = 2) {
        PerceptText text;
        text.gameState = "(GS (unum " + std::to_string(unum) + ") (team " + (left ? "left" : "right") +
                         ") (t 0.00) (pm BeforeKickOff))";
        text.withVision = false;
        Feed(RenderMessage(text, ViewPose(), VisionScene()));
        cameraZ = wm.GetAgentHeight();
    }
    void See(const ViewPose& pose, const VisionScene& scene) {
        text.serverTime += 0.02;
        Feed(RenderMessage(text, pose, scene));
    }
    ViewPose Pose(double x, double y, double bodyDeg, double yawDeg = 0, double pitchDeg = 0) const {
        ViewPose p;
        p.x = x;
        p.y = y;
        p.cameraZ = cameraZ;
        p.bodyDeg = bodyDeg;
        p.headYawDeg = yawDeg;
        p.headPitchDeg = pitchDeg;
        return p;
    }

    PerceptText text;
    double cameraZ = 0.0;
};

// Landmarks of one end that the pose sees: a position needs two of them.
int MostSeenAtOneEnd(const ViewPose& pose, const VisionScene& scene) {
    int ends[2] = {0, 0};
    for (int f = 0; f < kFlagCount; ++f) {
        const Polar p = simkit::ObserveFrom(pose, simkit::LandmarkInTeamFrame(static_cast<Flag_ID>(f), scene.bIsLeft));
        if (std::fabs(p.Py) <= scene.halfViewDeg) ++ends[f / 4];
    }
    return std::max(ends[0], ends[1]);
}

TEST_F(LocationTest, ExactSightingsGiveThePoseOnBothHalvesForBothSides) {
    int checked = 0;
    for (bool left : {true, false}) {
        for (double x : {-13.0, -7.5, -2.0, 3.0, 8.5, 13.5}) {
            for (double y : {-8.0, -2.5, 0.5, 6.0}) {
                for (double body : {-150.0, -60.0, 0.0, 35.0, 120.0, 180.0}) {
                    for (double yaw : {-45.0, 0.0, 60.0}) {
                        Reset();
                        text = PerceptText();
                        Join(left);
                        VisionScene scene;
                        scene.bIsLeft = left;
                        scene.decimals = 6;  // exact sightings
                        const ViewPose pose = Pose(x, y, body, yaw, yaw > 0 ? -20 : 5);
                        if (MostSeenAtOneEnd(pose, scene) < 2) continue;
                        // Six rejections of the far jump from the origin, then acceptance,
                        // then one cycle to take the facing from the new position.
                        for (int i = 0; i < 9; ++i) See(pose, scene);
                        const std::string where = "left " + std::to_string(left) + " at " +
                                                  std::to_string(x) + ", " + std::to_string(y) + " body " +
                                                  std::to_string(body) + " yaw " + std::to_string(yaw);
                        ASSERT_NEAR(wm.m_vSelfPos.Vx, x, 0.02) << where;
                        ASSERT_NEAR(wm.m_vSelfPos.Vy, y, 0.02) << where;
                        ASSERT_NEAR(wm.m_vSelfPos.Vz, cameraZ, 1e-6) << where;
                        ASSERT_NEAR(WorldModel::NormalizeAng(wm.m_dFaceAng - body - yaw), 0, 1.0) << where;
                        ASSERT_NEAR(WorldModel::NormalizeAng(wm.m_dBodyAng - body), 0, 1.0) << where;
                        ++checked;
                    }
                }
            }
        }
    }
    EXPECT_GT(checked, 300);
}

TEST_F(LocationTest, FarFirstPositionIsAcceptedAfterSixRejections) {
    Join(true);
    VisionScene scene;
    const ViewPose pose = Pose(-3, 1, 0);
    for (int i = 1; i <= 6; ++i) {
        See(pose, scene);
        EXPECT_EQ(wm.m_vSelfPos, Vector()) << i;
        EXPECT_TRUE(wm.MyPosQ.isEmpty());
    }
    See(pose, scene);
    EXPECT_NEAR(wm.m_vSelfPos.Vx, -3, 0.02);
    EXPECT_EQ(wm.MyPosQ.size(), 1);
    EXPECT_TRUE(wm.m_vTeamMate[1].bValid);
    EXPECT_EQ(wm.m_vTeamMate[1].vAveragePos, wm.m_vSelfPos);
    // A jump of more than 0.8 m is held for six sightings again.
    for (int i = 1; i <= 6; ++i) {
        See(Pose(-1, 1, 0), scene);
        EXPECT_NEAR(wm.m_vSelfPos.Vx, -3, 0.02) << i;
    }
    See(Pose(-1, 1, 0), scene);
    EXPECT_NEAR(wm.m_vSelfPos.Vx, -1, 0.02);
    See(Pose(-1.5, 1, 0), scene);  // small steps are taken at once
    EXPECT_NEAR(wm.m_vSelfPos.Vx, -1.5, 0.02);
}

TEST_F(LocationTest, FilterStartsAtTheFirstMeasuredPositionAndFollows) {
    Join(true);
    VisionScene scene;
    See(Pose(0.3, -0.2, 0), scene);  // near the origin: accepted at once
    EXPECT_NEAR(wm.m_vSelfPos.Vx, 0.3, 0.02);
    EXPECT_DOUBLE_EQ(wm.m_vSelfPosKF.Vx, wm.m_vSelfPos.Vx);
    EXPECT_DOUBLE_EQ(wm.m_vSelfPosKF.Vy, wm.m_vSelfPos.Vy);
    for (int i = 0; i < 40; ++i) See(Pose(0.6, -0.2, 0), scene);
    EXPECT_NEAR(wm.m_vSelfPosKF.Vx, 0.6, 0.02);
    EXPECT_GT(wm.m_vSelfPosKF.Vx, 0.5);
}

// Sightings filled by hand for the cases the renderer cannot produce.
// Between fixes the gyroscope turns the facing while the position stands (the legs do
// not move); a garbled reading or a robot on the ground turns nothing, and the next fix
// is the landmarks' alone.
TEST_F(LocationTest, GyroscopeTurnsTheFacingBetweenFixes) {
    Join(true);
    VisionScene scene;
    for (int i = 0; i < 8; ++i) See(Pose(-6, 9, 10, 20), scene);  // six rejections, then two fixes
    ASSERT_NEAR(wm.m_dBodyAng, 10, 0.5);
    const double bodyDeg = wm.m_dBodyAng;
    const Vector fixed = wm.m_vSelfPos;
    // Facing the side line from 1 m off it, no landmark is in view, only the line (a
    // message without vision would keep the last sightings).
    const ViewPose blind = Pose(-6, 9, 90, 0);
    scene.lines = true;
    text.gyro = {0.0, 0.0, 45.0};
    for (int i = 0; i < 50; ++i) See(blind, scene);  // one second
    EXPECT_FALSE(wm.m_bCanSeeFlag);
    EXPECT_NEAR(wm.m_dBodyAng, bodyDeg + 45, 1e-9);
    EXPECT_NEAR(wm.m_dFaceAng, bodyDeg + 45, 1e-9);
    EXPECT_EQ(wm.m_vSelfPos, fixed);
    for (const double garbledDegPerSec : {1e300, -5e4}) {
        text.gyro = {0.0, 0.0, garbledDegPerSec};
        See(blind, scene);
        EXPECT_NEAR(wm.m_dBodyAng, bodyDeg + 45, 1e-9);
    }
    wm.m_FallState = FALL_UP;
    text.gyro = {0.0, 0.0, 45.0};
    See(blind, scene);
    EXPECT_NEAR(wm.m_dBodyAng, bodyDeg + 45, 1e-9);
    wm.m_FallState = FALL_NONE;
    See(Pose(-6.2, 8.8, 0, 20), scene);
    EXPECT_NEAR(wm.m_dBodyAng, 0, 1.0);  // worked out from the position before this fix
    EXPECT_NEAR(wm.m_vSelfPos.Vx, -6.2, 0.02);
    EXPECT_NEAR(wm.m_vSelfPos.Vy, 8.8, 0.02);
    EXPECT_TRUE(std::isfinite(wm.m_vSelfPosKF.Vx) && std::isfinite(wm.m_vSelfPosKF.Vy));
}

class HandSightingTest : public LocationTest {
protected:
    void Sight(Flag_ID id, double dist, double horizDeg) {
        SenseParse.m_PolFlagPos[id].PolPos = Polar(dist, horizDeg, 0);
        SenseParse.m_PolFlagPos[id].bCanSee = true;
    }
    void Update() {
        wm.UpdateAll();
    }
};

TEST_F(HandSightingTest, OneLandmarkAtEachEndGivesAFacingButNoPosition) {
    Join(true);
    wm.m_vSelfPos = Vector(0.1, 0.2, 0.5);
    Sight(F_F1L, 18, 100);
    Sight(F_F1R, 18, 20);
    Update();
    EXPECT_TRUE(wm.m_bCanSeeFlag);
    EXPECT_EQ(wm.m_vSelfPos, Vector(0.1, 0.2, 0.5));
    ASSERT_EQ(wm.MyPosQ.size(), 1);  // the kept position passes the check
    VecPosInfo last;
    wm.MyPosQ.getRear(last);
    EXPECT_EQ(last.vPos, Vector(0.1, 0.2, 0.5));
    EXPECT_NEAR(wm.m_dFaceAng, ((Vector(-15, 10, 0) - wm.m_vSelfPos).GetXYAngle() - 100 +
                                (Vector(15, 10, 0) - wm.m_vSelfPos).GetXYAngle() - 20) / 2, 1e-9);
}

TEST_F(HandSightingTest, ALandmarkStraightAheadDecidesTheFacingAlone) {
    Join(true);
    // From the origin F1R lies at 33.69 degrees (implies 20 here), G1R at 4.00 (implies 3).
    Sight(F_F1R, 18.0, 13.69);
    Sight(F_G1R, 15.0, 1.0);
    Sight(F_G2R, 15.0, -50.0);  // wildly off, but after the deciding landmark
    EXPECT_NEAR(wm.GetFaceAngInGlobalEx(), Vector(15, 1.05, 0).GetXYAngle() - 1.0, 1e-12);
    SenseParse.m_PolFlagPos[F_G1R].bCanSee = false;
    EXPECT_GT(wm.GetFaceAngInGlobalEx(), 20);  // without it: a mean with the wild one
}

TEST_F(HandSightingTest, FacingIsTheMeanOfTheLandmarksOtherwise) {
    Join(true);
    wm.m_vSelfPos = Vector(0, 0, 0.5);
    Sight(F_F1R, 18.0, 13.69);   // 33.69 - 20
    Sight(F_F2R, 18.0, -53.69);  // -33.69 - 20
    EXPECT_NEAR(wm.GetFaceAngInGlobalEx(), 20, 1e-3);
    SenseParse.m_PolFlagPos[F_F1R].bCanSee = false;
    SenseParse.m_PolFlagPos[F_F2R].bCanSee = false;
    EXPECT_NEAR(wm.GetFaceAngInGlobalEx(), 20, 1e-3);  // nothing seen: the last mean
}

TEST_F(HandSightingTest, ImpossibleDistancesAreDroppedPairByPair) {
    Join(true);
    const double h = wm.GetAgentHeight();
    // Robot at (10, 0): flags at their true distances, one goal post impossibly near.
    const double corner = std::sqrt(125.0 + h * h);
    Sight(F_F1R, corner, 0);
    Sight(F_F2R, corner, 0);
    Sight(F_G1R, std::fabs(0.8 - h) + 0.01, 0);  // 1 cm on the ground: no triangle with the flags
    double unused;
    wm.m_bCanSeeFlag = true;
    wm.GetAgentPos(unused);
    EXPECT_NEAR(wm.m_vSelfPos.Vx, 10, 1e-4);
    EXPECT_NEAR(wm.m_vSelfPos.Vy, 0, 1e-4);
    EXPECT_NEAR(wm.m_vSelfPos.Vz, h, 1e-6);
    // A radicand below zero (nearer than the height difference) is dropped the same way.
    SenseParse.m_PolFlagPos[F_F2R].bCanSee = false;
    Sight(F_G1R, 0.1, 0);
    wm.m_vSelfPos = Vector(1, 2, 3);
    wm.GetAgentPos(unused);
    EXPECT_EQ(wm.m_vSelfPos, Vector(1, 2, 3));
}

TEST_F(HandSightingTest, BeforeTheNumberIsKnownNoTeamMateEntryIsWritten) {
    Sight(F_F1L, 10, 10);
    Sight(F_G1L, 10, -10);
    Update();
    EXPECT_TRUE(wm.m_bCanSeeFlag);
    for (const PlayerPosInfo& mate : wm.m_vTeamMate) EXPECT_FALSE(mate.bValid);
}

// ---- the recorded sessions

struct Reference {
    int line;
    double x, y, faceDeg;
    bool ball;
    double bx, by;
};

void CheckSession(const char* file, const std::vector<Reference>& refs,
                  const std::function<void(int)>& extra = nullptr) {
    std::ifstream in(std::string(CORVANE_FIXTURES_DIR) + "/" + file);
    ASSERT_TRUE(in.good()) << file;
    SenseParse.m_sTeamName = "Blue";
    wm.m_sTeamName = "Blue";
    std::string line;
    size_t next = 0;
    for (int n = 1; next < refs.size() && std::getline(in, line); ++n) {
        SenseParse.Parse(line);
        wm.UpdateAll();
        if (extra) extra(n);
        if (refs[next].line != n) continue;
        const Reference& r = refs[next++];
        EXPECT_NEAR(wm.m_vSelfPos.Vx, r.x, 0.01) << file << ":" << n;
        EXPECT_NEAR(wm.m_vSelfPos.Vy, r.y, 0.01) << file << ":" << n;
        EXPECT_NEAR(wm.m_dFaceAng, r.faceDeg, 0.1) << file << ":" << n;
        EXPECT_EQ(wm.m_bCanSeeBall, r.ball) << file << ":" << n;
        if (!r.ball) continue;
        EXPECT_NEAR(wm.m_vSeeBallPos.Vx, r.bx, 0.01) << file << ":" << n;
        EXPECT_NEAR(wm.m_vSeeBallPos.Vy, r.by, 0.01) << file << ":" << n;
    }
    EXPECT_EQ(next, refs.size()) << file;
}

TEST_F(LocationTest, RecordedSingleSessionMatchesTheReferenceValues) {
    CheckSession("session_single.txt", {{1, 0, 0, 0.140, true, 1.8332, -0.0048},
                                        {4, 0, 0, -0.330, true, 14.1844, -9.2679},
                                        {10, -2.9646, -0.0187, 2.514, true, 0.0101, -0.0117},
                                        {100, -2.9696, -0.0632, 1.904, true, 0.0049, -0.0869},
                                        {346, -2.9625, 0.0273, 1.979, true, -1.9811, 0.5185}});
}

TEST_F(LocationTest, RecordedPlayersSessionMatchesTheReferenceValues) {
    int known = 0, fallen = 0, angleChanged = 0;
    CheckSession("session_players.txt",
                 {{10, -2.9962, -0.0793, 4.020, true, -0.0091, -0.2950},
                  {100, -2.9791, 0.0123, 8.751, true, 0.0154, 0.0578}},
                 [&](int) {
                     const PlayerInfoGK& mate = wm.m_TeamMateInfo[2];
                     if (mate.iNum != 3) return;
                     ++known;
                     fallen += mate.bFall;
                     angleChanged += mate.dAngleToBall != 180;
                 });
    EXPECT_NEAR(wm.m_vTeamMate[2].vAveragePos.Vx, -1.104, 0.01);
    EXPECT_NEAR(wm.m_vTeamMate[2].vAveragePos.Vy, 1.016, 0.01);
    EXPECT_NEAR(wm.m_vOpponent[1].vAveragePos.Vx, 1.415, 0.01);
    EXPECT_NEAR(wm.m_vOpponent[1].vAveragePos.Vy, -0.482, 0.01);
    // All five parts are always seen, so the body direction is never taken; its arms are
    // held straight out, about as high as its head, so it mostly reads as fallen.
    EXPECT_GT(known, 50);
    EXPECT_GT(fallen, known * 8 / 10);
    EXPECT_EQ(angleChanged, 0);
}

TEST_F(LocationTest, RecordedFallSessionMatchesTheReferenceValues) {
    double heightAt163 = 0;
    CheckSession("session_fall_back.txt",
                 {{10, -2.9736, 0.0606, 3.160, true, 0.0007, -0.1891},
                  {163, -3.0491, -0.0150, 8.320, true, 0.0266, -0.0440},
                  {178, -3.3294, -0.0893, 11.783, false, 0, 0}},
                 [&](int n) {
                     if (n == 163) heightAt163 = wm.m_vSelfPos.Vz;
                 });
    EXPECT_NEAR(heightAt163, 0.5135, 0.001);
}

}  // namespace
