// Body model and leg solver: the dimensions other code relies on, the standing posture
// the walk commands, refusals that must leave every angle alone, and round trips
// through forward kinematics.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "motion/nao.h"
#include "runtime/corvane.h"
#include "worldmodel/worldmodel.h"

namespace {

using salt::Matrix;
using salt::Vector3f;

void ExpectVecNear(const Vector3f& a, const Vector3f& b, float tol) {
    EXPECT_NEAR(a.x(), b.x(), tol);
    EXPECT_NEAR(a.y(), b.y(), tol);
    EXPECT_NEAR(a.z(), b.z(), tol);
}

Matrix Pose(const Vector3f& p, float yawDeg = 0.0f) {
    Matrix m;
    m.RotateZ(salt::gDegToRad(yawDeg));
    m.SetPos(p);
    return m;
}

float Deg(float rad) {
    return salt::gRadToDeg(rad);
}

int Leg(bool left, int k) {
    return (left ? JID_LLEG_1 : JID_RLEG_1) + 2 * (k - 1);
}

// The standing posture: torso and both ankles as the walking engine places them.
const Matrix kStandTorso = Pose(Vector3f(0.01f, 0.022f, 0.35f));
const Matrix kStandRight = Pose(Vector3f(0.0485f, -0.02f, 0.05f));
const Matrix kStandLeft = Pose(Vector3f(-0.0485f, -0.02f, 0.05f));

// Worst ankle position and orientation error of FK over a grid of walking poses.
struct RoundTrip {
    float worstPos = 0.0f;
    float worstRot = 0.0f;
    int refused = 0;
    int poses = 0;
};

void CheckPose(Nao& nao, bool left, const Matrix& foot, RoundTrip& rt) {
    ++rt.poses;
    if (!nao.IK_leg(kStandTorso, foot, left)) {
        ++rt.refused;
        return;
    }
    const Link& ankle = nao.uLINK[left ? JID_LLEG_6 : JID_RLEG_6];
    rt.worstPos = std::max(rt.worstPos, (ankle.p - foot.Pos()).Length());
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) rt.worstRot = std::max(rt.worstRot, std::fabs(ankle.R(r, c) - foot(r, c)));
    }
}

// The envelope of the walk around each hip, 2 cm either side: on the ground (5 to 9 cm
// high) from 10 cm behind to 2 cm ahead, turned up to 40 degrees either way; lifted
// (11 to 15 cm) while passing under the torso, turned up to 20.
RoundTrip WalkingGrid(Nao& nao) {
    RoundTrip rt;
    for (bool left : {true, false}) {
        const float hipX = left ? -0.0485f : 0.0485f;
        for (int ix = -2; ix <= 2; ++ix) {
            for (int iz = 0; iz <= 5; ++iz) {
                const bool lifted = iz >= 3;
                const int maxYaw = lifted ? 20 : 40;
                for (int iy = lifted ? -4 : -5; iy <= (lifted ? -1 : 1); ++iy) {
                    for (int yaw = -maxYaw; yaw <= maxYaw; yaw += 10) {
                        const Vector3f p(hipX + 0.01f * ix, 0.02f * iy, 0.05f + 0.02f * iz);
                        CheckPose(nao, left, Pose(p, static_cast<float>(yaw)), rt);
                    }
                }
            }
        }
    }
    return rt;
}

}  // namespace

TEST(NaoModel, DimensionsAndZeroPostureAfterConstruction) {
    Nao nao;
    EXPECT_NEAR(nao.NAO_A, 0.120104f, 1e-6f);
    EXPECT_NEAR(nao.NAO_B, 0.1f, 1e-6f);
    ExpectVecNear(nao.NAO_Dl, Vector3f(-0.055f, -0.01f, -0.115f), 1e-6f);
    ExpectVecNear(nao.NAO_Dr, Vector3f(0.055f, -0.01f, -0.115f), 1e-6f);
    ExpectVecNear(nao.NAO_E, Vector3f(0.0f, -0.03f, 0.035f), 1e-6f);
    ExpectVecNear(nao.uLINK[JID_LLEG_6].p, Vector3f(-0.055f, -0.005f, 0.05f), 1e-6f);
    ExpectVecNear(nao.uLINK[JID_RLEG_6].p, Vector3f(0.055f, -0.005f, 0.05f), 1e-6f);
    ExpectVecNear(nao.uLINK[JID_ROOT].p, Vector3f(0.0f, 0.0f, 0.385f), 0.0f);
}

TEST(NaoLegSolver, StandingPostureMatchesTheServerReference) {
    Nao nao;
    ASSERT_TRUE(nao.IK_leg(kStandTorso, kStandRight, false));
    ASSERT_TRUE(nao.IK_leg(kStandTorso, kStandLeft, true));
    const float right[6] = {0.0f, 5.10f, 18.30f, -62.49f, 44.19f, -5.10f};
    const float left[6] = {0.0f, 1.08f, 18.57f, -63.18f, 44.62f, -1.08f};
    for (int k = 1; k <= 6; ++k) {
        EXPECT_NEAR(Deg(nao.mIKJointAngle[Leg(false, k)]), right[k - 1], 0.006f) << "right " << k;
        EXPECT_NEAR(Deg(nao.mIKJointAngle[Leg(true, k)]), left[k - 1], 0.006f) << "left " << k;
        EXPECT_EQ(nao.uLINK[Leg(true, k)].q, nao.mIKJointAngle[Leg(true, k)]);
    }
    ExpectVecNear(nao.uLINK[JID_ROOT].p, kStandTorso.Pos(), 0.0f);
}

TEST(NaoLegSolver, StretchedLegRefusedOneMillimetreShorterAccepted) {
    Nao nao;
    const float reach = nao.NAO_A + nao.NAO_B;
    for (float hipZ : {0.3f, 0.235f, 0.27f}) {
        const Matrix hip = Pose(Vector3f(0.05f, 0.01f, hipZ));
        EXPECT_FALSE(nao.IK_leg(hip, nao.NAO_A, nao.NAO_B, Pose(Vector3f(0.05f, 0.01f, hipZ - reach)), true));
        EXPECT_FALSE(nao.IK_leg(hip, nao.NAO_A, nao.NAO_B, Pose(Vector3f(0.05f, 0.01f, hipZ - reach - 0.001f)), true));
        const Matrix higher = Pose(Vector3f(0.05f, 0.01f, hipZ - reach + 0.001f));
        ASSERT_TRUE(nao.IK_leg(hip, nao.NAO_A, nao.NAO_B, higher, true));
        EXPECT_LT(nao.mIKJointAngle[JID_LLEG_4], 0.0f);
        EXPECT_GT(Deg(nao.mIKJointAngle[JID_LLEG_4]), -15.0f);
    }
    // Hip on top of the ankle: the leg cannot fold that far.
    const Matrix hip = Pose(Vector3f(0, 0, 0.3f));
    EXPECT_FALSE(nao.IK_leg(hip, nao.NAO_A, nao.NAO_B, Pose(Vector3f(0, 0, 0.3f)), false));
}

TEST(NaoLegSolver, RefusalsLeaveEveryAngleUnchanged) {
    Nao nao;
    ASSERT_TRUE(nao.IK_leg(kStandTorso, kStandLeft, true));
    float before[kLinkCount];
    float qBefore[kLinkCount];
    for (int j = 0; j < kLinkCount; ++j) before[j] = nao.mIKJointAngle[j], qBefore[j] = nao.uLINK[j].q;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();

    // Unreachable, NaN and infinite ankle positions.
    EXPECT_FALSE(nao.IK_leg(kStandTorso, Pose(Vector3f(-0.05f, 0.0f, -0.2f)), true));
    EXPECT_FALSE(nao.IK_leg(kStandTorso, Pose(Vector3f(nan, 0.0f, 0.05f)), true));
    EXPECT_FALSE(nao.IK_leg(kStandTorso, Pose(Vector3f(-0.05f, inf, 0.05f)), false));
    // The distance is fine but the hip orientation is garbage: the angles come out NaN.
    Matrix badHip = Pose(Vector3f(-0.05f, 0.0f, 0.235f));
    badHip(0, 1) = nan;
    EXPECT_FALSE(nao.IK_leg(badHip, nao.NAO_A, nao.NAO_B, kStandLeft, true));
    Matrix badTorso = kStandTorso;
    badTorso(2, 0) = inf;
    EXPECT_FALSE(nao.IK_leg(badTorso, kStandRight, false));

    for (int j = 0; j < kLinkCount; ++j) {
        EXPECT_EQ(nao.mIKJointAngle[j], before[j]) << j;
        EXPECT_EQ(nao.uLINK[j].q, qBefore[j]) << j;
    }
}

// With the thigh's 5 mm forward offset taken out of the link tree, the solver is exact:
// this catches any sign, index or axis slip in the analytic solution.
TEST(NaoLegSolver, RoundTripIsExactForAStraightThigh) {
    Nao nao;
    nao.uLINK[JID_LLEG_4].b = Vector3f(0.0f, 0.0f, -nao.NAO_A);
    nao.uLINK[JID_RLEG_4].b = Vector3f(0.0f, 0.0f, -nao.NAO_A);
    const RoundTrip rt = WalkingGrid(nao);
    EXPECT_EQ(rt.refused, 0);
    EXPECT_GT(rt.poses, 400);
    EXPECT_LT(rt.worstPos, 1e-4f);
    EXPECT_LT(rt.worstRot, 1e-4f);
}

// The solver treats the thigh as straight, so on the real body the ankle lands a few
// millimetres off; its orientation is still exact.
TEST(NaoLegSolver, RoundTripOnTheBodyModelWithinTheThighOffset) {
    Nao nao;
    const RoundTrip rt = WalkingGrid(nao);
    EXPECT_EQ(rt.refused, 0);
    EXPECT_LT(rt.worstPos, 0.006f);
    EXPECT_LT(rt.worstRot, 1e-4f);
}

TEST(NaoUpdateLink, MeasuredDegreesReproduceTheSolvedPosture) {
    Nao solved;
    ASSERT_TRUE(solved.IK_leg(kStandTorso, kStandRight, false));
    ASSERT_TRUE(solved.IK_leg(kStandTorso, kStandLeft, true));

    HJInfo joints[kJointCount];
    for (int j = JID_LLEG_1; j <= JID_RLEG_6; ++j) joints[j].fAngle = Deg(solved.mIKJointAngle[j]);
    Nao measured;
    measured.uLINK[JID_ROOT].R = kStandTorso;
    measured.uLINK[JID_ROOT].p = kStandTorso.Pos();
    measured.UpdateLink(joints);
    ExpectVecNear(measured.uLINK[JID_LLEG_6].p, solved.uLINK[JID_LLEG_6].p, 1e-5f);
    ExpectVecNear(measured.uLINK[JID_RLEG_6].p, solved.uLINK[JID_RLEG_6].p, 1e-5f);

    // A garbled reading keeps the previous angle.
    joints[JID_LLEG_4].fAngle = std::numeric_limits<double>::infinity();
    joints[JID_RLEG_4].fAngle = std::numeric_limits<double>::quiet_NaN();
    measured.UpdateLink(joints);
    EXPECT_EQ(measured.uLINK[JID_LLEG_4].q, solved.uLINK[JID_LLEG_4].q);
    EXPECT_TRUE(std::isfinite(measured.uLINK[JID_RLEG_6].p.z()));
}

TEST(NaoUpdateLink, ReadsTheWorldModelJointRecords) {
    for (HJInfo& hj : wm.m_HJ) hj.fAngle = 0.0;
    wm.m_HJ[JID_LLEG_3].fAngle = 90.0;  // left hip pitch: the thigh points forward
    gNao.UpdateLink();
    const Vector3f knee = gNao.uLINK[JID_LLEG_4].p - gNao.uLINK[JID_LLEG_3].p;
    EXPECT_NEAR(knee.y(), 0.12f, 1e-5f);
    EXPECT_NEAR(knee.z(), 0.005f, 1e-5f);
    ExpectVecNear(gNao.uLINK[JID_RLEG_6].p, Vector3f(0.055f, -0.005f, 0.05f), 1e-5f);
    wm.m_HJ[JID_LLEG_3].fAngle = 0.0;
    gNao.UpdateLink();
}
