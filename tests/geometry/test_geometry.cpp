// Field-frame vectors: the angle conventions every later rule compares against.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "geometry/geometry.h"

TEST(VectorAngles, QuadrantsAxesAndTheNegativeXAxis) {
    EXPECT_NEAR(Vector(1, 1, 0).GetXYAngle(), 45.0, 1e-6);
    EXPECT_NEAR(Vector(-1, 1, 0).GetXYAngle(), 135.0, 1e-6);
    EXPECT_NEAR(Vector(-1, -1, 0).GetXYAngle(), -135.0, 1e-6);
    EXPECT_EQ(Vector(-1, 0, 0).GetXYAngle(), -180.0);
    EXPECT_EQ(Vector(0, -2, 0).GetXYAngle(), -90.0);
    EXPECT_EQ(Vector(0, 0, 5).GetXYAngle(), 0.0);
}

TEST(VectorRotation, KeepsFullLengthAndWrapsThroughMinus180) {
    Vector a(1, 0, 0);
    const Vector r = a.RotateInXY(90);
    EXPECT_EQ(r, a);
    EXPECT_NE(a.Vx, 0.0);  // cos of 90 degrees with the short pi
    EXPECT_NEAR(a.Vx, 0.0, 1e-7);
    EXPECT_NEAR(a.Vy, 1.0, 1e-12);

    Vector b(1, 0, 1);
    b.RotateInXY(90);
    EXPECT_NEAR(b.Vx, 0.0, 1e-7);
    EXPECT_NEAR(b.Vy, std::sqrt(2.0), 1e-7);
    EXPECT_EQ(b.Vz, 1.0);

    Vector c(-1, 0, 0);
    c.RotateInXY(10);
    EXPECT_NEAR(c.GetXYAngle(), -170.0, 1e-5);
}

TEST(VectorLength, SetModIncludingZeroTargetsAndZeroVectors) {
    Vector v(3, 4, 0);
    v.SetMod(2);
    EXPECT_NEAR(v.Vx, 1.2, 1e-12);
    EXPECT_NEAR(v.Vy, 1.6, 1e-12);
    v.SetMod(0);
    EXPECT_EQ(v, Vector());
    Vector zero;
    zero.SetMod(5);  // no direction: stays zero instead of becoming NaN
    EXPECT_EQ(zero, Vector());
    EXPECT_FALSE(Vector(0.1 + 0.2, 0, 0) == Vector(0.3, 0, 0));
}

TEST(PolarConversion, HorizontalAndVerticalAngles) {
    Geometry g;
    const Vector side = g.ChangePolarToVector(Polar(2, 90, 0));
    EXPECT_NEAR(side.Vx, 0.0, 1e-6);
    EXPECT_NEAR(side.Vy, 2.0, 1e-12);
    const Vector up = g.ChangePolarToVector(Polar(2, 0, 90));
    EXPECT_NEAR(up.Vx, 0.0, 1e-6);
    EXPECT_NEAR(up.Vz, 2.0, 1e-12);
}

TEST(AngleNormalisation, BoundsStayHugeValuesEndNonFiniteUnchanged) {
    EXPECT_EQ(NormalizeAngleDeg(180.0), 180.0);
    EXPECT_EQ(NormalizeAngleDeg(-180.0), -180.0);
    EXPECT_EQ(NormalizeAngleDeg(190.0), -170.0);
    EXPECT_EQ(NormalizeAngleDeg(-540.0), -180.0);
    const double r = NormalizeAngleDeg(3.6e12 + 90.0);
    EXPECT_NEAR(r, 90.0, 1e-3);
    EXPECT_TRUE(std::isnan(NormalizeAngleDeg(std::nan(""))));
    EXPECT_EQ(NormalizeAngleDeg(std::numeric_limits<double>::infinity()),
              std::numeric_limits<double>::infinity());
}
