// The goalkeeper's catch judge over its window of ball and opponent samples.
#include <cmath>
#include <deque>
#include <random>

#include <gtest/gtest.h>

#include "decision_test_world.h"

namespace {

using decisiontest::DecisionWorld;

constexpr double kJudgeX = -5.5;

class CatchJudge : public DecisionWorld {
protected:
    void SetUp() override {
        DecisionWorld::SetUp();
        for (int j = 0; j < 11; ++j) PlaceOpponent(j, 10 + j, 9);  // far from everything
    }
    bool Call() { return decision.Golie_CatchJudge_new(kicker_, ball_, kJudgeX); }
    Vector kicker_, ball_;
};

TEST_F(CatchJudge, WarmUpNeverCatches) {
    wm.m_vBallPos = Vector(-6, 0, 0);
    PlaceOpponent(2, -6, 0.1);
    for (int i = 1; i < 100; ++i) {
        PlaceOpponent(0, -3, i * 0.01);
        wm.m_vBallPos = Vector(-6, i * 0.001, 0);
        EXPECT_FALSE(Call()) << "call " << i;
        EXPECT_EQ(kicker_, wm.m_vOpponent[0].vAveragePos);
        EXPECT_EQ(ball_, wm.m_vBallPos);
    }
    EXPECT_TRUE(Call());  // the hundredth sample completes the window
}

TEST_F(CatchJudge, KickerNeedsSeventySixOfTheHundredSamples) {
    for (int nearest : {76, 75}) {
        decision = Decision();
        wm.m_vBallPos = Vector(0, 0, 0);
        for (int i = 0; i < 100; ++i) {
            const bool third = i >= 100 - nearest;
            PlaceOpponent(1, 0.3, third ? 3 : 0);
            PlaceOpponent(3, 0.0, third ? 0.3 : 3);
            Call();
        }
        const double expectedX = nearest == 76 ? 0.0 : 10.0;  // entry 3, else entry 0
        EXPECT_DOUBLE_EQ(kicker_.Vx, expectedX) << nearest << " samples";
    }
}

TEST_F(CatchJudge, KickerBeyondEntryEightFallsBackToEntryZero) {
    wm.m_vBallPos = Vector(-7, 0, 0);
    PlaceOpponent(9, -7, 0.1);
    for (int i = 0; i < 100; ++i) EXPECT_FALSE(Call());
    EXPECT_EQ(kicker_, Vector(10, 9, 0));
}

// The kicker stands still at x = -6 and the first sample is a near one, so a window
// that drops it before judging would see only 74 near samples and 99 positions.
class CatchJudgeDribble : public CatchJudge {
protected:
    bool Run(int nearSamples, double farBallX) {
        bool result = false;
        PlaceOpponent(2, -6, 0.1);
        for (int i = 0; i < 100; ++i) {
            wm.m_vBallPos = i < nearSamples ? Vector(-6, 0, 0) : Vector(farBallX, 0.6, 0);
            result = Call();
        }
        return result;
    }
};

TEST_F(CatchJudgeDribble, ControlInThreeQuartersOfTheWindowInsideTheLine) {
    EXPECT_TRUE(Run(75, -6));
    EXPECT_DOUBLE_EQ(kicker_.Vx, -6);
    EXPECT_NEAR(kicker_.Vy, 0.1, 1e-12);
    EXPECT_DOUBLE_EQ(ball_.Vx, -6);
    EXPECT_NEAR(ball_.Vy, 25 * 0.6 / 100, 1e-12);
}

TEST_F(CatchJudgeDribble, TooLittleControlOrBallMeanOutsideTheLine) {
    EXPECT_FALSE(Run(74, -6));
    decision = Decision();
    EXPECT_FALSE(Run(75, -2));  // ball mean -5, kicker mean still -6
    EXPECT_DOUBLE_EQ(ball_.Vx, -5);
    EXPECT_DOUBLE_EQ(kicker_.Vx, -6);
}

// A long random game: the counts must always match a direct recount of the window and
// the means the direct mean of its samples.
TEST_F(CatchJudge, WindowStaysExactOverALongGame) {
    std::mt19937 rng(20261208);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    struct Sample {
        Vector ball;
        Vector opp[12];
        int nearest;
    };
    std::deque<Sample> window;
    for (int call = 0; call < 10000; ++call) {
        Sample s;
        s.ball = Vector(-15 + 30 * unit(rng), -10 + 20 * unit(rng), 0);
        const int dominants[] = {2, 5, 9, 0};  // one opponent dribbles for a while
        const int dominant = dominants[(call / 300) % 4];
        for (int j = 0; j < 11; ++j) {
            const bool close = j == dominant && unit(rng) < 0.85;
            const double r = close ? 0.45 * unit(rng) : 0.5 + 3 * unit(rng);
            const double a = 6.283 * unit(rng);
            PlaceOpponent(j, s.ball.Vx + r * std::cos(a), s.ball.Vy + r * std::sin(a));
            s.opp[j] = wm.m_vOpponent[j].vAveragePos;
        }
        s.opp[11] = wm.m_vOpponent[11].vAveragePos;
        wm.m_vBallPos = s.ball;
        s.nearest = decision.NearBallOppNum() - 1;
        window.push_back(s);
        if (window.size() > 100) window.pop_front();
        Call();
        if (window.size() < 100) continue;

        int nearCount[12] = {}, nearBall[12] = {};
        Vector ballSum;
        for (const Sample& w : window) {
            ++nearCount[w.nearest];
            ballSum = ballSum + w.ball;
            for (int j = 0; j < 12; ++j)
                if (WorldModel::GetDistInXY(w.opp[j], w.ball) < 0.4) ++nearBall[j];
        }
        int kicker = -1;
        for (int j = 11; j >= 0 && kicker < 0; --j)
            if (nearCount[j] >= 76) kicker = j;
        if (kicker < 0 || kicker > 8) kicker = 0;
        Vector kickerSum;
        for (const Sample& w : window) kickerSum = kickerSum + w.opp[kicker];
        ASSERT_NEAR(ball_.Vx, ballSum.Vx / 100, 1e-9) << "call " << call;
        ASSERT_NEAR(ball_.Vy, ballSum.Vy / 100, 1e-9) << "call " << call;
        ASSERT_NEAR(kicker_.Vx, kickerSum.Vx / 100, 1e-9) << "call " << call;
        ASSERT_NEAR(kicker_.Vy, kickerSum.Vy / 100, 1e-9) << "call " << call;
        // After the call the oldest sample has left: the counts cover the 99 newest.
        const Sample& oldest = window.front();
        for (int j = 0; j < 12; ++j) {
            const int stored = nearCount[j] - (oldest.nearest == j ? 1 : 0);
            const int storedNear =
                nearBall[j] - (WorldModel::GetDistInXY(oldest.opp[j], oldest.ball) < 0.4 ? 1 : 0);
            ASSERT_EQ(decision.m_CatchJudge.iCntOppAry[j], stored) << "call " << call;
            ASSERT_EQ(decision.m_CatchJudge.iCntOppNearBall[j], storedNear) << "call " << call;
        }
    }
    EXPECT_EQ(decision.m_CatchJudge.Q_KickerRecord.size(), 99);
}

}  // namespace
