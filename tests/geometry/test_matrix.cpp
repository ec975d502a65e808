// Motion transforms: the conventions the leg kinematics builds on (local-axis rotations,
// rigid inverse that keeps its operand, Rodrigues against the elementary rotations).
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "geometry/matrix.h"

namespace {

using salt::Matrix;
using salt::Vector3f;

// The elementary rotations written out row by row, independently of RotateX/Y/Z.
Matrix Rx(float a) {
    Matrix r;
    r(1, 1) = std::cos(a), r(1, 2) = -std::sin(a);
    r(2, 1) = std::sin(a), r(2, 2) = std::cos(a);
    return r;
}

Matrix Ry(float a) {
    Matrix r;
    r(0, 0) = std::cos(a), r(0, 2) = std::sin(a);
    r(2, 0) = -std::sin(a), r(2, 2) = std::cos(a);
    return r;
}

Matrix Rz(float a) {
    Matrix r;
    r(0, 0) = std::cos(a), r(0, 1) = -std::sin(a);
    r(1, 0) = std::sin(a), r(1, 1) = std::cos(a);
    return r;
}

void ExpectMatrixNear(const Matrix& a, const Matrix& b, float tol) {
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(a.m[i], b.m[i], tol) << "element " << i;
}

// A transform with a general rotation and translation.
Matrix SomePose() {
    Matrix t;
    t.RotateZ(0.7f);
    t.RotateX(-0.4f);
    t.RotateY(1.1f);
    t.SetPos(Vector3f(0.1f, -0.25f, 0.35f));
    return t;
}

}  // namespace

TEST(MatrixTransform, PointTransformAddsTranslationAndRotateIgnoresIt) {
    Matrix t;
    t.SetPos(Vector3f(0.5f, -1.0f, 2.0f));
    EXPECT_EQ(t.m[12], 0.5f);  // column-major: the translation is the last column
    EXPECT_EQ(t.m[14], 2.0f);
    const Vector3f v(1, 2, 3);
    const Vector3f p = t * v;
    EXPECT_FLOAT_EQ(p.x(), 1.5f);
    EXPECT_FLOAT_EQ(p.y(), 1.0f);
    EXPECT_FLOAT_EQ(p.z(), 5.0f);
    const Vector3f r = t.Rotate(v);
    EXPECT_EQ(r.x(), 1.0f);
    EXPECT_EQ(r.y(), 2.0f);
    EXPECT_EQ(r.z(), 3.0f);

    // Rotation first, then translation: a quarter turn about z maps x onto y.
    t.RotateZ(static_cast<float>(M_PI / 2));
    const Vector3f q = t * Vector3f(1, 0, 0);
    EXPECT_NEAR(q.x(), 0.5f, 1e-6f);
    EXPECT_NEAR(q.y(), 0.0f, 1e-6f);
    EXPECT_NEAR(q.z(), 2.0f, 1e-6f);
}

TEST(MatrixRotation, PostMultipliesAboutTheLocalAxes) {
    const Matrix base = SomePose();
    for (float a : {-2.0f, -0.3f, 0.0f, 0.9f}) {
        Matrix x = base, y = base, z = base;
        x.RotateX(a);
        y.RotateY(a);
        z.RotateZ(a);
        ExpectMatrixNear(x, base * Rx(a), 1e-6f);
        ExpectMatrixNear(y, base * Ry(a), 1e-6f);
        ExpectMatrixNear(z, base * Rz(a), 1e-6f);
        EXPECT_EQ(x.Pos().x(), base.Pos().x());
    }
}

TEST(MatrixRotation, OppositeTurnRestoresTheMatrix) {
    const Matrix base = SomePose();
    Matrix t = base;
    t.RotateY(0.8f);
    t.RotateY(-0.8f);
    ExpectMatrixNear(t, base, 1e-6f);
}

TEST(MatrixInverse, ProductWithTheOriginalIsIdentityBothWays) {
    const Matrix t = SomePose();
    const Matrix inv = t.InvertRotationMatrix();
    ExpectMatrixNear(inv * t, Matrix::mIdentity, 1e-6f);
    ExpectMatrixNear(t * inv, Matrix::mIdentity, 1e-6f);
    EXPECT_EQ(inv(3, 0), 0.0f);
    EXPECT_EQ(inv(3, 3), 1.0f);
    const Vector3f back = inv * (t * Vector3f(0.3f, 0.2f, -0.1f));
    EXPECT_NEAR(back.x(), 0.3f, 1e-6f);
    EXPECT_NEAR(back.y(), 0.2f, 1e-6f);
    EXPECT_NEAR(back.z(), -0.1f, 1e-6f);
}

TEST(MatrixInverse, LeavesItsOperandUnchanged) {
    const Matrix t = SomePose();
    Matrix copy = t;
    const Matrix inv = copy.InvertRotationMatrix();
    (void)inv;
    ExpectMatrixNear(copy, t, 0.0f);
}

TEST(Rodrigues, MatchesTheElementaryRotations) {
    ExpectMatrixNear(Rodrigues(Vector3f(0, 0, 1), 0.0f), Matrix::mIdentity, 0.0f);
    for (float a : {-1.2f, 0.4f, 3.0f}) {
        ExpectMatrixNear(Rodrigues(Vector3f(1, 0, 0), a), Rx(a), 1e-6f);
        ExpectMatrixNear(Rodrigues(Vector3f(0, 1, 0), a), Ry(a), 1e-6f);
        ExpectMatrixNear(Rodrigues(Vector3f(0, 0, 1), a), Rz(a), 1e-6f);
    }
}

TEST(Rodrigues, TiltedAxisIsKeptAndTheResultIsOrthonormal) {
    const Vector3f axis(-0.7071f, 0.0f, 0.7071f);
    const Matrix r = Rodrigues(axis, 0.6f);
    const Vector3f kept = r.Rotate(axis);
    EXPECT_NEAR(kept.x(), axis.x(), 1e-6f);
    EXPECT_NEAR(kept.z(), axis.z(), 1e-6f);
    ExpectMatrixNear(r * r.InvertRotationMatrix(), Matrix::mIdentity, 1e-5f);
    EXPECT_EQ(r.Pos().Length(), 0.0f);
}

TEST(ScalarHelpers, SignConversionAndVectorText) {
    EXPECT_EQ(salt::gSign(2.5f), 1.0f);
    EXPECT_EQ(salt::gSign(-1e-30), -1.0);
    EXPECT_EQ(salt::gSign(0.0f), 0.0f);
    EXPECT_EQ(salt::gSign(-0.0f), 0.0f);
    EXPECT_DOUBLE_EQ(salt::gDegToRad(180.0), 3.141592653589793);
    EXPECT_NEAR(salt::gRadToDeg(salt::gDegToRad(-62.49f)), -62.49f, 1e-5f);

    std::ostringstream os;
    os << Vector3f(0.0485f, -0.02f, 0.05f);
    EXPECT_EQ(os.str(), "0.0485 -0.02 0.05");
    EXPECT_NEAR(Vector3f(3, 4, 12).Length(), 13.0f, 1e-6f);
}
