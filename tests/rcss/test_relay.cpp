// The relay between an agent and a stand-in for the server's agent port, in sync mode: the
// answer of each cycle carries the "(syn)" the server waits for, messages beside it do not,
// a silent agent is answered for, and numbers that spell nan are counted.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "rcss/relay.h"
#include "rcss/server.h"
#include "runtime/framing.h"
#include "simkit/loopback.h"

namespace {

// Frames from one socket; several may come in one read.
struct Reader {
    int fd;
    std::string buffer;
    std::string Next() {
        std::string payload;
        char chunk[4096];
        while (TakeFrame(buffer, payload) != FrameResult::Ready) {
            const ssize_t n = read(fd, chunk, sizeof chunk);
            if (n <= 0) return "<closed>";
            buffer.append(chunk, size_t(n));
        }
        return payload;
    }
};

TEST(Relay, SyncModeAddsOneSynPerCycleAndAnswersForASilentAgent) {
    const simkit::Listener upstream = simkit::ListenLoopback(0, 1, false, false);
    ASSERT_GE(upstream.fd, 0);
    const int listenFd = upstream.fd;
    rcss::Relay relay;
    ASSERT_TRUE(relay.Start(upstream.port, true));
    const int agent = simkit::ConnectLoopback(relay.Port());
    ASSERT_GE(agent, 0);
    ASSERT_TRUE(simkit::SendFrame(agent, "(scene rsg/agent/nao/nao_hetero.rsg 0)"));
    const int server = accept(listenFd, nullptr, nullptr);
    Reader fromRelay{server, ""}, toAgent{agent, ""};
    EXPECT_EQ(fromRelay.Next(), "(scene rsg/agent/nao/nao_hetero.rsg 0)");

    simkit::SendFrame(server, "(time (now 0.02))");
    EXPECT_EQ(toAgent.Next(), "(time (now 0.02))");
    simkit::SendFrame(agent, "(init (unum 2)(teamname Blue))");
    simkit::SendFrame(agent, "(beam -3 0 0)");
    simkit::SendFrame(agent, "(he1 0.5)");
    simkit::SendFrame(agent, "(he2 nan)");  // no perception since: no second syn
    EXPECT_EQ(fromRelay.Next(), "(init (unum 2)(teamname Blue))");
    EXPECT_EQ(fromRelay.Next(), "(beam -3 0 0)");
    EXPECT_EQ(fromRelay.Next(), "(he1 0.5)(syn)");
    EXPECT_EQ(fromRelay.Next(), "(he2 nan)");

    simkit::SendFrame(server, "(time (now 0.04))");
    EXPECT_EQ(toAgent.Next(), "(time (now 0.04))");
    EXPECT_EQ(fromRelay.Next(), "(syn)");  // after a second of silence
    const std::vector<rcss::RelayStats> links = relay.Links();
    ASSERT_EQ(links.size(), 1u);
    EXPECT_EQ(links[0].perceptions, 2);
    EXPECT_EQ(links[0].nonFiniteMessages, 1);
    EXPECT_EQ(links[0].firstNonFinite, "(he2 nan)");

    close(server);  // the server going away closes the agent's stream too
    EXPECT_EQ(toAgent.Next(), "<closed>");
    close(agent);
    close(listenFd);
}

}  // namespace
