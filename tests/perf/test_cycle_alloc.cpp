// The benchmark cases are the situations they are named after, and a warm agent cycle in
// each takes nothing from the heap over a thousand cycles after a warm-up.
#include <gtest/gtest.h>

#include "bench/cycle_cases.h"
#include "support/alloc_counter.h"

namespace {

TEST(SteadyCycle, NoBenchmarkCaseAllocatesOverAThousandWarmCycles) {
    for (const cycles::Case& c : cycles::kCases) {
        cycles::Replay replay = cycles::LoadCase(c);
        ASSERT_LT(replay.firstPlayOn, replay.messages.size()) << c.name;
        cycles::WarmUp(replay);
        const long before = alloc_counter::Count();
        for (int i = 0; i < 1000; ++i) cycles::NextMeasuredCycle(replay);
        EXPECT_EQ(alloc_counter::Count() - before, 0) << c.name;
    }
}

// A case that drifted out of its situation would time some other, likely cheaper, path.
TEST(SteadyCycle, EveryBenchmarkCaseStaysInItsSituation) {
    for (const cycles::Case& c : cycles::kCases) {
        cycles::Replay replay = cycles::LoadCase(c);
        cycles::WarmUp(replay);
        for (int i = 0; i < 1000; ++i) {
            const std::string& sent = cycles::NextMeasuredCycle(replay);
            ASSERT_EQ(wm.PlayState, c.mode) << c.name << " cycle " << i;
            ASSERT_EQ(wm.GetNearestTeamMateNum() == c.unum, c.carrier) << c.name << " cycle " << i;
            // The carrier walks to the ball; number one speaks every cycle.
            if (c.carrier) {
                ASSERT_NE(sent.find("(lle1 "), std::string::npos) << c.name << " cycle " << i;
            }
            ASSERT_EQ(sent.find("(say ") != std::string::npos, c.unum == 1) << c.name << " cycle " << i;
        }
        if (!c.carrier && c.unum != 1) {
            EXPECT_EQ(decision.Situation_Decision, FORMATION) << c.name;
        }
    }
}

}  // namespace
