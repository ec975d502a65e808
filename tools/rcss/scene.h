// Ground truth from the simulator's monitor stream: the environment block (game time, play
// mode, score) and the scene graph, full ("RSG") or as changes to the last one ("RDS"),
// turned into every robot's pose and the ball's position. No globals.
#pragma once
#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace rcss {

enum class TeamSide { Left, Right, Unknown };

struct RobotTruth {
    TeamSide side = TeamSide::Unknown;
    int unum = 0;               // 0 until the scene shows it
    double x = 0, y = 0, z = 0; // torso, field frame, metres
    double headingDeg = 0;      // body's forward axis, counter-clockwise from +x
    std::array<double, 3> up{0, 0, 1};  // torso's up vector
    // Centres of the foot bodies, field frame, metres; zeros until the scene shows them.
    std::array<double, 3> leftFoot{}, rightFoot{};
    bool Lying() const { return up[2] < 0.5; }
};

struct GroundTruth {
    long message = 0;  // monitor messages read so far (about one per two cycles)
    double gameTime = 0;
    int half = 1;
    std::string playMode;  // as the server names it, e.g. "PlayOn", "Goal_Left"
    int scoreLeft = 0, scoreRight = 0;
    double ballX = 0, ballY = 0, ballZ = 0;
    std::vector<RobotTruth> robots;  // in the order they connected
    const RobotTruth* Find(TeamSide side, int unum) const;
};

// A parsed S-expression: an atom, or a list of them.
struct SExp {
    std::string atom;
    std::vector<SExp> list;
    bool IsAtom() const { return !atom.empty(); }
};

// Top-level expressions of a text; false on unbalanced brackets or nesting past 64.
bool ParseSExps(std::string_view text, std::vector<SExp>& out);

class SceneReader {
public:
    // One monitor message; false when it is not one (the state then stays as it was).
    bool Apply(std::string_view message);
    const GroundTruth& Truth() const { return truth_; }

    struct Node {
        std::string kind;         // "TRF", "StaticMesh", "SMN", ...
        bool hasTransform = false;
        std::array<double, 16> slt{};
        std::string mesh;                    // the model a mesh node loads
        std::vector<std::string> materials;  // what it is painted with
        std::vector<Node> kids;
    };

private:
    void ApplyEnvironment(const SExp& block);
    void Derive();
    std::vector<std::string> playModes_;
    int playModeIndex_ = 0;
    Node root_;
    bool haveScene_ = false;
    GroundTruth truth_;
};

}  // namespace rcss
