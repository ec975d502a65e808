// Dribbling skills on placed scenes: when the carrier turns or walks on, which lines it
// accepts as "pushing towards the goal", and when the push at the feet starts, where it
// aims, and what a ball nearer than the camera height does.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "behaviour/decision.h"
#include "behaviour/test_skill_dribble_scene.h"

namespace {

using Dribble = DribbleScene;

// Camera distance of a ball lying `groundM` from the feet.
double Seen(double groundM) { return std::sqrt(groundM * groundM + 0.2116); }

TEST_F(Dribble, FromBackTurnsOnTheSpotUnlessTheBallIsWithinTheStageThreshold) {
    SeeFlag(kOppGoalL, 5.0);
    SeeFlag(kOppGoalR, -5.0);  // goal bearing 0
    SeeBall(3.0, 12.0);
    skill.dribbleFromBack();
    EXPECT_EQ(Lip.lastRequest.type, WALK_STAY);
    EXPECT_EQ(Lip.lastRequest.turnDeg, 12);
    EXPECT_EQ(skill.m_DribbleFromBack.stage, 0);

    SeeBall(3.0, 8.0);  // far: straight at the ball
    skill.dribbleFromBack();
    EXPECT_EQ(Lip.lastRequest.type, WALK_F);
    EXPECT_EQ(Lip.lastRequest.turnDeg, 8);
    EXPECT_FALSE(Lip.lastRequest.smallWalk);

    // Walking, the threshold widens with the distance up to 50, then drops to 30.
    SeeBall(1.0, 40.0);
    skill.dribbleFromBack();
    EXPECT_EQ(Lip.lastRequest.type, WALK_F);
    EXPECT_EQ(Lip.lastRequest.turnDeg, 46);  // bent away from the goal side
    SeeBall(1.6, 40.0);
    skill.dribbleFromBack();
    EXPECT_EQ(Lip.lastRequest.type, WALK_STAY);
    EXPECT_EQ(skill.m_DribbleFromBack.stage, 0);

    SeeBall(1.5, -3.0);  // right of the goal bearing: bent further right
    skill.dribbleFromBack();
    EXPECT_EQ(Lip.lastRequest.turnDeg, -9);
}

// Near the goal: both posts seen, the goal bearing their mean, the ball not in the window.
class CanDribble : public Dribble {
protected:
    void GoalAt(double goalDeg, double distM = 10.0) {
        SeeFlag(kOppGoalL, goalDeg + 3.0, distM);
        SeeFlag(kOppGoalR, goalDeg - 3.0, distM);
    }
};

TEST_F(CanDribble, NearTheGoalTheBallMustLieBetweenGoalAndTouchLine) {
    GoalAt(5.0);
    SeeBallAt(0.5, 20.0, 14.0, -0.5);
    ASSERT_FALSE(wm.ballInGoalAngle());
    EXPECT_TRUE(skill.canDribble(false));  // diff 15: pushes it in from the right

    SeeBallAt(0.5, -10.0, 14.0, 0.5);
    EXPECT_TRUE(skill.canDribble(false));  // diff -15 from the left
    SeeBallAt(0.5, 20.0, 14.0, 0.5);
    EXPECT_FALSE(skill.canDribble(false));  // the same diff from the left pushes it wide

    // Bearings on either side of straight behind are 7 degrees apart, not 353.
    SeeFlag(kOppGoalL, -168.0, 10.0);
    HideFlag(kOppGoalR);
    SeeBallAt(0.5, 175.0, 14.0, 0.5);
    ASSERT_FALSE(wm.ballInGoalAngle());
    EXPECT_TRUE(skill.canDribble(false));

    LoseBall();
    EXPECT_FALSE(skill.canDribble(false));
}

TEST_F(CanDribble, AtTheBoxEdgeTheToleranceGrowsWithTheGoalDistance) {
    GoalAt(0.0, 2.5);  // 3 x 2.5 + 15 = 22.5 degrees
    SeeBallAt(0.5, 20.0, 12.7, 3.0);
    ASSERT_FALSE(wm.ballInGoalAngle());
    EXPECT_TRUE(skill.canDribble(false));
    SeeBallAt(0.5, 25.0, 12.7, 3.0);
    EXPECT_FALSE(skill.canDribble(false));
}

TEST_F(CanDribble, InMidfieldABallUpThePitchOrInTheLaneWillDo) {
    GoalAt(60.0, 1.0);
    Stand(0.0, 0.0, -60.0);
    SeeBallAt(1.1, 86.0, 1.0, 0.5);
    ASSERT_FALSE(wm.ballInGoalAngle());
    EXPECT_TRUE(skill.canDribble(false));  // the ball lies 27 degrees off up the pitch

    // Ball abeam: only the lane between the corner flags, widened with the distance left.
    Stand(1.0, -1.0, 0.0);
    GoalAt(0.0, 1.0);
    SeeFlag(kOppFlagL, 20.0);
    SeeFlag(kOppFlagR, -20.0);
    SeeBallAt(1.5, 50.0, 1.0, 0.5);
    ASSERT_FALSE(wm.ballInGoalAngle());
    EXPECT_TRUE(skill.canDribble(false));  // 50 inside +-(20 + 2.5 x 14)
    SeeBallAt(1.5, 60.0, 1.0, 0.5);
    EXPECT_FALSE(skill.canDribble(false));

    HideFlag(kOppGoalL);
    HideFlag(kOppGoalR);
    EXPECT_FALSE(skill.canDribble(false));  // no goal in view: no verdict but no
}

TEST_F(CanDribble, WhileAdjustingAnOpponentAtTheBallOrADeepBallDecidesFirst) {
    Stand(1.0, 0.0, 0.0);
    GoalAt(0.0, 14.0);
    SeeBallAt(1.0, 150.0, 0.0, 0.0);  // behind the robot
    EXPECT_FALSE(skill.canDribble(true));
    PolPosInfo& foot = SenseParse.m_vOpponent[4].mRFoot;
    SetRecord(foot, 1.3, 152.0);
    EXPECT_FALSE(skill.canDribble(true));  // 0.3 m beyond the ball
    SetRecord(foot, 1.1, 152.0);
    EXPECT_TRUE(skill.canDribble(true));
    EXPECT_FALSE(skill.canDribble(false));

    // Deep ball: the goal bearing alone decides, whatever the shot window says.
    Stand(8.0, 0.0, 0.0);
    SeeBallAt(1.0, 16.0, 9.0, 0.3);
    EXPECT_TRUE(skill.canDribble(true));
    SeeBallAt(1.0, 18.0, 9.0, 0.3);
    EXPECT_FALSE(skill.canDribble(true));

    // Nothing of the pitch in view: only right in front of the goal.
    SenseParse = MsgParse();
    SeeBallAt(1.0, 40.0, 13.5, 0.5);
    EXPECT_TRUE(skill.canDribble(true));
    SeeBallAt(1.0, 40.0, 12.0, 0.5);
    EXPECT_FALSE(skill.canDribble(true));
    SeeBallAt(1.0, 40.0, 5.0, 7.5);  // a wing ball goes the same way
    EXPECT_FALSE(skill.canDribble(false));
}

const Vector kGoal(15.0, 0.0, 0.0);

TEST_F(Dribble, PushStartsOnlyWithTheBallAtTheFeet) {
    SeeBallAt(Seen(1.0), 0.0, 1.0, 0.0);
    EXPECT_TRUE(skill.WalkDribble(kGoal, 15.0, false));
    EXPECT_EQ(skill.m_WalkDribble.step, Skill::DribbleStep::Approach);

    SeeBallAt(Seen(0.18), 11.0, 0.18, 0.0);
    EXPECT_TRUE(skill.WalkDribble(kGoal, 15.0, false));  // still searching
    EXPECT_EQ(skill.m_WalkDribble.step, Skill::DribbleStep::Approach);
    const long walks = Lip.lastRequest.walkCalls;
    SeeBallAt(Seen(0.12), 11.0, 0.12, 0.0);
    EXPECT_FALSE(skill.WalkDribble(kGoal, 15.0, false));
    EXPECT_EQ(skill.m_WalkDribble.step, Skill::DribbleStep::Push);
    EXPECT_EQ(Lip.lastRequest.walkCalls, walks);  // the entry cycle commands nothing

    SeeBallAt(Seen(0.3), 14.0, 0.3, 0.0);
    EXPECT_TRUE(skill.WalkDribble(kGoal, 15.0, false));
    EXPECT_EQ(Lip.lastRequest.type, WALK_F);
    SeeBallAt(Seen(0.45), 0.0, 0.45, 0.0);
    skill.WalkDribble(kGoal, 15.0, false);
    EXPECT_EQ(skill.m_WalkDribble.step, Skill::DribbleStep::Approach);

    // On the very first call the wider entry applies, and the push starts at once.
    SetUp();
    SeeBallAt(Seen(0.18), 11.0, 0.18, 0.0);
    EXPECT_TRUE(skill.WalkDribble(kGoal, 15.0, false));
    EXPECT_EQ(Lip.lastRequest.type, WALK_F);
}

TEST_F(Dribble, EachPushAimsFromTheBallAtTheTargetRelativeToTheBody) {
    Stand(0.0, -0.1, 90.0);
    SeeBallAt(Seen(0.1), 0.0, 0.0, 0.0);
    skill.WalkDribble(kGoal, 15.0, false);
    EXPECT_EQ(Lip.lastRequest.turnDeg, -90);  // the goal lies to the right

    SeeBallAt(Seen(0.6), 0.0, 0.0, 0.0);
    skill.WalkDribble(kGoal, 15.0, false);
    Stand(-0.1, 2.0, 0.0);
    SeeBallAt(Seen(0.1), 0.0, 0.0, 2.0);
    skill.WalkDribble(kGoal, 15.0, false);
    skill.WalkDribble(kGoal, 15.0, false);
    EXPECT_EQ(Lip.lastRequest.turnDeg, -7);  // atan(2 / 15), not the first push's aim

    // The camera may look elsewhere than the body: the entry window is the body's.
    wm.m_dFaceAng = 30.0;
    SeeBallAt(Seen(0.6), 0.0, 0.0, 2.0);
    skill.WalkDribble(kGoal, 15.0, false);
    SeeBallAt(Seen(0.1), -25.0, 0.0, 2.0);
    EXPECT_FALSE(skill.WalkDribble(kGoal, 15.0, false));
}

TEST_F(Dribble, BallNearerThanTheCameraHeightCountsAsAtTheFeet) {
    SeeBallAt(0.3, 0.0, 0.0, 0.0);
    EXPECT_TRUE(skill.WalkDribble(kGoal, 15.0, false));
    EXPECT_EQ(skill.m_WalkDribble.step, Skill::DribbleStep::Push);
    EXPECT_EQ(Lip.lastRequest.type, WALK_F);
    EXPECT_EQ(Lip.lastRequest.turnDeg, 0);
}

// The set plays clear the dribble: the next one chooses afresh, with the wider entry of a
// first call, and its search starts from its first state; the stance is not taken again.
TEST_F(Dribble, DecisionClearStartsTheDribbleAndItsSearchAfresh) {
    testing::internal::CaptureStdout();
    SeeBallAt(Seen(1.0), 0.0, 1.0, 0.0);
    skill.WalkDribble(kGoal, 15.0, false);
    Lip.bStartWalk = true;  // a step boundary: the search may change its state
    SeeBallAt(Seen(0.5), 0.0, 0.5, 0.0);
    skill.WalkDribble(kGoal, 15.0, false);
    ASSERT_EQ(skill.m_Search.step, Skill::SearchStep::Behind);
    ASSERT_EQ(skill.m_WalkDribble.step, Skill::DribbleStep::Approach);

    decision.Clear();
    EXPECT_FALSE(skill.m_WalkDribble.bChosen);
    EXPECT_FALSE(skill.m_Search.bChosen);
    EXPECT_EQ(skill.m_Search.step, Skill::SearchStep::WalkIn);
    EXPECT_TRUE(skill.m_bDribbleStancePrepared && skill.m_bSearchStancePrepared);

    // 18 cm at 11 degrees: outside the entry from the approach, inside the first call's.
    const long walks = Lip.lastRequest.walkCalls;
    SeeBallAt(Seen(0.18), 11.0, 0.18, 0.0);
    EXPECT_TRUE(skill.WalkDribble(kGoal, 15.0, false));
    EXPECT_EQ(skill.m_WalkDribble.step, Skill::DribbleStep::Push);
    EXPECT_EQ(Lip.lastRequest.walkCalls, walks + 1);
    EXPECT_EQ(Lip.lastRequest.type, WALK_F);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.substr(0, 8), "1  0 0\n1");  // the search's own line, state first
}

}  // namespace
