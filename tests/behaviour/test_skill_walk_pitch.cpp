// The walking skills on the practice pitch: from a standing start at the centre each one
// reaches targets 1, 3 and 8 m away all round, stays there, and takes a path not much
// longer than the straight line.
#include <cstdio>

#include "behaviour/skill.h"
#include "runtime/corvane.h"
#include "test_skill_pitch.h"

namespace {

Vector gTarget;
bool gArrived = false;
constexpr double kFreeStopM = 0.3;  // where a caller of the free walk stops it

// Open play moves the head with the gaze every cycle; the walks rely on the position fix it
// keeps up.
void FreeWalkStep() {
    gArrived = WorldModel::GetDistInXY(wm.m_vSelfPos, gTarget) < kFreeStopM;
    if (gArrived) Lip.StopWalk(0, false);
    else skill.WalkToFree(gTarget, false);
    skill.Watch();
}
void DefendStep() {
    gArrived = skill.WalkDefend(gTarget, false);
    skill.Watch();
}
void FormationStep() {
    gArrived = skill.walkToFormationPos(gTarget);
    skill.Watch();
}

struct SkillRun {
    const char* name;
    void (*step)();
    double arrivalM;
};
const SkillRun kSkills[] = {
    {"WalkToFree", FreeWalkStep, kFreeStopM}, {"WalkDefend", DefendStep, 0.25}, {"walkToFormationPos", FormationStep, 1.0}};

class WalkOnPitch : public testing::TestWithParam<SkillRun> {};

// From the centre circle, facing a side line 3 m or more away, the robot has at most one
// landmark in view once the gaze turns to the ball: it walks on its own motion and
// arrives. The agent's odometry is set for the league's server, where the robot slides
// on beyond what its legs say; here the feet never slip, so without fixes the estimate
// runs ahead and the robot stops short by up to a tenth of the way (measured); the aim it
// corrects at each fix lengthens the path, and the formation walk, which turns in place
// whenever its aim is off, takes up to 64 s for 8 m.
bool KeepsAFix(double distM, double bearingDeg) { return distM < 2 || std::fabs(bearingDeg) != 90; }

TEST_P(WalkOnPitch, ReachesTargetsAllRoundAndStaysThere) {
    const SkillRun& run = GetParam();
    for (double distM : {1.0, 3.0, 8.0}) {
        for (double bearingDeg : {0.0, 45.0, -45.0, 90.0, -90.0, 180.0}) {
            const double c = std::cos(bearingDeg * kGeometryPi / 180), s = std::sin(bearingDeg * kGeometryPi / 180);
            const double x = distM * c, y = distM * s;
            pitch::Trial trial(0, 0, 0, x + 1.5 * c, y + 1.5 * s);  // the ball beyond the target
            gTarget = Vector(x, y, 0);
            gArrived = false;
            const double limitSec = KeepsAFix(distM, bearingDeg) ? 12 + 5 * distM : 12 + 8 * distM;
            const pitch::Track t = trial.Run(run.step, [] { return gArrived; }, limitSec);
            const double missM = trial.DistM(x, y);
            trial.Run(run.step, [] { return false; }, 1.0);
            const double laterM = trial.DistM(x, y);
            std::printf("%s dist=%.0f bearing=%.0f arrived=%d t=%.2fs path=%.2fm miss=%.2fm 1s later=%.2fm\n",
                        run.name, distM, bearingDeg, t.done, t.seconds, t.pathM, missM, laterM);
            EXPECT_FALSE(trial.Me().sentNonFinite);
            const double blindM = KeepsAFix(distM, bearingDeg) ? 0.0 : 0.1 * distM;
            EXPECT_TRUE(t.done) << distM << " m at " << bearingDeg;
            EXPECT_LT(missM, run.arrivalM + 0.15 + blindM) << distM << " m at " << bearingDeg;
            EXPECT_LT(laterM, run.arrivalM + 0.2 + blindM) << distM << " m at " << bearingDeg;
            if (KeepsAFix(distM, bearingDeg))
                EXPECT_LT(t.pathM, 1.4 * (distM - run.arrivalM) + 0.5) << distM << " m at " << bearingDeg;
            else
                EXPECT_LT(t.pathM, 1.4 * distM) << distM << " m at " << bearingDeg;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Skills, WalkOnPitch, testing::ValuesIn(kSkills),
                         [](const testing::TestParamInfo<SkillRun>& info) { return std::string(info.param.name); });

}  // namespace
