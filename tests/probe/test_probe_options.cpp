// Option rules of the motion probe: what it takes, what it leaves to the agent's reader.
#include <gtest/gtest.h>

#include "motion_probe/probe.h"

using probe::ApplyOption;
using probe::Options;
using probe::ParseResult;

TEST(ProbeOptions, TakesItsOwnOptionsAndLeavesTheAgentsAlone) {
    Options o;
    EXPECT_EQ(ApplyOption("--motion=KickRight_Karate", o), ParseResult::Used);
    EXPECT_EQ(o.motion, "KickRight_Karate");
    EXPECT_EQ(ApplyOption("--turn=-40", o), ParseResult::Used);
    EXPECT_EQ(o.turnDeg, -40);
    EXPECT_EQ(ApplyOption("--small", o), ParseResult::Used);
    EXPECT_TRUE(o.small);
    EXPECT_EQ(ApplyOption("--seconds=2.5", o), ParseResult::Used);
    EXPECT_EQ(o.seconds, 2.5);
    EXPECT_EQ(ApplyOption("--hold=0", o), ParseResult::Used);  // no hold, as without
    EXPECT_EQ(ApplyOption("--hold=4", o), ParseResult::Used);
    EXPECT_EQ(o.holdSec, 4.0);
    EXPECT_EQ(ApplyOption("--beam=-3,0.5,90", o), ParseResult::Used);
    EXPECT_TRUE(o.beam);
    EXPECT_EQ(o.beamPos, Vector(-3, 0.5, 90));
    EXPECT_EQ(ApplyOption("--print-pose", o), ParseResult::Used);
    EXPECT_TRUE(o.printPose);
    for (const char* agentOption : {"--host=1.2.3.4", "--port=3100", "--teamname=Blue", "--unum=2"})
        EXPECT_EQ(ApplyOption(agentOption, o), ParseResult::NotMine) << agentOption;
}

TEST(ProbeOptions, RefusesValuesItCannotUse) {
    Options o;
    for (const char* bad : {"--motion=fly", "--motion=", "--turn=abc", "--turn=nan", "--seconds=0",
                            "--seconds=-1", "--seconds=inf", "--beam=1,2", "--beam=1,2,3,4",
                            "--beam=a,b,c", "--beam=", "--hold=-1", "--hold=nan"})
        EXPECT_EQ(ApplyOption(bad, o), ParseResult::Invalid) << bad;
    EXPECT_EQ(o.motion, "walk_f");  // nothing changed by the refused values
    EXPECT_FALSE(o.beam);
}
