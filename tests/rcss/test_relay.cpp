// The relay between an agent and a stand-in for the server's agent port, in sync mode: the
// answer of each cycle carries the "(syn)" the server waits for, messages beside it do not,
// a silent agent is answered for, and numbers that spell nan are counted.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "practice_server/framing.h"
#include "rcss/relay.h"
#include "rcss/server.h"

namespace {

// Frames from one socket; several may come in one read.
struct Reader {
    int fd;
    std::string buffer;
    std::string Next() {
        std::string payload;
        char chunk[4096];
        while (practice::TakeFrame(buffer, payload) != practice::FrameResult::Ready) {
            const ssize_t n = read(fd, chunk, sizeof chunk);
            if (n <= 0) return "<closed>";
            buffer.append(chunk, size_t(n));
        }
        return payload;
    }
};

TEST(Relay, SyncModeAddsOneSynPerCycleAndAnswersForASilentAgent) {
    const int listenFd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    ASSERT_EQ(bind(listenFd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(listen(listenFd, 1), 0);
    getsockname(listenFd, reinterpret_cast<sockaddr*>(&addr), &len);
    rcss::Relay relay;
    ASSERT_TRUE(relay.Start(ntohs(addr.sin_port), true));
    const int agent = rcss::ConnectLoopback(relay.Port());
    ASSERT_GE(agent, 0);
    ASSERT_TRUE(practice::SendFrame(agent, "(scene rsg/agent/nao/nao_hetero.rsg 0)"));
    const int server = accept(listenFd, nullptr, nullptr);
    Reader fromRelay{server, ""}, toAgent{agent, ""};
    EXPECT_EQ(fromRelay.Next(), "(scene rsg/agent/nao/nao_hetero.rsg 0)");

    practice::SendFrame(server, "(time (now 0.02))");
    EXPECT_EQ(toAgent.Next(), "(time (now 0.02))");
    practice::SendFrame(agent, "(init (unum 2)(teamname Blue))");
    practice::SendFrame(agent, "(beam -3 0 0)");
    practice::SendFrame(agent, "(he1 0.5)");
    practice::SendFrame(agent, "(he2 nan)");  // no perception since: no second syn
    EXPECT_EQ(fromRelay.Next(), "(init (unum 2)(teamname Blue))");
    EXPECT_EQ(fromRelay.Next(), "(beam -3 0 0)");
    EXPECT_EQ(fromRelay.Next(), "(he1 0.5)(syn)");
    EXPECT_EQ(fromRelay.Next(), "(he2 nan)");

    practice::SendFrame(server, "(time (now 0.04))");
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
