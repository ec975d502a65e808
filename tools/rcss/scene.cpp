// Reading the monitor stream: S-expressions, the environment block and the scene graph.
#include "rcss/scene.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

#include "geometry/geometry.h"

namespace rcss {
namespace {

constexpr int kMaxDepth = 64;
constexpr double kRadToDeg = 180.0 / kFullPi;

bool ParseList(std::string_view text, size_t& at, int depth, SExp& out);

bool ParseOne(std::string_view text, size_t& at, int depth, SExp& out) {
    if (text[at] == '(') return ParseList(text, at, depth + 1, out);
    const size_t start = at;
    while (at < text.size() && text[at] != '(' && text[at] != ')' && !std::isspace(static_cast<unsigned char>(text[at])))
        ++at;
    out.atom.assign(text.substr(start, at - start));
    return true;
}

bool ParseList(std::string_view text, size_t& at, int depth, SExp& out) {
    if (depth > kMaxDepth) return false;
    ++at;  // '('
    for (;;) {
        while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
        if (at >= text.size()) return false;
        if (text[at] == ')') {
            ++at;
            return true;
        }
        out.list.emplace_back();
        if (!ParseOne(text, at, depth, out.list.back())) return false;
    }
}

double Number(const SExp& e) { return e.IsAtom() ? std::strtod(e.atom.c_str(), nullptr) : 0.0; }

const std::string& Head(const SExp& e) {
    static const std::string none;
    return !e.list.empty() && e.list[0].IsAtom() ? e.list[0].atom : none;
}

using Node = SceneReader::Node;
using Matrix = std::array<double, 16>;  // column-major, translation in 12..14

const Matrix kIdentity{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

Matrix Compose(const Matrix& a, const Matrix& b) {
    Matrix m{};
    for (int col = 0; col < 4; ++col)
        for (int row = 0; row < 4; ++row)
            for (int k = 0; k < 4; ++k) m[size_t(col * 4 + row)] += a[size_t(k * 4 + row)] * b[size_t(col * 4 + k)];
    return m;
}

// One "(nd ...)" entry: in a full scene "(nd TRF (SLT ...) (nd ...)...)", in an update only
// what changed, "(nd (SLT ...) (nd) ...)", children in the same order.
bool ReadNode(const SExp& e, Node& node, bool full) {
    if (Head(e) != "nd") return false;
    size_t kid = 0;
    for (size_t i = 1; i < e.list.size(); ++i) {
        const SExp& item = e.list[i];
        const std::string& head = Head(item);
        if (item.IsAtom()) {
            if (full) node.kind = item.atom;
        } else if (head == "nd") {
            if (full) node.kids.emplace_back();
            if (kid >= node.kids.size() || !ReadNode(item, node.kids[kid++], full)) return false;
        } else if (head == "SLT" && item.list.size() == 17) {
            node.hasTransform = true;
            for (size_t k = 0; k < 16; ++k) node.slt[k] = Number(item.list[k + 1]);
        } else if (head == "load" && item.list.size() > 1) {
            node.mesh = item.list[1].atom;
        } else if (head == "resetMaterials" || head == "sMat") {
            node.materials.clear();
            for (size_t k = 1; k < item.list.size(); ++k) node.materials.push_back(item.list[k].atom);
        }
    }
    return kid == node.kids.size();
}

bool HasMesh(const Node& n, const char* prefix) { return n.mesh.rfind(prefix, 0) == 0; }

// The torso is the transform whose child transform holds the body mesh, painted with the
// robot's number and team colour ("matNum3", "matLeft").
bool ReadTorsoPaint(const Node& torso, RobotTruth& robot) {
    for (const Node& inner : torso.kids)
        for (const Node& mesh : inner.kids) {
            if (!HasMesh(mesh, "models/naobody")) continue;
            for (const std::string& m : mesh.materials) {
                if (m.rfind("matNum", 0) == 0) robot.unum = std::atoi(m.c_str() + 6);
                if (m == "matLeft") robot.side = TeamSide::Left;
                if (m == "matRight") robot.side = TeamSide::Right;
            }
            return true;
        }
    return false;
}

void SetPose(const Matrix& m, RobotTruth& robot) {
    robot.x = m[12], robot.y = m[13], robot.z = m[14];
    robot.headingDeg = std::atan2(m[5], m[4]) * kRadToDeg;
    robot.up = {m[8], m[9], m[10]};
}

// The body parts are the torso's siblings, each a transform holding its mesh: the feet give
// where a robot's kick meets the ball.
void ReadFeet(const Node& robotRoot, const Matrix& rootWorld, RobotTruth& robot) {
    for (const Node& part : robotRoot.kids)
        for (const Node& mesh : part.kids) {
            const bool left = HasMesh(mesh, "models/lfoot"), right = HasMesh(mesh, "models/rfoot");
            if (!left && !right) continue;
            const Matrix m = part.hasTransform ? Compose(rootWorld, part.slt) : rootWorld;
            (left ? robot.leftFoot : robot.rightFoot) = {m[12], m[13], m[14]};
        }
}

// Walks the scene with the transforms composed from the root: robots in scene order
// (the order in which they connected) and the ball.
void Collect(const Node& node, const Matrix& parent, GroundTruth& truth) {
    const Matrix world = node.hasTransform ? Compose(parent, node.slt) : parent;
    bool robotRoot = false;
    for (const Node& kid : node.kids) {
        if (HasMesh(kid, "models/soccerball")) truth.ballX = world[12], truth.ballY = world[13], truth.ballZ = world[14];
        RobotTruth robot;
        if (!ReadTorsoPaint(kid, robot)) continue;
        SetPose(kid.hasTransform ? Compose(world, kid.slt) : world, robot);
        ReadFeet(node, world, robot);
        truth.robots.push_back(robot);
        robotRoot = true;
    }
    if (robotRoot) return;
    for (const Node& kid : node.kids) Collect(kid, world, truth);
}

}  // namespace

bool ParseSExps(std::string_view text, std::vector<SExp>& out) {
    out.clear();
    size_t at = 0;
    for (;;) {
        while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
        if (at >= text.size()) return true;
        if (text[at] == ')') return false;
        out.emplace_back();
        if (!ParseOne(text, at, 0, out.back())) return false;
    }
}

const RobotTruth* GroundTruth::Find(TeamSide side, int unum) const {
    for (const RobotTruth& r : robots)
        if (r.side == side && r.unum == unum) return &r;
    return nullptr;
}

// "((FieldLength 30)...(play_modes BeforeKickOff ...)(time 0)(half 1)(score_left 0)...)":
// the first message names everything, later ones only what changed.
void SceneReader::ApplyEnvironment(const SExp& block) {
    for (const SExp& item : block.list) {
        const std::string& key = Head(item);
        if (key == "play_modes") {
            playModes_.clear();
            for (size_t i = 1; i < item.list.size(); ++i) playModes_.push_back(item.list[i].atom);
        }
        if (item.list.size() < 2) continue;
        const double value = Number(item.list[1]);
        if (key == "time") truth_.gameTime = value;
        if (key == "half") truth_.half = int(value);
        if (key == "score_left") truth_.scoreLeft = int(value);
        if (key == "score_right") truth_.scoreRight = int(value);
        if (key == "play_mode") playModeIndex_ = int(value);
    }
    truth_.playMode = playModeIndex_ >= 0 && size_t(playModeIndex_) < playModes_.size()
                          ? playModes_[size_t(playModeIndex_)]
                          : std::to_string(playModeIndex_);
}

// "(ENVIRONMENT)(RSG 0 1)(SCENE)" or "(CHANGES)(RDS 0 1)(SCENE CHANGES)".
bool SceneReader::Apply(std::string_view message) {
    std::vector<SExp> parts;
    if (!ParseSExps(message, parts) || parts.size() < 3 || parts[0].IsAtom()) return false;
    const std::string& kind = Head(parts[1]);
    if (kind != "RSG" && kind != "RDS") return false;
    if (kind == "RDS" && !haveScene_) return false;
    ApplyEnvironment(parts[0]);
    ++truth_.message;
    const bool full = kind == "RSG";
    SExp root = parts[2];
    root.list.insert(root.list.begin(), SExp{"nd", {}});
    if (full) root_ = Node{};
    const bool ok = ReadNode(root, root_, full);
    haveScene_ = ok || (haveScene_ && !full);
    if (ok) Derive();
    return true;
}

void SceneReader::Derive() {
    truth_.robots.clear();
    Collect(root_, kIdentity, truth_);
}

}  // namespace rcss
