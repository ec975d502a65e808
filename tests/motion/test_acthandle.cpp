// Joint command table and effector message: clause order and stops, the number text, the
// goalkeeper's say clause, the silence watchdog, and beams on the wire.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "motion/acthandle.h"
#include "runtime/connection.h"
#include "runtime/corvane.h"
#include "support/standin_server.h"
#include "worldmodel/worldmodel.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// Every test starts from a standing robot in a neutral game state.
class ActTest : public testing::Test {
protected:
    void SetUp() override {
        for (HJInfo& joint : wm.m_HJ) joint.fAngle = 0.0;
        wm.m_iUnum = 2;
        wm.m_sPlayMode = "BeforeKickOff";
        wm.m_FallState = FALL_NONE;
        timer.ClearTimer();
    }
    void TearDown() override { timer.ClearTimer(); }

    // One cycle as the loop runs it: clear, let `drive` command, compose.
    template <typename Drive>
    std::string Cycle(Drive drive) {
        act.ClearControl();
        drive();
        return act.MakeCommand();
    }
    std::string Cycle() {
        return Cycle([] {});
    }

    ActHandle act;
};

// The global connection linked to a stand-in server for the length of a test.
struct Linked {
    standin::Server server;
    Linked() {
        connection.SetHostIP("127.0.0.1");
        connection.SetHostPort(server.Port());
        EXPECT_TRUE(connection.Connect());
        EXPECT_TRUE(server.Accept());
    }
    ~Linked() { connection.CloseConnection(); }
};

// A speed whose text is exactly n characters long (1..12).
double SpeedOfTextLength(int n) {
    const double speed[] = {1, 12, 123, 1234, 12345, 123456, -123456,
                            -1.5e6, -1.25e6, -1.125e6, -1.1125e6, -1.11125e6};
    return speed[n - 1];
}

// Commands joints in table order until the joint clauses are exactly `length` long.
void DriveToTextLength(ActHandle& act, size_t length) {
    size_t rest = length;
    for (HJCtrl& joint : act.HJControl) {
        if (rest == 0) break;
        const size_t frame = joint.sName.size() + 3;  // "(", " ", ")"
        size_t digits = rest - frame;
        if (rest > frame + 12) digits = std::min<size_t>(12, rest - frame - 8);  // leave >= 8
        joint.bCtrled = true;
        joint.fAngle = SpeedOfTextLength(static_cast<int>(digits));
        rest -= frame + digits;
    }
    ASSERT_EQ(rest, 0u);
}

}  // namespace

TEST_F(ActTest, NothingDrivenGivesAnEmptyMessage) {
    EXPECT_EQ(Cycle(), "");
    EXPECT_EQ(Cycle(), "");
}

TEST_F(ActTest, AJointThatStopsBeingDrivenGetsExactlyOneZero) {
    EXPECT_EQ(Cycle([&] {
        act.HJControl[JID_LLEG_1].bCtrled = true;
        act.HJControl[JID_LLEG_1].fAngle = 0.004;
    }), "(lle1 0)");
    EXPECT_TRUE(act.HJControl[JID_LLEG_1].bChanged);
    EXPECT_EQ(Cycle(), "(lle1 0)");
    EXPECT_FALSE(act.HJControl[JID_LLEG_1].bChanged);
    EXPECT_EQ(Cycle(), "");
}

TEST_F(ActTest, ClausesFollowJointOrderWhoeverWroteThemFirst) {
    const std::string all =
        "(he1 1)(he2 2)(lae1 3)(rae1 4)(lae2 5)(rae2 6)(lae3 7)(rae3 8)(lae4 9)(rae4 10)"
        "(lle1 11)(rle1 12)(lle2 13)(rle2 14)(lle3 15)(rle3 16)(lle4 17)(rle4 18)"
        "(lle5 19)(rle5 20)(lle6 21)(rle6 22)";
    EXPECT_EQ(Cycle([&] {
        for (int id = kJointCount - 1; id >= 0; --id) {
            act.HJControl[id].bCtrled = true;
            act.HJControl[id].fAngle = id + 1;
        }
    }), all);
    // Stops sit in table order among the joints still driven.
    EXPECT_EQ(Cycle([&] {
        act.HJControl[JID_RLEG_6].bCtrled = true;
        act.HJControl[JID_RLEG_6].fAngle = 3;
        act.HJControl[JID_HEAD_2].bCtrled = true;
        act.HJControl[JID_HEAD_2].fAngle = 2;
    }), "(he1 0)(he2 2)(lae1 0)(rae1 0)(lae2 0)(rae2 0)(lae3 0)(rae3 0)(lae4 0)(rae4 0)"
        "(lle1 0)(rle1 0)(lle2 0)(rle2 0)(lle3 0)(rle3 0)(lle4 0)(rle4 0)"
        "(lle5 0)(rle5 0)(lle6 0)(rle6 3)");
    // A speed of zero sent while driven still counts as sent: one more zero follows.
    EXPECT_EQ(Cycle([&] { act.HJControl[JID_HEAD_1].bCtrled = true; }), "(he1 0)(he2 0)(rle6 0)");
    EXPECT_EQ(Cycle(), "(he1 0)");
    EXPECT_EQ(Cycle(), "");
}

TEST_F(ActTest, AdjustHJLeavesAJointWithinTheAccuracyAlone) {
    wm.m_HJ[JID_HEAD_1].fAngle = 29.5;
    EXPECT_EQ(Cycle([&] { EXPECT_TRUE(act.AdjustHJ(JID_HEAD_1, 30, 0.1, 1)); }), "");
    wm.m_HJ[JID_HEAD_1].fAngle = 29;  // exactly the accuracy away: still arrived
    EXPECT_EQ(Cycle([&] { EXPECT_TRUE(act.AdjustHJ(JID_HEAD_1, 30, 0.1, 1)); }), "");
    wm.m_HJ[JID_HEAD_1].fAngle = 20;
    EXPECT_EQ(Cycle([&] { EXPECT_FALSE(act.AdjustHJ(JID_HEAD_1, 30, 0.1, 1)); }), "(he1 1)");
    // The later of two commands for one joint wins; they do not add up.
    EXPECT_EQ(Cycle([&] {
        act.AdjustHJ(JID_HEAD_1, 30, 0.1, 1);
        act.AdjustHJ(JID_HEAD_1, 40, 0.2, 1);
    }), "(he1 4)");
}

TEST_F(ActTest, AdjustHJRefusesUnknownJointsAndUnreadableAngles) {
    EXPECT_EQ(Cycle([&] {
        EXPECT_FALSE(act.AdjustHJ(-1, 30, 0.1, 1));
        EXPECT_FALSE(act.AdjustHJ(kJointCount, 30, 0.1, 1));
        EXPECT_FALSE(act.AdjustHJ(JID_ROOT, 30, 0.1, 1));
    }), "");
    wm.m_HJ[JID_HEAD_2].fAngle = kNaN;
    EXPECT_EQ(Cycle([&] { act.AdjustHJ(JID_HEAD_2, 30, 0.1, 1); }), "");
    wm.m_HJ[JID_HEAD_2].fAngle = 0;
    EXPECT_EQ(Cycle([&] { act.AdjustHJ(JID_HEAD_2, kInf, 0.1, 1); }), "(he2 0)");
}

TEST_F(ActTest, DoActionMapsEachArgumentToItsJointAndNeverTheHead) {
    // Target 10·(argument position): a swapped argument shows as a wrong number.
    EXPECT_EQ(Cycle([&] {
        act.DoAction(10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120, 130, 140,
                     150, 160, 170, 180, 190, 200, 1);
    }), "(lae1 10)(rae1 50)(lae2 20)(rae2 60)(lae3 30)(rae3 70)(lae4 40)(rae4 80)"
        "(lle1 90)(rle1 150)(lle2 100)(rle2 160)(lle3 110)(rle3 170)(lle4 120)(rle4 180)"
        "(lle5 130)(rle5 190)(lle6 140)(rle6 200)");
    for (HJInfo& joint : wm.m_HJ) joint.fAngle = 10;
    wm.m_HJ[JID_RLEG_3].fAngle = 9.1;  // 0.9 away: silent
    wm.m_HJ[JID_LLEG_2].fAngle = 8.9;  // 1.1 away
    ActHandle fresh;
    fresh.DoAction(10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10,
                   10, 10, 10, 10, 10, 10, 0.1);
    EXPECT_EQ(fresh.MakeCommand(), "(lle2 0.11)");
}

TEST_F(ActTest, SpeedsAreCutToTwoDecimalsThenWrittenInStreamNotation) {
    struct Case { double v; const char* text; };
    const Case cases[] = {
        {1.234, "1.23"}, {2, "2"}, {0.004, "0"}, {0.005, "0.01"}, {0.999, "1"},
        {-1.236, "-1.23"},  // the truncation moves negative values toward zero
        {-4, "-3.99"}, {-0.004, "0"},
        {-0.01, "0"},       // truncates to a negative zero, which is written as "0"
        {1234.5678, "1234.57"}, {123456.78, "123457"}, {-1234567.0, "-1.23457e+06"},
        {1e15, "1e+15"}, {-0.0, "0"},
    };
    for (const Case& c : cases) EXPECT_EQ(ActHandle::DealWithDouble(c.v), c.text) << c.v;
}

TEST_F(ActTest, NonFiniteSpeedsAreWrittenAsZero) {
    EXPECT_EQ(ActHandle::DealWithDouble(kNaN), "0");
    EXPECT_EQ(ActHandle::DealWithDouble(kInf), "0");
    EXPECT_EQ(ActHandle::DealWithDouble(-kInf), "0");
    EXPECT_EQ(ActHandle::DealWithDouble(2), "2");
    // Too large to scale by 100 without overflow, yet finite: written as the number it is.
    EXPECT_EQ(ActHandle::DealWithDouble(1e307), "1e+307");
    EXPECT_EQ(ActHandle::DealWithDouble(-std::numeric_limits<double>::max()), "-1.79769e+308");
    EXPECT_EQ(Cycle([&] {
        act.HJControl[JID_LARM_1].bCtrled = true;
        act.HJControl[JID_LARM_1].fAngle = kNaN;
        act.HJControl[JID_RARM_1].bCtrled = true;
        act.HJControl[JID_RARM_1].fAngle = -kInf;
    }), "(lae1 0)(rae1 0)");
}

TEST_F(ActTest, SilenceNeedsEightyQuietLegCyclesInOpenPlay) {
    wm.m_sPlayMode = "PlayOn";
    for (int i = 1; i < 80; ++i) ASSERT_FALSE(act.IsSilence()) << i;
    EXPECT_TRUE(act.IsSilence());
    for (int i = 1; i < 80; ++i) ASSERT_FALSE(act.IsSilence()) << i;  // counting starts over
    EXPECT_TRUE(act.IsSilence());

    for (int i = 1; i < 50; ++i) act.IsSilence();
    act.HJControl[JID_RLEG_6].fAngle = -0.0011;  // one leg command restarts the count
    EXPECT_FALSE(act.IsSilence());
    act.HJControl[JID_RLEG_6].fAngle = 0.001;    // not above the threshold: quiet
    act.HJControl[JID_HEAD_1].fAngle = 9;        // the head does not count
    act.HJControl[JID_LARM_1].fAngle = 9;        // nor do the arms
    for (int i = 1; i < 80; ++i) ASSERT_FALSE(act.IsSilence()) << i;
    EXPECT_TRUE(act.IsSilence());
}

TEST_F(ActTest, SilenceIsNotCountedOutsideOpenPlayOrWhileFallenOrCatching) {
    struct Case { const char* mode; FALLTYPE fall; bool catching; };
    const Case cases[] = {{"PlayOn ", FALL_NONE, false}, {"playon", FALL_NONE, false},
                          {"KickOff_Left", FALL_NONE, false}, {"PlayOn", FALL_UP, false},
                          {"PlayOn", FALL_DOWN, false}, {"PlayOn", FALL_NONE, true}};
    for (const Case& c : cases) {
        ActHandle fresh;
        wm.m_sPlayMode = "PlayOn";
        for (int i = 1; i < 79; ++i) fresh.IsSilence();
        wm.m_sPlayMode = c.mode;
        wm.m_FallState = c.fall;
        fresh.bCatchBall = c.catching;
        EXPECT_FALSE(fresh.IsSilence()) << c.mode;  // resets the count
        wm.m_sPlayMode = "PlayOn";
        wm.m_FallState = FALL_NONE;
        fresh.bCatchBall = false;
        EXPECT_FALSE(fresh.IsSilence()) << c.mode;  // one, not 80
    }
}

TEST_F(ActTest, ASilentBodyAbortsTheRunningMotionWithoutTouchingTheCommands) {
    wm.m_sPlayMode = "PlayOn";
    timer.SetTimer(0);
    for (int i = 1; i < 80; ++i) Cycle([&] { act.AdjustHJ(JID_HEAD_1, 40, 0.1, 1); });
    EXPECT_TRUE(timer.IsTimerRun());
    EXPECT_EQ(Cycle([&] { act.AdjustHJ(JID_HEAD_1, 40, 0.1, 1); }), "(he1 4)");
    EXPECT_FALSE(timer.IsTimerRun());
}

TEST_F(ActTest, ClearAllStopsTheTimerAndTheCatchButNotTheCommands) {
    timer.SetTimer(0);
    timer.Update(7);
    act.bCatchBall = true;
    act.HJControl[JID_LLEG_4].bCtrled = true;
    act.HJControl[JID_LLEG_4].fAngle = 3;
    act.ClearAll();
    EXPECT_FALSE(timer.IsTimerRun());
    EXPECT_EQ(timer.GetTime(), 0);
    EXPECT_FALSE(act.bCatchBall);
    EXPECT_EQ(act.MakeCommand(), "(lle4 3)");
}

TEST_F(ActTest, GoalkeeperAppendsTheSayClauseWhileTheMessageStaysShortEnough) {
    wm.m_iUnum = 1;
    const std::string say = "(say " + wm._GenerateSayInformationGK() + ")";
    EXPECT_EQ(Cycle(), say);  // even with no joint driven
    EXPECT_EQ(Cycle([&] { act.AdjustHJ(JID_HEAD_1, 10, 0.5, 1); }), "(he1 5)" + say);

    // The joint clauses alone reach the limit exactly: the say clause still fits.
    act.ClearControl();
    DriveToTextLength(act, 309 - say.size());
    testing::internal::CaptureStdout();
    std::string text = act.MakeCommand();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(text.size(), 309u);
    EXPECT_EQ(text.substr(text.size() - say.size()), say);

    // One character more and the say clause is dropped, the joints still go out.
    act.ClearControl();
    DriveToTextLength(act, 310 - say.size());
    testing::internal::CaptureStdout();
    text = act.MakeCommand();
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Send too long message, ignore say info" + std::to_string(say.size()) + ",  " +
                  std::to_string(310 - say.size()) + "\n");
    EXPECT_EQ(text.size(), 310 - say.size());
    EXPECT_EQ(text.find("(say"), std::string::npos);
}

TEST_F(ActTest, OnlyNumberOneSpeaks) {
    for (int unum : {0, 2, 11, -1}) {
        wm.m_iUnum = unum;
        EXPECT_EQ(Cycle(), "") << unum;
    }
}

TEST_F(ActTest, BeamLeavesAtOnceInStreamNotation) {
    Linked link;
    act.Beam(Vector(-3, 0.5, 90));
    act.Beam(Vector(1.23456789, -0.0001234, -180));
    act.Beam(Vector(-0.0, 1e7, 0.004));
    // A coordinate that is not a number goes out as 0 rather than a text the server rejects.
    act.Beam(Vector(kNaN, kInf, -kInf));
    ASSERT_TRUE(link.server.WaitForFrames(4));
    const auto frames = link.server.Frames();
    EXPECT_EQ(frames[0], "(beam -3 0.5 90)");
    EXPECT_EQ(frames[1], "(beam 1.23457 -0.0001234 -180)");
    EXPECT_EQ(frames[2], "(beam -0 1e+07 0.004)");  // as a stream writes it
    EXPECT_EQ(frames[3], "(beam 0 0 0)");
}

TEST_F(ActTest, CountedBeamSendsOnSuccessiveCallsThenResets) {
    Linked link;
    const Vector pos(-2, 1, 0);
    for (int i = 1; i < 10; ++i) ASSERT_FALSE(act.Beam(pos, 10, false)) << i;
    timer.SetTimer(0);
    EXPECT_TRUE(act.Beam(pos, 10, false));
    EXPECT_FALSE(timer.IsTimerRun());  // the reset aborts any motion
    // A new series starts from the beginning.
    EXPECT_FALSE(act.Beam(pos, 2, false));
    EXPECT_TRUE(act.Beam(pos, 2, false));
    // Clear, and a count of zero or less, send nothing.
    EXPECT_TRUE(act.Beam(pos, 10, true));
    EXPECT_TRUE(act.Beam(pos, 0, false));
    EXPECT_TRUE(act.Beam(pos, -3, false));
    EXPECT_FALSE(act.Beam(pos, 2, false));  // the count was not disturbed by those
    ASSERT_TRUE(link.server.WaitForFrames(13));
    EXPECT_FALSE(link.server.WaitForFrames(14, 50));
    for (const std::string& frame : link.server.Frames()) EXPECT_EQ(frame, "(beam -2 1 0)");
}

TEST(ActCycle, BeamLeavesAsItsOwnFrameBeforeTheCyclesEffectorFrame) {
    standin::Server server;
    connection.SetHostIP("127.0.0.1");
    connection.SetHostPort(server.Port());
    ASSERT_TRUE(connection.Connect());
    ASSERT_TRUE(server.Accept());
    m_bInit = true;  // the init message is covered by the runtime's own tests
    for (HJInfo& joint : wm.m_HJ) joint.fAngle = 0.0;
    wm.m_iUnum = 2;
    ASSERT_TRUE(server.SendMessage("(time (now 0.02))(GS (t 0.00) (pm BeforeKickOff))"
                                   "(HJ (n hj1) (ax 0))"));
    ASSERT_TRUE(RunCycle([] {
        ACT.AdjustHJ(JID_HEAD_1, 20, 0.1, 1);
        ACT.Beam(Vector(-3, 0.5, 90));
    }));
    ASSERT_TRUE(server.WaitForFrames(2));
    const auto frames = server.Frames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0], "(beam -3 0.5 90)");
    EXPECT_EQ(frames[1], "(he1 2)");
    connection.CloseConnection();
    m_bInit = false;
}
