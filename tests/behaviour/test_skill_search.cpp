// Gaze and ball search: where the head is sent for ball and landmarks, the scan once the
// ball is lost, and the states the search around the ball takes.
#include <cmath>
#include <string>

#include "test_skill_world.h"

namespace {

using SkillSearch = SkillScene;

double YawTarget(double speed = 0.1) { return SkillScene::HeadTargetDeg(JID_HEAD_1, speed); }

// Opponent posts seen at these camera bearings (left team: G1R left, G2R right).
void SeePosts(double leftDeg, double rightDeg) {
    SenseParse.m_PolFlagPos[F_G1R] = {Polar(8, leftDeg, 0), 0, true};
    SenseParse.m_PolFlagPos[F_G2R] = {Polar(8, rightDeg, 0), 0, true};
}

TEST_F(SkillSearch, WatchKeepsBallAndBothPostsInThePicture) {
    wm.m_HJ[JID_HEAD_1].fAngle = 20;  // camera bearings below are body bearings - 20
    SeeBall(3, -20);
    SeePosts(20, -30);  // posts at 40 and -10, ball at 0: all within 50 of the ball
    skill.Watch();
    EXPECT_NEAR(YawTarget(), 0, 1e-9);
    EXPECT_NEAR(HeadTargetDeg(JID_HEAD_2, 0.1), 10, 1e-9);
    NextCycle();
    SeeBall(3, -30);
    SeePosts(50, 0);  // posts at 70 and 20, ball at -10: the far post kept at the edge
    skill.Watch();
    EXPECT_NEAR(YawTarget(), 12, 1e-9);
}

TEST_F(SkillSearch, LandmarkPairHeadingsAreComparedTheShortWayRound) {
    // Near the own goal, facing it, with the own left post and corner flag on either side
    // of the +-180 seam.
    Stand(-10, 5, 180);
    BallAt(-14, 4);
    EXPECT_FALSE(skill.lookAtBallAnd(GF_OPPGL, GF_OPPGR));
    EXPECT_TRUE(skill.lookAtBallAnd(GF_OURGL, GF_OURCL));
    EXPECT_NEAR(YawTarget(), 13, 1e-6);
}

TEST_F(SkillSearch, LostBallIsWaitedForThenScannedFromTheFirstStepEachTime) {
    LoseBall();
    for (int cycle = 1; cycle <= 7; ++cycle, NextCycle()) {
        skill.Watch();
        EXPECT_FALSE(ACT.HJControl[JID_HEAD_1].bCtrled || ACT.HJControl[JID_HEAD_2].bCtrled);
    }
    for (int cycle = 8; cycle <= 40; ++cycle, NextCycle()) skill.Watch();
    EXPECT_EQ(skill.m_HeadScan.step, 33);
    SeeBall(3, 0);
    skill.Watch();
    LoseBall();
    skill.Watch();
    EXPECT_EQ(skill.m_HeadScan.step, 1);
}

TEST_F(SkillSearch, ScanSweepsRelativeToTheBodyAndRestarts) {
    Stand(0, 0, 150);
    BallAt(-1.7320508, 1);  // global heading 150: straight ahead of the body
    wm.m_HJ[JID_HEAD_1].fAngle = 50;
    wm.m_HJ[JID_HEAD_2].fAngle = 5;
    struct Row { int step; double yawDeg, pitchDeg; };
    const Row rows[] = {{1, 0, -40}, {22, -120, -40}, {63, 0, -40}, {84, 120, 10}, {106, 0, 10}, {147, -120, 10}};
    const Row* row = rows;
    for (int step = 1; step <= 147; ++step, NextCycle()) {
        skill.findBall();
        if (step != row->step) continue;
        EXPECT_NEAR(YawTarget(1), row->yawDeg, 1e-6) << step;
        EXPECT_NEAR(HeadTargetDeg(JID_HEAD_2, 1), row->pitchDeg, 1e-9) << step;
        ++row;
    }
    skill.findBall();
    EXPECT_EQ(skill.m_HeadScan.step, 0);
    EXPECT_FALSE(ACT.HJControl[JID_HEAD_1].bCtrled);
    BallAt(1, -0.1);  // behind the body: the neck stops at its limit
    skill.findBall();
    EXPECT_NEAR(YawTarget(1), -120, 1e-9);
}

// Robot 0.5 m from the ball at (0, 0), at `aroundDeg` around it, the target at (15, 0):
// g is aroundDeg + 180.
void StandAroundBall(double aroundDeg, double ballBearingDeg) {
    const double rad = aroundDeg * kGeometryPi / 180;
    SkillScene::Stand(0.5 * std::cos(rad), 0.5 * std::sin(rad), aroundDeg + 180 - ballBearingDeg);
    SkillScene::BallAt(0, 0);
    SkillScene::SeeBall(std::sqrt(0.25 + 0.2116), ballBearingDeg);
}

TEST_F(SkillSearch, SearchStartsInTheStateThatFitsWhereItStands) {
    struct Start { double aroundDeg, ballBearingDeg, cameraDist; int state; };
    const Start starts[] = {
        {-178, 0, 0, 6}, {0, 0, 0, 2},   {0, 30, 0, 3},  {90, 0, 0, 4},   {90, 30, 0, 8},
        {135, 30, 0, 5}, {-90, 0, 0, 6}, {-90, 30, 0, 9}, {-135, 30, 0, 7}, {180, 0, 2, 1},
    };
    for (const Start& s : starts) {
        SetUp();
        StandAroundBall(s.aroundDeg, s.ballBearingDeg);
        if (s.cameraDist > 0) SeeBall(s.cameraDist, s.ballBearingDeg);
        testing::internal::CaptureStdout();
        skill.SearchBall(Vector(15, 0, 0));
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "1  0 0\n");
        EXPECT_EQ(static_cast<int>(skill.m_Search.step), s.state) << s.aroundDeg << " " << s.ballBearingDeg;
    }
}

TEST_F(SkillSearch, SearchChangesStateOnlyBetweenStepsAndCountsABallAtTheFeet) {
    StandAroundBall(180, 0);
    SeeBall(2, 0);
    skill.SearchBall(Vector(15, 0, 0));
    ASSERT_EQ(skill.m_Search.step, Skill::SearchStep::WalkIn);
    SeeBall(0.4, 0);  // nearer than the camera height: no ground distance to take a root of
    skill.SearchBall(Vector(15, 0, 0));
    EXPECT_EQ(skill.m_Search.step, Skill::SearchStep::WalkIn);
    Lip.bStartWalk = true;
    skill.SearchBall(Vector(15, 0, 0));
    EXPECT_EQ(skill.m_Search.step, Skill::SearchStep::Behind);
    EXPECT_EQ(Lip.lastRequest.type, WALK_F);
}

TEST_F(SkillSearch, CirclingTurnsBackToTheBallWhenFarOffTheLine) {
    const Vector target(15, 0, 0);
    StandAroundBall(-90, 0);  // g = 90 on the very first call
    skill.State8(target);
    EXPECT_EQ(Lip.lastRequest.type, WALK_STAY);
    for (auto [aroundDeg, type] : {std::pair{-150.0, WALK_STAY}, {-170.0, WALK_HR}, {-140.0, WALK_HR}, {-90.0, WALK_STAY}}) {
        StandAroundBall(aroundDeg, 0);
        skill.State8(target);
        EXPECT_EQ(Lip.lastRequest.type, type) << aroundDeg;
    }
    StandAroundBall(160, 0);
    skill.State5(target);
    EXPECT_EQ(Lip.lastRequest.type, WALK_B);
}

}  // namespace
