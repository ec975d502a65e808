// Body model set-up, forward kinematics and the analytic leg solver.
// Global: `gNao` (defined in corvane.cpp); UpdateLink reads `wm.m_HJ`; writes only gNao.
#include "motion/nao.h"

#include <cmath>
#include <string>

#include "runtime/corvane.h"
#include "worldmodel/worldmodel.h"

using salt::Matrix;
using salt::Vector3f;

namespace {

constexpr float kPi = static_cast<float>(kFullPi);

// A leg stretched to exactly A + B must be refused, but in float its knee cosine lands
// a few units of the last place either side of 1; this margin (a knee of about 0.08
// degree) makes the refusal independent of that rounding.
constexpr float kStretchMargin = 1e-6f;

// Joint k (1..6) of a leg; the enumeration interleaves left and right.
int LegJoint(bool left, int k) {
    return (left ? JID_LLEG_1 : JID_RLEG_1) + 2 * (k - 1);
}

int ArmJoint(bool left, int k) {
    return (left ? JID_LARM_1 : JID_RARM_1) + 2 * (k - 1);
}

// Hip angles come out of atan2 over a half-turn range; the joints only reach a half turn.
float WrapHalfPi(float x) {
    if (x > kPi / 2) return x - kPi;
    if (x < -kPi / 2) return x + kPi;
    return x;
}

struct HipAngles {
    float yaw, roll, pitch;
};

// Hip yaw-pitch, roll and pitch from the hip's own rotation Rh; the yaw-pitch axis is
// the 45-degree one, whose components are written with four digits on purpose.
HipAngles SolveHip(const Matrix& rh, bool left) {
    HipAngles h;
    if (left) {
        h.pitch = WrapHalfPi(std::atan2(rh(2, 1) + rh(0, 1), rh(0, 2) + rh(2, 2)));
        const float t = (rh(0, 2) + rh(2, 2)) / std::cos(h.pitch);
        h.yaw = WrapHalfPi(-std::atan2(rh(1, 0) / (-0.7071f * t), (rh(2, 0) - rh(0, 0)) / t));
        const float u = 2 * rh(0, 0) - std::cos(h.yaw) * t;
        h.roll = WrapHalfPi(std::atan2(t - u, t + u));
    } else {
        h.pitch = WrapHalfPi(std::atan2(rh(0, 1) - rh(2, 1), rh(0, 2) - rh(2, 2)));
        const float t = (rh(2, 2) - rh(0, 2)) / std::cos(h.pitch);
        h.yaw = WrapHalfPi(std::atan2(rh(1, 0) / (0.7071f * t), (rh(2, 0) + rh(0, 0)) / t));
        const float u = 2 * rh(0, 0) - std::cos(h.yaw) * t;
        h.roll = WrapHalfPi(std::atan2(u - t, u + t));
    }
    return h;
}

}  // namespace

Nao::Nao() {
    SetupLinks();
}

void Nao::SetupLeg(bool left) {
    const std::string side = left ? "l" : "r";
    const Vector3f zero;
    const Vector3f pitchAxis(1, 0, 0);
    const Vector3f rollAxis(0, 1, 0);
    const Vector3f thighC(ThighRelHip2_X, ThighRelHip2_Y, ThighRelHip2_Z);
    const Vector3f kneeC(0.0f, 0.01f, -0.045f);
    const Vector3f footC(FootRelAnkle_X, FootRelAnkle_Y, FootRelAnkle_Z);
    const Vector3f hipAxis(Hip1Axis_X, Hip1Axis_Y, left ? -Hip1Axis_Z : Hip1Axis_Z);
    const Vector3f hipPos(left ? -Hip1RelTorso_X : Hip1RelTorso_X, Hip1RelTorso_Y, Hip1RelTorso_Z);
    const Vector3f hip2Pos(Hip2RelHip1_X, Hip2RelHip1_Y, Hip2RelHip1_Z);
    const Vector3f shankPos(ShankRelThigh_X, ShankRelThigh_Y, ShankRelThigh_Z);
    const Vector3f anklePos(AnkleRelShank_X, AnkleRelShank_Y, AnkleRelShank_Z);
    // Per joint 1..6: axis, offset from the mother's body centre, own body centre.
    const Vector3f axes[6] = {hipAxis, rollAxis, pitchAxis, pitchAxis, pitchAxis, rollAxis};
    const Vector3f offsets[6] = {hipPos, hip2Pos, zero, shankPos - kneeC, anklePos, zero};
    const Vector3f centres[6] = {zero, zero, thighC, kneeC, zero, footC};
    int mother = JID_ROOT;
    for (int k = 1; k <= 6; ++k) {
        Link& l = uLINK[LegJoint(left, k)];
        l.name = side + "lj" + std::to_string(k);
        l.eff_name = side + "le" + std::to_string(k);
        l.mother = mother;
        l.child = k < 6 ? LegJoint(left, k + 1) : static_cast<int>(JID_NULL);
        l.sister = JID_NULL;
        l.a = axes[k - 1];
        // Measured joint to joint: the offset from the mother's centre plus that centre.
        l.b = offsets[k - 1] + uLINK[mother].c;
        l.c = centres[k - 1];
        mother = LegJoint(left, k);
    }
}

void Nao::SetupLinks() {
    for (Link& l : uLINK) l = Link();
    uLINK[JID_HEAD_1].name = "hj1", uLINK[JID_HEAD_1].eff_name = "he1";
    uLINK[JID_HEAD_2].name = "hj2", uLINK[JID_HEAD_2].eff_name = "he2";
    for (int k = 1; k <= 4; ++k) {
        for (bool left : {true, false}) {
            const std::string side = left ? "la" : "ra";
            uLINK[ArmJoint(left, k)].name = side + "j" + std::to_string(k);
            uLINK[ArmJoint(left, k)].eff_name = side + "e" + std::to_string(k);
        }
    }
    Link& root = uLINK[JID_ROOT];
    root.name = "j0";
    root.eff_name = "e0";
    root.child = JID_LLEG_1;
    root.p = Vector3f(TorsoInitX, TorsoInitY, TorsoInitZ);
    root.R.Identity();
    SetupLeg(true);
    SetupLeg(false);
    uLINK[JID_LLEG_1].sister = JID_RLEG_1;

    ForwardKinematics(JID_ROOT);
    NAO_A = (uLINK[JID_LLEG_4].p - uLINK[JID_LLEG_3].p).Length();
    NAO_B = (uLINK[JID_LLEG_5].p - uLINK[JID_LLEG_4].p).Length();
    NAO_Dl = uLINK[JID_LLEG_3].p - root.p;
    NAO_Dr = uLINK[JID_RLEG_3].p - root.p;
    NAO_E = -uLINK[JID_LLEG_6].c;
}

void Nao::ForwardKinematics(int j) {
    if (j < 0 || j >= JID_NULL) return;
    Link& l = uLINK[j];
    if (j != JID_ROOT) {
        const Link& mom = uLINK[l.mother];
        l.p = mom.R.Rotate(l.b) + mom.p;
        l.R = mom.R * Rodrigues(l.a, l.q);
    }
    ForwardKinematics(l.child);
    ForwardKinematics(l.sister);
}

void Nao::UpdateLink() {
    UpdateLink(wm.m_HJ);
}

void Nao::UpdateLink(const HJInfo (&joints)[kJointCount]) {
    for (int j = 0; j < kJointCount; ++j) {
        const float q = salt::gDegToRad(static_cast<float>(joints[j].fAngle));
        // A garbled angle from the network keeps the previous one instead of poisoning FK.
        if (std::isfinite(q)) uLINK[j].q = q;
    }
    ForwardKinematics(JID_ROOT);
}

bool Nao::IK_leg(const Matrix& torso, const Matrix& foot, bool left) {
    uLINK[JID_ROOT].R = torso;
    uLINK[JID_ROOT].p = torso.Pos();
    Matrix hip = torso;
    hip.SetPos(torso * (left ? NAO_Dl : NAO_Dr));
    if (!IK_leg(hip, NAO_A, NAO_B, foot, left)) return false;
    for (int k = 1; k <= 6; ++k) uLINK[LegJoint(left, k)].q = mIKJointAngle[LegJoint(left, k)];
    ForwardKinematics(JID_ROOT);
    return true;
}

bool Nao::IK_leg(const Matrix& hip, float A, float B, const Matrix& ankle, bool left) {
    const Matrix invHip = hip.InvertRotationMatrix();
    const Matrix invAnkle = ankle.InvertRotationMatrix();
    const Vector3f r = invAnkle.Rotate(hip.Pos() - ankle.Pos());
    const float d = r.Length();
    const float cosKneePitch = (d * d - A * A - B * B) / (2 * A * B);
    // Written so that NaN fails too: a stretched or folded leg has no solution.
    if (!(std::fabs(cosKneePitch) < 1.0f - kStretchMargin)) return false;
    const float kneePitch = std::acos(cosKneePitch);
    float s = (A / d) * std::sin(kPi + kneePitch);
    s = s > 1.0f ? 1.0f : (s < -1.0f ? -1.0f : s);
    const float q6a = std::asin(s);
    const float ankleRoll = std::atan2(r.x(), r.z());
    const float anklePitch =
        std::atan2(r.y(), salt::gSign(r.z()) * std::sqrt(r.x() * r.x() + r.z() * r.z())) - q6a;

    Matrix rh = invHip * ankle;
    rh.RotateY(ankleRoll);
    rh.RotateX(-anklePitch);
    rh.RotateX(kneePitch);
    const HipAngles h = SolveHip(rh, left);

    const float angles[6] = {h.yaw, h.roll, h.pitch, -kneePitch, anklePitch, -ankleRoll};
    for (float a : angles) {
        if (!std::isfinite(a)) return false;
    }
    for (int k = 1; k <= 6; ++k) mIKJointAngle[LegJoint(left, k)] = angles[k - 1];
    return true;
}
