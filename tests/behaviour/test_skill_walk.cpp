// Walking skills: which walk each one asks the engine for, from the target's distance and
// bearing, and what their latches remember across cycles.
#include <limits>

#include "test_skill_world.h"

namespace {

using SkillWalk = SkillScene;

void ExpectWalk(ACT_TYPE type, int turnDeg) {
    EXPECT_EQ(Lip.lastRequest.type, type);
    EXPECT_EQ(Lip.lastRequest.turnDeg, turnDeg);
}

TEST(TurnDegToInt, TruncatesTowardZeroAndRefusesWhatIntCannotHold) {
    EXPECT_EQ(TurnDegToInt(-10.9), -10);
    EXPECT_EQ(TurnDegToInt(89.99), 89);
    EXPECT_EQ(TurnDegToInt(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(TurnDegToInt(-std::numeric_limits<double>::infinity()), 0);
    EXPECT_EQ(TurnDegToInt(3e9), 0);
}

TEST_F(SkillWalk, FreeWalkSidestepsAbeamTargetsAndFinishesTurnsItStarts) {
    Stand(0, 0, 0);
    skill.WalkToFree(Vector(0, 1, 0), false);
    ExpectWalk(WALK_HL, 0);
    Stand(0, 0, -170);  // target now 100 degrees to the right
    skill.WalkToFree(Vector(0, 1, 0), false);
    ExpectWalk(WALK_HR, -10);

    // 3 m away and 95 degrees off: turn on the spot, and keep turning below 90 degrees,
    // where a fresh choice would already walk.
    for (double bodyDeg : {-5.0, 40.0, 81.0}) {
        Stand(0, 0, bodyDeg);
        skill.WalkToFree(Vector(0, 3, 0), false);
        ExpectWalk(WALK_STAY, static_cast<int>(90 - bodyDeg));
    }
    skill.WalkToFree(Vector(0, 3, 0), false);
    ExpectWalk(WALK_F, 9);
}

TEST_F(SkillWalk, FreeWalkBearingIsTakenTheShortWayRound) {
    Stand(0, 0, 170);
    skill.WalkToFree(Vector(-3, -1, 0), false);  // heading -161.6, 28.4 degrees to the left
    ExpectWalk(WALK_F, 28);
    EXPECT_FALSE(skill.m_WalkToFree.bInTurn);
}

TEST_F(SkillWalk, DefendArrivesOnlyWhenFacingTheGoal) {
    Stand(0, 0, -9);
    EXPECT_TRUE(skill.WalkDefend(Vector(0.2, 0, 0), false));
    ExpectWalk(WALK_STAY, 0);
    Stand(0, 0, -12);
    EXPECT_FALSE(skill.WalkDefend(Vector(0.2, 0, 0), false));
    ExpectWalk(WALK_STAY, 12);
}

TEST_F(SkillWalk, DefendStepsByTargetBearingAndTurnsToTheGoal) {
    Stand(0, 0, 30);  // target behind, goal 30 degrees to the right
    skill.WalkDefend(Vector(-1, -0.7, 0), false);
    ExpectWalk(WALK_B, -30);
    // Exactly on a band edge the last choice goes on instead of a stop.
    Stand(0, 0, -10);
    skill.WalkDefend(Vector(1, 0, 0), false);
    ExpectWalk(WALK_B, -30);
    // A cleared defender forgets that choice and the free walk's turn.
    skill.m_WalkToFree.bInTurn = true;
    skill.ClearAll();
    EXPECT_FALSE(skill.m_WalkToFree.bInTurn);
    skill.WalkDefend(Vector(1, 0, 0), false);
    ExpectWalk(WALK_STAY, 0);
}

TEST_F(SkillWalk, KeeperFacesTheBallBeforeItStepsAndWalksOncePerCycle) {
    Stand(-14, 0, 0);
    BallAt(0, -14.5 * std::tan(7 * kGeometryPi / 180));  // 7 degrees right, seen from the target
    EXPECT_FALSE(skill.WalkGoalie(Vector(-14.5, 0, 0), false));
    ExpectWalk(WALK_STAY, 0);
    Stand(-14, 0, 30);
    skill.WalkGoalie(Vector(-13, 0, 0), false);
    ExpectWalk(WALK_STAY, -37);
    const long before = Lip.lastRequest.walkCalls;
    skill.WalkGoalie(Vector(-10, 0, 0), false);
    EXPECT_EQ(Lip.lastRequest.walkCalls, before + 1);
}

TEST_F(SkillWalk, FormationPositionBehindIsReachedBackwards) {
    Stand(0, 0, 90);
    EXPECT_FALSE(skill.walkToFormationPos(Vector(-3, 0, 0)));
    ExpectWalk(WALK_STAY, -90);
    Stand(0, 0, 25);
    skill.walkToFormationPos(Vector(-3, 0, 0));
    ExpectWalk(WALK_B, -25);
    SeeBall(2, -40);
    EXPECT_TRUE(skill.walkToFormationPos(Vector(-0.5, 0.5, 0)));
    ExpectWalk(WALK_STAY, -40);
}

}  // namespace
