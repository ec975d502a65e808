// Walking, stopping and getting up on the real server, judged on ground truth: the three
// robot types walk side by side, each in its own lane.
#include <cmath>

#include "realserver/realserver.h"

namespace realserver {
namespace {

struct Lane {
    int unum;  // picks the robot type: 1 -> type 2, 3 -> type 1, 5 -> type 0
    int type;
    double minSpeed;  // m/s, measured figures less a margin for a loaded machine
};
const Lane kLanes[] = {{5, 0, 0.58}, {3, 1, 0.68}, {1, 2, 0.58}};

class Motion : public RealServer {};

TEST_F(Motion, WalkForwardTwentySecondsThenStopStanding) {
    for (size_t k = 0; k < 3; ++k) Probe(kLanes[k].unum, -12, -6 + 6.0 * k, 0, {"--motion=walk_f", "--seconds=20"});
    Begin({5, 3, 1});
    const double start = pitch_.monitor().Truth().gameTime;
    for (auto& p : pitch_.Processes()) EXPECT_EQ(p->Wait(90000), 0);
    pitch_.Stop();
    for (const Lane& lane : kLanes) {
        const Sample a = At(lane.unum, start), b = At(lane.unum, start + 20), end = Final(lane.unum);
        const double speed = std::hypot(b.robot.x - a.robot.x, b.robot.y - a.robot.y) / 20.0;
        const int falls = tally_.Find(TeamSide::Left, lane.unum)->falls;
        const bool ok = falls == 0 && !end.robot.Lying() && speed >= lane.minSpeed;
        Judge(ok, Line("type %d: speed %.3f m/s (at least %.2f), falls %d, ends %s (up z %.2f)", lane.type, speed,
                         lane.minSpeed, falls, end.robot.Lying() ? "lying" : "standing", end.robot.up[2]));
    }
}

TEST_F(Motion, SidewaysBackwardsAndTurnInPlaceStayStanding) {
    // Robot type 0, the type of seven players out of eleven.
    Probe(5, -10, -6, 0, {"--motion=walk_hl", "--seconds=8"});
    Probe(6, -10, 0, 0, {"--motion=walk_b", "--seconds=8"});
    Probe(7, -10, 6, 0, {"--motion=walk_stay", "--turn=40", "--seconds=10"});
    Begin({5, 6, 7});
    for (auto& p : pitch_.Processes()) EXPECT_EQ(p->Wait(60000), 0);
    pitch_.Stop();
    const char* names[] = {"sideways", "backwards", "turn in place"};
    const int unums[] = {5, 6, 7};
    for (int k = 0; k < 3; ++k) {
        const rcss::RobotTruth first = Track(unums[k]).front().robot, end = Final(unums[k]).robot;
        const int falls = tally_.Find(TeamSide::Left, unums[k])->falls;
        Judge(falls == 0 && !end.Lying(),
              Line("%s: falls %d, moved %.2f m, heading %.0f -> %.0f deg, ends %s (up z %.2f)", names[k], falls,
                     std::hypot(end.x - first.x, end.y - first.y), first.headingDeg, end.headingDeg,
                     end.Lying() ? "lying" : "standing", end.up[2]));
    }
}

TEST_F(Motion, GetsUpWithinFiveSecondsAfterTheBigKick) {
    // The probe kicks again once up, and so on: the first fall and rise are the figure.
    Probe(5, -5, 0, 0, {"--motion=bigkick"});
    Begin({5});
    PlayUntil(10);
    pitch_.Stop();
    double fellAt = -1, upAt = -1;
    for (const Sample& s : Track(5)) {
        if (fellAt < 0 && s.robot.up[2] < 0.5) fellAt = s.gameTimeSec;
        if (fellAt >= 0 && upAt < 0 && s.robot.up[2] > 0.9 && s.robot.z > 0.3) upAt = s.gameTimeSec;
    }
    const double took = upAt - fellAt;
    Judge(fellAt >= 0 && upAt >= 0 && took <= 5.0,
          Line("lying at %.2f s, standing at %.2f s: %.2f s to get up (at most 5)", fellAt, upAt, took));
}

}  // namespace
}  // namespace realserver
