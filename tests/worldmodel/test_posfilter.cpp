// Position filter against the closed-form Kalman update, and its allocation behaviour.
#include <gtest/gtest.h>

#include <random>

#include "support/alloc_counter.h"
#include "worldmodel/posfilter.h"

namespace {

struct Mat2 {
    double a, b, c, d;  // [[a, b], [c, d]]
};

Mat2 Mul(const Mat2& p, const Mat2& q) {
    return {p.a * q.a + p.b * q.c, p.a * q.b + p.b * q.d, p.c * q.a + p.d * q.c,
            p.c * q.b + p.d * q.d};
}

Mat2 Inverse(const Mat2& p) {
    const double det = p.a * p.d - p.b * p.c;
    return {p.d / det, -p.b / det, -p.c / det, p.a / det};
}

// The textbook update the factorised filter must reproduce, step by step.
struct ClosedForm {
    double x = 0, y = 0;
    Mat2 P{100, 0, 0, 100};

    void Observe(double zx, double zy) {
        const Mat2 Pm{P.a + 0.0002, P.b + 0.00001, P.c + 0.00001, P.d + 0.0002};
        const Mat2 K = Mul(Pm, Inverse({Pm.a + 0.0005, Pm.b, Pm.c, Pm.d + 0.008}));
        const double ex = zx - x, ey = zy - y;
        x += K.a * ex + K.b * ey;
        y += K.c * ex + K.d * ey;
        P = Mul({1 - K.a, -K.b, -K.c, 1 - K.d}, Pm);
    }
};

void ExpectSameEstimate(cPosKF& kf, const ClosedForm& ref, int step) {
    const auto& P = kf.calculateP();
    ASSERT_NEAR(kf.GetX(), ref.x, 1e-9) << "step " << step;
    ASSERT_NEAR(kf.GetY(), ref.y, 1e-9) << "step " << step;
    ASSERT_NEAR(P(1, 1), ref.P.a, 1e-9) << "step " << step;
    ASSERT_NEAR(P(1, 2), ref.P.b, 1e-9) << "step " << step;
    ASSERT_NEAR(P(2, 1), ref.P.c, 1e-9) << "step " << step;
    ASSERT_NEAR(P(2, 2), ref.P.d, 1e-9) << "step " << step;
}

}  // namespace

TEST(PosFilter, MatchesClosedFormOverLongRandomSequences) {
    std::mt19937 rng(20240611);
    std::uniform_real_distribution<double> start(-15, 15);
    std::normal_distribution<double> noise(0, 0.05);
    std::uniform_int_distribution<int> jumpEvery(1, 60);
    for (int run = 0; run < 20; ++run) {
        double tx = start(rng), ty = start(rng);
        cPosKF kf;
        ClosedForm ref;
        double zx = tx + noise(rng), zy = ty + noise(rng);
        kf.Seed(zx, zy, 100);
        ref.x = zx;
        ref.y = zy;
        for (int step = 0; step < 2000; ++step) {
            if (jumpEvery(rng) == 1) {  // the object moves: large innovations too
                tx = start(rng);
                ty = start(rng);
            }
            zx = tx + noise(rng);
            zy = ty + 4 * noise(rng);
            kf.Observe(zx, zy);
            ref.Observe(zx, zy);
            ExpectSameEstimate(kf, ref, step);
        }
    }
}

TEST(PosFilter, FirstStepAfterSeedingReturnsTheMeasurement) {
    cPosKF kf;
    kf.Seed(3.25, -1.5, 100);
    kf.Observe(3.25, -1.5);
    EXPECT_NEAR(kf.GetX(), 3.25, 1e-12);
    EXPECT_NEAR(kf.GetY(), -1.5, 1e-12);
}

TEST(PosFilter, JumpAfterSettlingMovesByTheSteadyGain) {
    cPosKF kf;
    ClosedForm ref;
    kf.Seed(0, 0, 100);
    for (int i = 0; i < 500; ++i) {
        kf.Observe(0, 0);
        ref.Observe(0, 0);
    }
    const double p = kf.calculateP()(1, 1);
    const double gain = (p + 0.0002) / (p + 0.0002 + 0.0005);
    kf.Observe(1, 0);
    // The x-y coupling of Q adds a tiny cross term; the x gain dominates.
    EXPECT_NEAR(kf.GetX(), gain, 1e-3);
    EXPECT_GT(kf.GetX(), 0.3);
    EXPECT_LT(kf.GetX(), 0.7);
}

TEST(PosFilter, NanMeasurementPropagatesForTheCallerToSee) {
    cPosKF kf;
    kf.Seed(1, 1, 100);
    kf.Observe(std::nan(""), 1);
    EXPECT_TRUE(std::isnan(kf.GetX()));
    kf.Seed(2, 2, 100);  // re-seeding recovers
    kf.Observe(2, 2);
    EXPECT_NEAR(kf.GetX(), 2, 1e-12);
    EXPECT_NEAR(kf.GetY(), 2, 1e-12);
}

TEST(PosFilter, StepsDoNotAllocateOnceSeeded) {
    cPosKF kf;
    kf.Seed(0, 0, 100);
    kf.Observe(0.1, 0.1);
    const long before = alloc_counter::Count();
    for (int i = 0; i < 100; ++i) kf.Observe(0.1 * i, -0.1 * i);
    kf.Seed(1, 1, 100);
    EXPECT_EQ(alloc_counter::Count(), before);
}
