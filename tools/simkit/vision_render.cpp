// Renders perception messages: the inverse of the world model's reading of sightings,
// written with the server's layout and two-decimal numbers.
#include "simkit/vision_render.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace simkit {

namespace {

constexpr double kRadToDeg = 180.0 / kGeometryPi;

// Absolute server positions: x toward the right-hand goal.
const Vector kLandmarkAbs[kFlagCount] = {
    {-kHalfFieldLengthM, kHalfFieldWidthM, 0}, {-kHalfFieldLengthM, kGoalPostYM, kGoalHeightM}, {-kHalfFieldLengthM, -kGoalPostYM, kGoalHeightM}, {-kHalfFieldLengthM, -kHalfFieldWidthM, 0},
    {kHalfFieldLengthM, kHalfFieldWidthM, 0},  {kHalfFieldLengthM, kGoalPostYM, kGoalHeightM},  {kHalfFieldLengthM, -kGoalPostYM, kGoalHeightM},  {kHalfFieldLengthM, -kHalfFieldWidthM, 0}};
const char* const kLandmarkName[kFlagCount] = {"F1L", "G1L", "G2L", "F2L",
                                               "F1R", "G1R", "G2R", "F2R"};

const char* const kJointName[kJointCount] = {
    "hj1",  "hj2",  "laj1", "raj1", "laj2", "raj2", "laj3", "raj3", "laj4", "raj4", "llj1",
    "rlj1", "llj2", "rlj2", "llj3", "rlj3", "llj4", "rlj4", "llj5", "rlj5", "llj6", "rlj6"};

std::string Num(double v, int decimals) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    return buf;
}

std::string Pol(const Polar& p, int decimals) {
    return "(pol " + Num(p.Px, decimals) + " " + Num(p.Py, decimals) + " " + Num(p.Pz, decimals) + ")";
}

Vector Offset(double x, double y, double facingDeg, double forward, double left, double z) {
    const double f = facingDeg / kRadToDeg;
    return Vector(x + forward * std::cos(f) - left * std::sin(f),
                  y + forward * std::sin(f) + left * std::cos(f), z);
}

bool InView(const VisionScene& scene, const Polar& p) {
    if (scene.halfViewVertDeg > 0 && std::fabs(p.Pz) > scene.halfViewVertDeg) return false;
    return scene.halfViewDeg <= 0 || std::fabs(p.Py) <= scene.halfViewDeg;
}

// The camera's sighting with the scene's noise: about 1 % of the distance and a few tenths
// of a degree, as a real camera's blur would give.
Polar Sighted(const ViewPose& pose, const VisionScene& scene, const Vector& target) {
    Polar p = ObserveFrom(pose, target);
    if (!scene.noise) return p;
    std::normal_distribution<double> unit(0.0, 1.0);
    p.Px = std::max(0.0, p.Px * (1.0 + 0.01 * unit(*scene.noise)));
    p.Py += 0.3 * unit(*scene.noise);
    p.Pz += 0.3 * unit(*scene.noise);
    return p;
}

std::string RenderPlayer(const ViewPose& pose, const VisionScene& scene, const SeenPlayer& pl) {
    const std::pair<const char*, const std::optional<Vector>*> parts[] = {
        {"head", &pl.head},   {"rlowerarm", &pl.rlowerarm}, {"llowerarm", &pl.llowerarm},
        {"rfoot", &pl.rfoot}, {"lfoot", &pl.lfoot}};
    std::string body;
    for (const auto& part : parts) {
        if (!*part.second) continue;
        const Polar p = Sighted(pose, scene, **part.second);
        if (!InView(scene, p)) continue;
        body += " (" + std::string(part.first) + " " + Pol(p, scene.decimals) + ")";
    }
    if (body.empty()) return std::string();
    return " (P (team " + pl.team + ") (id " + std::to_string(pl.id) + ")" + body + ")";
}

}  // namespace

SeenPlayer StandingPlayer(const std::string& team, int id, double x, double y, double facingDeg) {
    SeenPlayer p;
    p.team = team;
    p.id = id;
    p.head = Vector(x, y, 0.54);
    p.llowerarm = Offset(x, y, facingDeg, 0, 0.1, 0.3);
    p.rlowerarm = Offset(x, y, facingDeg, 0, -0.1, 0.3);
    p.lfoot = Offset(x, y, facingDeg, 0, 0.055, 0.02);
    p.rfoot = Offset(x, y, facingDeg, 0, -0.055, 0.02);
    return p;
}

SeenPlayer LyingPlayer(const std::string& team, int id, double x, double y, double facingDeg) {
    SeenPlayer p;
    p.team = team;
    p.id = id;
    p.head = Offset(x, y, facingDeg, 0.25, 0, 0.06);
    p.llowerarm = Offset(x, y, facingDeg, 0.1, 0.1, 0.05);
    p.rlowerarm = Offset(x, y, facingDeg, 0.1, -0.1, 0.05);
    p.lfoot = Offset(x, y, facingDeg, -0.3, 0.055, 0.04);
    p.rfoot = Offset(x, y, facingDeg, -0.3, -0.055, 0.04);
    return p;
}

Polar ObserveFrom(const ViewPose& pose, const Vector& target) {
    const Vector d = target - Vector(pose.x, pose.y, pose.cameraZ);
    const double dist = d.GetMod();
    const double faceDeg = pose.bodyDeg + pose.headYawDeg;
    const double horiz = NormalizeAngleDeg(d.GetXYAngle() - faceDeg);
    const double vert = dist > 0 ? std::asin(d.Vz / dist) * kRadToDeg - pose.headPitchDeg : 0.0;
    return Polar(dist, horiz, vert);
}

Vector LandmarkInTeamFrame(Flag_ID id, bool bIsLeft) {
    const Vector& a = kLandmarkAbs[id];
    return bIsLeft ? a : Vector(-a.Vx, -a.Vy, a.Vz);
}

namespace {

constexpr double kCircleRadius = 2.0;
constexpr int kCircleSegments = 10;
constexpr double kPenaltyDepth = 1.8;
constexpr double kPenaltyHalfWidth = 1.95;

std::vector<FieldLine> MakeFieldLines() {
    std::vector<FieldLine> lines = {
        {-kHalfFieldLengthM, kHalfFieldWidthM, kHalfFieldLengthM, kHalfFieldWidthM}, {-kHalfFieldLengthM, -kHalfFieldWidthM, kHalfFieldLengthM, -kHalfFieldWidthM}, {-kHalfFieldLengthM, -kHalfFieldWidthM, -kHalfFieldLengthM, kHalfFieldWidthM},
        {kHalfFieldLengthM, -kHalfFieldWidthM, kHalfFieldLengthM, kHalfFieldWidthM}, {0, -kHalfFieldWidthM, 0, kHalfFieldWidthM}};
    for (double end : {-kHalfFieldLengthM, kHalfFieldLengthM}) {
        const double front = end - std::copysign(kPenaltyDepth, end);
        lines.push_back({end, kPenaltyHalfWidth, front, kPenaltyHalfWidth});
        lines.push_back({front, kPenaltyHalfWidth, front, -kPenaltyHalfWidth});
        lines.push_back({front, -kPenaltyHalfWidth, end, -kPenaltyHalfWidth});
    }
    for (int k = 0; k < kCircleSegments; ++k) {
        const double a0 = 2 * kGeometryPi * k / kCircleSegments;
        const double a1 = 2 * kGeometryPi * (k + 1) / kCircleSegments;
        lines.push_back({kCircleRadius * std::cos(a0), kCircleRadius * std::sin(a0),
                         kCircleRadius * std::cos(a1), kCircleRadius * std::sin(a1)});
    }
    return lines;
}

// Keeps the part of [t0, t1] where f0 + (f1 - f0) t >= 0.
bool KeepNonNegative(double f0, double f1, double& t0, double& t1) {
    if (f0 < 0 && f1 < 0) return false;
    if (f0 >= 0 && f1 >= 0) return t0 <= t1;
    const double root = f0 / (f0 - f1);
    if (f0 < 0) t0 = std::max(t0, root);
    else t1 = std::min(t1, root);
    return t0 <= t1;
}

// Roots of |d + t e| = r; false when the line never comes that close.
bool CircleRoots(double dx, double dy, double ex, double ey, double r, double& lo, double& hi) {
    const double a = ex * ex + ey * ey;
    const double b = 2 * (dx * ex + dy * ey);
    const double c = dx * dx + dy * dy - r * r;
    const double disc = b * b - 4 * a * c;
    if (a <= 0 || disc < 0) return false;
    lo = (-b - std::sqrt(disc)) / (2 * a);
    hi = (-b + std::sqrt(disc)) / (2 * a);
    return true;
}

// Ground ranges the camera's vertical view covers: ground at horizontal range r is seen
// at -atan(h / r) - pitch.
void VerticalRange(const ViewPose& pose, double halfDeg, double& rMin, double& rMax) {
    const double h = pose.cameraZ;
    const double upper = halfDeg - pose.headPitchDeg;   // largest depression seen
    const double lower = -halfDeg - pose.headPitchDeg;  // smallest depression seen
    rMin = upper >= 90 ? 0.0 : (upper <= 0 ? 1e9 : h / std::tan(upper / kRadToDeg));
    rMax = lower <= 0 ? 1e9 : (lower >= 90 ? 0.0 : h / std::tan(lower / kRadToDeg));
}

bool ClipToRange(double dx, double dy, double ex, double ey, double rMin, double rMax, double& t0,
                 double& t1) {
    double lo = 0, hi = 0;
    if (rMax < 1e9) {
        if (!CircleRoots(dx, dy, ex, ey, rMax, lo, hi)) return false;
        t0 = std::max(t0, lo);
        t1 = std::min(t1, hi);
        if (t0 > t1) return false;
    }
    if (rMin > 0 && CircleRoots(dx, dy, ex, ey, rMin, lo, hi) && lo < t1 && hi > t0) {
        // The near disc cuts the segment: keep the longer of the two pieces left.
        if (lo - t0 >= t1 - hi) t1 = lo;
        else t0 = hi;
    }
    return t0 < t1;
}

}  // namespace

const std::vector<FieldLine>& FieldLines() {
    static const std::vector<FieldLine> lines = MakeFieldLines();
    return lines;
}

bool ClipToView(const ViewPose& pose, const VisionScene& scene, double ax, double ay, double bx,
                double by, double& t0, double& t1) {
    const double face = (pose.bodyDeg + pose.headYawDeg) / kRadToDeg;
    const double c = std::cos(face), s = std::sin(face);
    // Camera frame: u forward, w to the left.
    const double au = c * (ax - pose.x) + s * (ay - pose.y), aw = -s * (ax - pose.x) + c * (ay - pose.y);
    const double bu = c * (bx - pose.x) + s * (by - pose.y), bw = -s * (bx - pose.x) + c * (by - pose.y);
    t0 = 0.0;
    t1 = 1.0;
    if (scene.halfViewDeg > 0 && scene.halfViewDeg < 90) {
        const double sh = std::sin(scene.halfViewDeg / kRadToDeg), ch = std::cos(scene.halfViewDeg / kRadToDeg);
        if (!KeepNonNegative(au * sh - aw * ch, bu * sh - bw * ch, t0, t1)) return false;
        if (!KeepNonNegative(au * sh + aw * ch, bu * sh + bw * ch, t0, t1)) return false;
    }
    if (scene.halfViewVertDeg <= 0) return t0 < t1;
    double rMin = 0, rMax = 0;
    VerticalRange(pose, scene.halfViewVertDeg, rMin, rMax);
    return ClipToRange(au, aw, bu - au, bw - aw, rMin, rMax, t0, t1);
}

namespace {

std::string RenderLines(const ViewPose& pose, const VisionScene& scene) {
    std::string out;
    const double m = scene.bIsLeft ? 1.0 : -1.0;
    for (const FieldLine& l : FieldLines()) {
        const double ax = m * l.x1, ay = m * l.y1, bx = m * l.x2, by = m * l.y2;
        double t0 = 0, t1 = 0;
        if (!ClipToView(pose, scene, ax, ay, bx, by, t0, t1)) continue;
        const Vector a(ax + t0 * (bx - ax), ay + t0 * (by - ay), 0.0);
        const Vector b(ax + t1 * (bx - ax), ay + t1 * (by - ay), 0.0);
        out += " (L " + Pol(Sighted(pose, scene, a), scene.decimals) + " " +
               Pol(Sighted(pose, scene, b), scene.decimals) + ")";
    }
    return out;
}

}  // namespace

std::string RenderSee(const ViewPose& pose, const VisionScene& scene) {
    std::string see = "(See";
    if (scene.landmarks) {
        for (int f = 0; f < kFlagCount; ++f) {
            const Polar p = Sighted(pose, scene, LandmarkInTeamFrame(static_cast<Flag_ID>(f), scene.bIsLeft));
            if (InView(scene, p))
                see += " (" + std::string(kLandmarkName[f]) + " " + Pol(p, scene.decimals) + ")";
        }
    }
    if (scene.ball) {
        const Polar p = Sighted(pose, scene, *scene.ball);
        if (InView(scene, p)) see += " (B " + Pol(p, scene.decimals) + ")";
    }
    for (const SeenPlayer& pl : scene.players) see += RenderPlayer(pose, scene, pl);
    if (scene.lines) see += RenderLines(pose, scene);
    return see + ")";
}

namespace {

void FillPart(const ViewPose& pose, const VisionScene& scene, const std::optional<Vector>& where,
              PolPosInfo& out) {
    out.bCanSee = false;
    if (!where) return;
    const Polar p = ObserveFrom(pose, *where);
    if (!InView(scene, p)) return;
    out.PolPos = p;
    out.bCanSee = true;
}

}  // namespace

void FillSightings(const ViewPose& pose, const VisionScene& scene, MsgParse& parse) {
    parse.m_bThisCycleHaveSeeInfo = true;
    parse.m_HJ[JID_HEAD_1].fAngle = pose.headYawDeg;
    parse.m_HJ[JID_HEAD_2].fAngle = pose.headPitchDeg;
    for (int f = 0; f < kFlagCount; ++f) {
        std::optional<Vector> where;
        if (scene.landmarks) where = LandmarkInTeamFrame(static_cast<Flag_ID>(f), scene.bIsLeft);
        FillPart(pose, scene, where, parse.m_PolFlagPos[f]);
    }
    FillPart(pose, scene, scene.ball, parse.m_PolBallPos);
    for (PlayerPosInfo* list : {parse.m_vTeamMate, parse.m_vOpponent})
        for (int k = 0; k < 11; ++k) list[k].bValid = false;
    for (const SeenPlayer& pl : scene.players) {
        if (pl.id < 1 || pl.id > 11) continue;
        PlayerPosInfo& rec = (pl.team == parse.m_sTeamName ? parse.m_vTeamMate : parse.m_vOpponent)[pl.id - 1];
        FillPart(pose, scene, pl.head, rec.mHead);
        FillPart(pose, scene, pl.rlowerarm, rec.mRLowerArm);
        FillPart(pose, scene, pl.llowerarm, rec.mLLowerArm);
        FillPart(pose, scene, pl.rfoot, rec.mRFoot);
        FillPart(pose, scene, pl.lfoot, rec.mLFoot);
        rec.bValid = rec.mHead.bCanSee || rec.mRLowerArm.bCanSee || rec.mLLowerArm.bCanSee ||
                     rec.mRFoot.bCanSee || rec.mLFoot.bCanSee;
        rec.dTime = parse.m_dServerTime;
    }
}

namespace {

std::string Joint(const PerceptText& text, const ViewPose& pose, int j) {
    double deg = text.jointsDeg[j];
    if (j == JID_HEAD_1) deg = pose.headYawDeg;
    if (j == JID_HEAD_2) deg = pose.headPitchDeg;
    return "(HJ (n " + std::string(kJointName[j]) + ") (ax " + Num(deg, 2) + "))";
}

std::string Foot(const char* name, double force) {
    if (force <= 0) return std::string();
    return "(FRP (n " + std::string(name) + ") (c 0.00 -0.01 -0.01) (f 0.00 0.00 " + Num(force, 2) + "))";
}

std::string Triple(const std::array<double, 3>& v) {
    return Num(v[0], 2) + " " + Num(v[1], 2) + " " + Num(v[2], 2);
}

}  // namespace

std::string RenderMessage(const PerceptText& text, const ViewPose& pose, const VisionScene& scene) {
    std::string msg = "(time (now " + Num(text.serverTime, 2) + "))" + text.gameState;
    for (const std::string& h : text.heard) msg += h;
    msg += "(GYR (n torso) (rt " + Triple(text.gyro) + "))";
    msg += "(ACC (n torso) (a " + Triple(text.acc) + "))";
    msg += Joint(text, pose, JID_HEAD_1) + Joint(text, pose, JID_HEAD_2);
    if (text.withVision) msg += RenderSee(pose, scene);
    for (int j : {JID_RARM_1, JID_RARM_2, JID_RARM_3, JID_RARM_4, JID_LARM_1, JID_LARM_2,
                  JID_LARM_3, JID_LARM_4, JID_RLEG_1, JID_RLEG_2, JID_RLEG_3, JID_RLEG_4, JID_RLEG_5})
        msg += Joint(text, pose, j);
    msg += Foot("rf", text.rightFootForce) + Joint(text, pose, JID_RLEG_6);
    for (int j : {JID_LLEG_1, JID_LLEG_2, JID_LLEG_3, JID_LLEG_4, JID_LLEG_5})
        msg += Joint(text, pose, j);
    msg += Foot("lf", text.leftFootForce) + Joint(text, pose, JID_LLEG_6);
    return msg;
}

}  // namespace simkit
