// A warm agent cycle takes nothing from the heap: each benchmark case over a thousand
// cycles of recorded open play, after a warm-up through the whole recording.
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

}  // namespace
