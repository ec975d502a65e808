// The real agent program against the stand-in server: start-up, options, the cycle's
// message order, and every way the process ends.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <thread>

#include "runtime/framing.h"
#include "support/agent_process.h"
#include "support/standin_server.h"

namespace {

using standin::AgentProcess;
using standin::Server;
using standin::WithPort;

const char* kPerception = "(time (now 0.02))(GS (t 0.00) (pm BeforeKickOff))";

std::string Scene(int type) {
    return "(syn) (scene rsg/agent/nao/nao_hetero.rsg " + std::to_string(type) + ") (syn)";
}

// Starts the agent, accepts it and waits for its scene message.
struct Session {
    Server server;
    AgentProcess agent;
    explicit Session(std::vector<std::string> args, const char* program = CORVANE_AGENT_PATH)
        : agent(program, WithPort(server.Port(), std::move(args))) {
        EXPECT_TRUE(server.Accept());
        EXPECT_TRUE(server.WaitForFrames(1));
    }
    std::vector<std::string> frames() const { return server.Frames(); }
};

}  // namespace

TEST(AgentStartup, SceneTypeFollowsTheRequestedNumber) {
    const int expected[] = {0, 2, 2, 1, 1, 0};
    for (int unum = 0; unum <= 5; ++unum) {
        Session s({"--unum=" + std::to_string(unum)});
        EXPECT_EQ(s.frames().at(0), Scene(expected[unum])) << unum;
    }
    Session alt({"--unum=1"}, CORVANE_AGENT_ALT_PATH);
    EXPECT_EQ(alt.frames().at(0), Scene(2));
}

TEST(AgentStartup, DefaultsThenInitAfterFirstMessageThenOneEffectorPerMessage) {
    Session s({});
    EXPECT_EQ(s.frames().at(0), Scene(0));
    EXPECT_EQ(s.server.FrameCount(), 1u);  // nothing more before the first perception
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(s.server.Exchange(kPerception));
    ASSERT_TRUE(s.server.WaitForFrames(7));
    const auto frames = s.frames();
    EXPECT_EQ(frames.at(1), "(init (unum 0)(teamname Corvane3D))");
    // Init and the first effector frame leave in the same cycle; later cycles send one each.
    EXPECT_EQ(frames.size(), 7u);
    s.server.CloseClient();
    EXPECT_EQ(s.agent.Wait(), 0);
    EXPECT_EQ(s.agent.Output(), "connecting to TCP 127.0.0.1:" + std::to_string(s.server.Port()) +
                                    "\nStart Playing....\n ReadCError! \n");
}

TEST(AgentOptions, PrefixMatchingSkippedSeparatorAndOverrides) {
    struct Case { std::vector<std::string> args; std::string init; };
    const Case cases[] = {
        {{"--teamname=Blue"}, "(init (unum 0)(teamname Blue))"},
        {{"--teamname:Blue", "--unum=4.9"}, "(init (unum 4)(teamname Blue))"},
        {{"--unum=3", "--unum=7", "--teamname=A", "--teamname=B"}, "(init (unum 7)(teamname B))"},
        {{"--unum=", "--teamname", "--unum"}, "(init (unum 0)(teamname Corvane3D))"},
        {{"--helpme", "--penaltykeeper", "--penaltyattacker"}, "(init (unum 0)(teamname Corvane3D))"},
        // Prefix match: the value is read from index 7 ("er=9"), characters unchecked.
        {{"--unumber=9"}, "(init (unum 59739)(teamname Corvane3D))"},
        // Not finite, or too large for an int: the setting stays.
        {{"--unum=5", "--unum=" + std::string(400, '9'), "--unum=99999999999"},
         "(init (unum 5)(teamname Corvane3D))"},
        {{"--host=127.0.0.1"}, "(init (unum 0)(teamname Corvane3D))"},
    };
    for (const Case& c : cases) {
        Session s(c.args);
        ASSERT_TRUE(s.server.Exchange(kPerception));
        ASSERT_TRUE(s.server.WaitForFrames(3));
        EXPECT_EQ(s.frames().at(1), c.init);
    }
}

TEST(AgentOptions, PortOptionWithAnySeparatorAndInvalidValuesIgnored) {
    Server server;
    // Later arguments override; a non-finite or oversized port leaves the last good value.
    AgentProcess agent(CORVANE_AGENT_PATH,
                       {"--port=1", "--port:" + std::to_string(server.Port()), "--port=" + std::string(400, '9'),
                        "--port=", "--port=99999999999"});
    ASSERT_TRUE(server.Accept());
    ASSERT_TRUE(server.WaitForFrames(1));
    EXPECT_EQ(server.Frames().at(0), Scene(0));
}

TEST(AgentOptions, HelpPrintsExactTextAndStopsReading) {
    AgentProcess agent(CORVANE_AGENT_PATH, {"--unum=3", "--help", "--host=0.0.0.1", "--bogus"});
    EXPECT_EQ(agent.Wait(), 0);
    EXPECT_EQ(agent.Output(),
              "\nOptions:\n"
              " --help      prints this message.\n"
              " --host=IP   set IP of the server, default: 127.0.0.1\n"
              " --port=XXX  set the port to connect, default: 3100\n"
              " --teamname=XXX  set the teamname, default: Corvane3D\n"
              " --unum=1~11     set the num of player, default: 1\n"
              " --penaltyattacker   switch to the penalty attacker mode\n"
              " --penaltykeeper   switch to the penalty keeper mode\n"
              "\n");
}

TEST(AgentEnd, RefusedConnectionOrBadHostGivesStatusOne) {
    int freePort;
    { Server probe; freePort = probe.Port(); }  // closed again: nobody listens there now
    AgentProcess refused(CORVANE_AGENT_PATH, {"--port=" + std::to_string(freePort)});
    EXPECT_EQ(refused.Wait(), 1);
    EXPECT_EQ(refused.Output(), "connecting to TCP 127.0.0.1:" + std::to_string(freePort) +
                                    "\nconnection failed\nconnecting refused \n");

    AgentProcess badHost(CORVANE_AGENT_PATH, {"--hostname=10.0.0.1", "--port=3100"});
    EXPECT_EQ(badHost.Wait(), 1);
    EXPECT_EQ(badHost.Output(),
              "connecting to TCP ame=10.0.0.1:3100\nconnection failed\nconnecting refused \n");
}

TEST(AgentEnd, OversizedFrameOrClosedStreamEndsWithStatusZero) {
    Session s({});
    ASSERT_TRUE(s.server.Exchange(kPerception));
    const uint32_t net = htonl(16380);
    ASSERT_TRUE(s.server.SendRaw(std::string(reinterpret_cast<const char*>(&net), 4)));
    EXPECT_EQ(s.agent.Wait(), 0);
    EXPECT_NE(s.agent.Output().find("too long message; aborting\n"), std::string::npos);

    Session mid({});
    ASSERT_TRUE(mid.server.Exchange(kPerception));
    ASSERT_TRUE(mid.server.SendRaw(Frame(kPerception).substr(0, 10)));
    mid.server.CloseClient();
    EXPECT_EQ(mid.agent.Wait(), 0);
    EXPECT_NE(mid.agent.Output().find(" ReadError! \n"), std::string::npos);
}

TEST(AgentEnd, InterruptWhileWaitingFinishesThatCycle) {
    Session s({});
    ASSERT_TRUE(s.server.Exchange(kPerception));
    // Let the agent reach its wait before interrupting it.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    s.agent.Signal(SIGINT);
    EXPECT_EQ(s.agent.Wait(200), -1);  // still waiting for the message
    const size_t before = s.server.FrameCount();
    ASSERT_TRUE(s.server.SendMessage(kPerception));
    EXPECT_EQ(s.agent.Wait(), 0);
    EXPECT_TRUE(s.server.WaitForPeerClose());
    EXPECT_EQ(s.server.FrameCount(), before + 1);  // the cycle ran to its effector frame
}

TEST(AgentEnd, TenSilentSecondsEndWithoutInit) {
    Session s({});
    EXPECT_EQ(s.agent.Wait(15000), 0);
    EXPECT_EQ(s.server.FrameCount(), 1u);  // the scene only
    EXPECT_NE(s.agent.Output().find("(SelectInput) select failed "), std::string::npos);
}
