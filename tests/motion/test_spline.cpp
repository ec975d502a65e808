// Cubic spline: the S-curve the turn profile relies on, exactness on cubics (which pins
// the lookup and the end conditions), and the degenerate inputs that must not divide by
// zero or touch freed memory.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "motion/spline.h"

namespace {

constexpr float kNatural = 1e30f;

// A cubic that a clamped spline through its samples reproduces exactly, everywhere.
double P(double x) { return x * x * x - 2 * x * x + 0.5 * x + 1; }
double dP(double x) { return 3 * x * x - 4 * x + 0.5; }
double ddP(double x) { return 6 * x - 4; }

}  // namespace

TEST(Spline, TwoClampedBreakpointsGiveTheSmoothStep) {
    const float x[] = {0.3f, 0.65f};
    const float y[] = {0.0f, 40.0f};
    Spline s;
    s.SetBreakPoints(x, y, 2, 0.0f, 0.0f);
    ASSERT_TRUE(s.General());
    for (float frac : {0.0f, 0.25f, 0.5f, 0.8f, 1.0f}) {
        const float xv = 0.3f + frac * 0.35f;
        EXPECT_NEAR(s.GetYGivenX(xv, 0), 40.0f * (3 * frac * frac - 2 * frac * frac * frac), 1e-3f) << frac;
    }
    EXPECT_NEAR(s.GetYGivenX(0.475f, 0), 20.0f, 1e-3f);
    EXPECT_NEAR(s.GetYGivenX(0.3f, 1), 0.0f, 1e-3f);
    EXPECT_NEAR(s.GetYGivenX(0.65f, 1), 0.0f, 1e-3f);
    EXPECT_NEAR(s.GetYGivenX(0.475f, 1), 40.0f * 1.5f / 0.35f, 1e-2f);

    // The two-argument constructor clamps both ends as well.
    Spline c(x, y, 2);
    ASSERT_TRUE(c.General());
    EXPECT_NEAR(c.GetYGivenX(0.475f, 0), 20.0f, 1e-3f);
}

TEST(Spline, TwoNaturalBreakpointsGiveTheStraightLine) {
    const float x[] = {1.0f, 3.0f};
    const float y[] = {2.0f, -2.0f};
    Spline s;
    s.SetBreakPoints(x, y, 2, kNatural, kNatural);
    ASSERT_TRUE(s.General());
    EXPECT_NEAR(s.GetYGivenX(1.5f, 0), 1.0f, 1e-6f);
    EXPECT_NEAR(s.GetYGivenX(2.0f, 1), -2.0f, 1e-6f);
    EXPECT_NEAR(s.GetYGivenX(2.7f, 2), 0.0f, 1e-6f);
    EXPECT_NEAR(s.GetYGivenX(4.0f, 0), -4.0f, 1e-5f);  // extrapolated
}

TEST(Spline, ClampedSplineReproducesACubicInsideAndOutside) {
    const float x[] = {0.0f, 0.5f, 1.5f, 2.0f, 2.2f, 3.0f};
    float y[6];
    for (int i = 0; i < 6; ++i) y[i] = static_cast<float>(P(x[i]));
    Spline s;
    s.SetBreakPoints(x, y, 6, static_cast<float>(dP(0.0)), static_cast<float>(dP(3.0)));
    ASSERT_TRUE(s.General());
    for (float xv = -0.5f; xv <= 3.5f; xv += 0.1f) {
        EXPECT_NEAR(s.GetYGivenX(xv, 0), P(xv), 2e-4) << xv;
        EXPECT_NEAR(s.GetYGivenX(xv, 1), dP(xv), 2e-3) << xv;
        EXPECT_NEAR(s.GetYGivenX(xv, 2), ddP(xv), 2e-3) << xv;
    }
}

TEST(Spline, DerivativeOrderOutOfRange) {
    const float x[] = {0.0f, 1.0f};
    const float y[] = {0.0f, 1.0f};
    Spline s(x, y, 2);
    ASSERT_TRUE(s.General());
    testing::internal::CaptureStdout();
    EXPECT_EQ(s.GetYGivenX(0.5f, -1), 0.0f);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "(Spline) GetYGivenX der error");
    testing::internal::CaptureStdout();
    EXPECT_EQ(s.GetYGivenX(0.5f, 3), 0.0f);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST(SplineDegenerate, ZeroWidthIntervalHoldsTheBreakpointValue) {
    const float x[] = {0.4f, 0.4f};
    const float y[] = {7.0f, 9.0f};
    Spline s;
    s.SetBreakPoints(x, y, 2, 0.0f, 0.0f);
    EXPECT_FALSE(s.General());
    testing::internal::CaptureStdout();
    const float v = s.GetYGivenX(0.4f, 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Bad x input to routine splint");
    EXPECT_TRUE(v == 7.0f || v == 9.0f);
    testing::internal::CaptureStdout();
    EXPECT_EQ(s.GetYGivenX(1.0f, 1), 0.0f);
    EXPECT_TRUE(std::isfinite(s.GetYGivenX(-1.0f, 2)));
    testing::internal::GetCapturedStdout();
}

TEST(SplineDegenerate, EmptyAndSinglePointSplines) {
    Spline empty;
    EXPECT_FALSE(empty.General());
    EXPECT_EQ(empty.GetYGivenX(1.0f, 0), 0.0f);
    EXPECT_EQ(empty.GetYGivenX(1.0f, 1), 0.0f);

    const float x[] = {2.0f};
    const float y[] = {3.0f};
    Spline one;
    one.SetBreakPoints(x, y, 1, 0.0f, 0.0f);
    EXPECT_FALSE(one.General());
    testing::internal::CaptureStdout();
    EXPECT_EQ(one.GetYGivenX(5.0f, 0), 3.0f);
    testing::internal::GetCapturedStdout();
}

TEST(SplineDegenerate, NaNOrdinateMakesGeneralFail) {
    const float x[] = {0.0f, 1.0f, 2.0f};
    const float y[] = {0.0f, std::numeric_limits<float>::quiet_NaN(), 1.0f};
    Spline s;
    s.SetBreakPoints(x, y, 3, kNatural, kNatural);
    EXPECT_FALSE(s.General());
}

TEST(SplineDegenerate, CopiesOwnTheirArrays) {
    const float x[] = {0.0f, 1.0f};
    const float y[] = {0.0f, 10.0f};
    Spline original(x, y, 2);
    ASSERT_TRUE(original.General());
    {
        Spline copy = original;
        const float y2[] = {0.0f, -10.0f};
        copy.SetBreakPoints(x, y2, 2, 0.0f, 0.0f);
        ASSERT_TRUE(copy.General());
        EXPECT_NEAR(copy.GetYGivenX(0.5f, 0), -5.0f, 1e-5f);
        Spline assigned;
        assigned = original;
        EXPECT_NEAR(assigned.GetYGivenX(0.5f, 0), 5.0f, 1e-5f);
    }
    EXPECT_NEAR(original.GetYGivenX(0.5f, 0), 5.0f, 1e-5f);
}
