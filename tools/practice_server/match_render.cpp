// The perception message of one agent: clock, game state, what it hears, its sensors and
// joints, and every third cycle what its camera sees, all in its own team's frame.
#include <cmath>
#include <cstdio>

#include "geometry/geometry.h"
#include "practice_server/match_state.h"

namespace practice {

namespace {

constexpr double kHalfViewDeg = 60.0;

std::string GameState(const Match::State& s, const Peer& peer, const SimRobot& robot) {
    char gs[200];
    const char* mode = s.world.referee.Mode().c_str();
    const int left = s.world.referee.Score(Side::Left), right = s.world.referee.Score(Side::Right);
    if (peer.announce) {
        std::snprintf(gs, sizeof gs, "(GS (unum %d) (team %s) (sl %d) (sr %d) (t %.2f) (pm %s))", robot.info.unum,
                      SideName(robot.info.side), left, right, s.world.referee.GameTime(), mode);
    } else {
        std::snprintf(gs, sizeof gs, "(GS (sl %d) (sr %d) (t %.2f) (pm %s))", left, right, s.world.referee.GameTime(), mode);
    }
    return gs;
}

// "(hear TEAM TIME self|DIRECTION TEXT)": the direction is the speaker's bearing from the
// listener's body, degrees to the left.
std::string Hear(const Match::State& s, const SimRobot& listener, int listenerIndex, const Said& said) {
    char clause[128];
    if (said.robot < 0) {
        // Injected: it claims to come from the listener's own team, from anywhere.
        std::snprintf(clause, sizeof clause, "(hear %s %.2f %.2f %s)", listener.info.team.c_str(),
                      s.world.referee.GameTime(), said.directionDeg, said.text.c_str());
        return clause;
    }
    const SimRobot& speaker = *s.world.robots[size_t(said.robot)];
    if (said.robot == listenerIndex) {
        std::snprintf(clause, sizeof clause, "(hear %s %.2f self %s)", speaker.info.team.c_str(),
                      s.world.referee.GameTime(), said.text.c_str());
    } else {
        const double bearing = std::atan2(speaker.info.y - listener.info.y, speaker.info.x - listener.info.x) * 180.0 / kFullPi;
        std::snprintf(clause, sizeof clause, "(hear %s %.2f %.2f %s)", speaker.info.team.c_str(),
                      s.world.referee.GameTime(), NormalizeAngleDeg(bearing - listener.info.bodyDeg), said.text.c_str());
    }
    return clause;
}

}  // namespace

std::string Match::State::Perception(const Peer& peer, const std::vector<Said>& heard) {
    const SimRobot& robot = *world.robots[size_t(peer.robot)];
    const bool onField = robot.info.unum > 0;
    simkit::PerceptText text;
    text.serverTime = world.serverTime;
    text.gameState = GameState(*this, peer, robot);
    if (onField) {
        for (const Said& said : heard) text.heard.push_back(Hear(*this, robot, peer.robot, said));
    }
    robot.Sensors(text);
    for (int j = 0; j < kJointCount; ++j) text.jointsDeg[size_t(j)] = robot.joints.AngleDeg(j);
    text.withVision = onField && world.cycle % 3 == 0;
    const simkit::ViewPose pose = robot.CameraInTeamFrame();
    simkit::VisionScene scene;
    if (text.withVision) {
        const Side side = robot.info.side;
        scene.bIsLeft = side == Side::Left;
        scene.ball = Vector(SideX(side, world.ball.x), SideX(side, world.ball.y), kBallRadius);
        scene.lines = true;
        scene.halfViewDeg = kHalfViewDeg;
        scene.halfViewVertDeg = kHalfViewDeg;
        if (options.visionNoise) scene.noise = &world.rng;
        for (const auto& other : world.robots)
            if (other.get() != &robot && other->info.unum > 0 && other->info.connected)
                scene.players.push_back(other->AsSeenBy(side));
    }
    return simkit::RenderMessage(text, pose, scene);
}

}  // namespace practice
