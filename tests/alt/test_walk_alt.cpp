// agent_alt's small steps: shorter forward steps, the torso nearer the middle and the
// support foot nearer the swing foot when side-stepping.
#include <gtest/gtest.h>

#include "runtime/variant.h"
#include "support/walk_rows.h"

TEST(WalkAltSmallSteps, ShorterForwardAndNarrowerSideSteps) {
    ASSERT_TRUE(gAltBuild);
    EXPECT_GT(walktest::CheckSmallStepRows({0.2f, 0.006f, 0.6f, 0.36f * 0.3f}), 2500);
}
