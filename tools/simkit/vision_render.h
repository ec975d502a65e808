// Renderer of perception messages for the practice pitch and the tests: the text the
// simulation server would send to a robot at a given pose, with landmarks, field lines, ball
// and other robots' body parts in the server's camera-relative polar form. All positions are in the observing team's frame
// (own goal at negative x); landmark names come out absolute, as the server sends them.
#pragma once
#include <array>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "geometry/geometry.h"
#include "perception/msgparse.h"

namespace simkit {

// Where the camera is and where it looks. Degrees are global (counter-clockwise from +x)
// for the body, relative to the torso for the head joints.
struct ViewPose {
    double x = 0.0;
    double y = 0.0;
    double cameraZ = 0.54;  // camera above the ground, metres
    double bodyDeg = 0.0;
    double headYawDeg = 0.0;
    double headPitchDeg = 0.0;
};

// Another robot as the camera sees it: any subset of its five body parts.
struct SeenPlayer {
    std::string team;
    int id = 0;
    std::optional<Vector> head, rlowerarm, llowerarm, rfoot, lfoot;
};

// A robot standing upright at (x, y) facing facingDeg, all five parts present.
SeenPlayer StandingPlayer(const std::string& team, int id, double x, double y, double facingDeg);
// The same robot lying on the ground (every part within a few centimetres of the turf).
SeenPlayer LyingPlayer(const std::string& team, int id, double x, double y, double facingDeg);

struct VisionScene {
    bool bIsLeft = true;  // side of the observing team
    std::optional<Vector> ball;  // ball centre
    std::vector<SeenPlayer> players;
    bool landmarks = true;
    double halfViewDeg = 60.0;  // objects farther off the camera axis are not seen; <= 0: all
    double halfViewVertDeg = 0.0;  // the same above and below the axis; <= 0: no limit
    bool lines = false;            // field lines, each clipped to what the camera covers
    std::mt19937_64* noise = nullptr;  // when set, every sighting is perturbed from it
    int decimals = 2;           // the server writes two
};

// A field line in absolute server coordinates (ground level).
struct FieldLine {
    double x1, y1, x2, y2;
};
const std::vector<FieldLine>& FieldLines();

// The part of a ground segment (team frame) the camera covers, as fractions t0 <= t1 of the
// way from (ax, ay) to (bx, by); false when none of it is in view.
bool ClipToView(const ViewPose& pose, const VisionScene& scene, double ax, double ay, double bx,
                double by, double& t0, double& t1);

// The sighting of `target` from the camera, as the world model interprets sightings:
// horizontal angle from the camera direction, vertical angle corrected by head pitch only.
Polar ObserveFrom(const ViewPose& pose, const Vector& target);

// Absolute server position of landmark `id` turned into the team frame of `bIsLeft`.
Vector LandmarkInTeamFrame(Flag_ID id, bool bIsLeft);

// "(See ...)" for the scene, without lines.
std::string RenderSee(const ViewPose& pose, const VisionScene& scene);

// The parser's vision records as they would be after parsing RenderSee's text (without
// the two-decimal rounding): landmarks, ball, players (team-mates when their team is
// parse.m_sTeamName), the vision flag and the head joint angles. Other records are kept.
void FillSightings(const ViewPose& pose, const VisionScene& scene, MsgParse& parse);

// Everything in a message besides what the camera sees.
struct PerceptText {
    double serverTime = 0.0;
    std::string gameState = "(GS (t 0.00) (pm PlayOn))";
    std::array<double, 3> gyro{{0.0, 0.0, 0.0}};
    std::array<double, 3> acc{{0.0, 0.0, 9.81}};
    std::array<double, kJointCount> jointsDeg{};  // head entries are taken from the pose
    double leftFootForce = 22.6;  // <= 0: no record (the foot is in the air)
    double rightFootForce = 22.6;
    std::vector<std::string> heard;  // whole "(hear ...)" clauses
    bool withVision = true;
};

// One whole perception message in the server's order.
std::string RenderMessage(const PerceptText& text, const ViewPose& pose, const VisionScene& scene);

}  // namespace simkit
