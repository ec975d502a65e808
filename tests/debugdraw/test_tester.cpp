// Datagrams of the debug drawing client, received by a loopback UDP listener and
// compared byte for byte.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cmath>
#include <limits>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

#include "debugdraw/tester.h"

namespace {

using namespace std::string_literals;

class Visualiser {
public:
    Visualiser() {
        fd_ = socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof(addr);
        EXPECT_EQ(bind(fd_, reinterpret_cast<sockaddr*>(&addr), len), 0);
        EXPECT_EQ(getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len), 0);
        port_ = ntohs(addr.sin_port);
    }
    ~Visualiser() { close(fd_); }

    std::string Port() const { return std::to_string(port_); }

    // The next datagram, or "<none>" after two seconds of silence.
    std::string Next() {
        pollfd pfd{fd_, POLLIN, 0};
        if (poll(&pfd, 1, 2000) != 1) return "<none>";
        char buf[70000];
        const ssize_t n = recv(fd_, buf, sizeof(buf), 0);
        return n < 0 ? "<none>" : std::string(buf, static_cast<size_t>(n));
    }

private:
    int fd_ = -1;
    int port_ = 0;
};

class DebugDraw : public ::testing::Test {
protected:
    void SetUp() override {
        tester.mPort = vis.Port();
        ASSERT_GE(tester.Connection(), 0);
    }
    Visualiser vis;
    TestModule tester;
};

TEST_F(DebugDraw, SwapWithEmptyNameIsThreeZeroBytes) {
    tester.swapBuffers("");
    EXPECT_EQ(vis.Next(), "\0\0\0"s);
    tester.swapBuffers("ball");
    EXPECT_EQ(vis.Next(), "\0\0ball\0"s);
}

TEST_F(DebugDraw, ShapesFollowTheirLayouts) {
    tester.drawPoint(1.5f, -2, 0, 3, 1, 0, 0, "dbg");
    EXPECT_EQ(vis.Next(), "\1\2" "1.5000" "-2.000" "0.0000" "3.0000" "\xFF\0\0" "dbg\0"s);

    tester.drawLine(1, 2, 3, -4, -5, -6, 0.25f, 0, 1, 0, "l");
    EXPECT_EQ(vis.Next(), "\1\1" "1.0000" "2.0000" "3.0000" "-4.000" "-5.000" "-6.000"
                          "0.2500" "\0\xFF\0" "l\0"s);

    tester.drawSphere(0, 0, 0.5f, 0.1f, 0, 0, 1, "s");
    EXPECT_EQ(vis.Next(), "\1\3" "0.0000" "0.0000" "0.5000" "0.1000" "\0\0\xFF" "s\0"s);

    tester.drawCircle(-12.345f, 4, 0.5f, 1, 1, 1, 1, "");
    EXPECT_EQ(vis.Next(), "\1\0" "-12.34" "4.0000" "0.5000" "1.0000" "\xFF\xFF\xFF" "\0"s);
}

TEST_F(DebugDraw, PolygonCarriesCountColourAlphaAndVertices) {
    const float v[9] = {0, 0, 0, 1, 0, 0, 0, 1, 0.5f};
    tester.drawPolygon(v, 3, 1, 0.5f, 0, 0.5f, "p");
    const std::string d = vis.Next();
    ASSERT_EQ(d.size(), 63u);
    EXPECT_EQ(d, "\1\4\3" "\xFF\x7F\0\x7F" "0.00000.00000.0000" "1.00000.00000.0000"
                 "0.00001.00000.5000" "p\0"s);

    tester.drawPolygon(nullptr, 0, 0, 0, 0, 0, "");
    EXPECT_EQ(vis.Next(), "\1\4\0\0\0\0\0\0"s);
}

TEST_F(DebugDraw, AnnotationsAndTheirRemoval) {
    tester.drawAnnotation("hi", 1, 2, 3, 0, 0.5f, 1, "t");
    EXPECT_EQ(vis.Next(), "\2\0" "1.0000" "2.0000" "3.0000" "\0\x7F\xFF" "hi\0" "t\0"s);

    tester.drawAgentAnnotation("go", true, 5, 1, 1, 0);
    EXPECT_EQ(vis.Next(), "\2\1\4\xFF\xFF\0go\0"s);
    tester.drawAgentAnnotation("go", false, 11, 0, 0, 0);
    EXPECT_EQ(vis.Next(), "\2\1\x8A\0\0\0go\0"s);

    tester.drawAgentAnnotation("", true, 5, 1, 1, 1);
    EXPECT_EQ(vis.Next(), "\2\2\4"s);
    tester.drawAgentAnnotation("", false, 5, 1, 1, 1);
    EXPECT_EQ(vis.Next(), "\2\2\x84"s);
}

TEST_F(DebugDraw, LongAndNonFiniteNumbersKeepSixCharacters) {
    const float inf = std::numeric_limits<float>::infinity();
    tester.drawPoint(1234567, -123456, 1e30f, std::numeric_limits<float>::max(), 0, 0, 0, "");
    EXPECT_EQ(vis.Next(), "\1\2" "123456" "-12345" "100000" "340282" "\0\0\0" "\0"s);

    tester.drawPoint(inf, -inf, 0, 0, 0, 0, 0, "");
    EXPECT_EQ(vis.Next(), "\1\2" "   inf" "  -inf" "0.0000" "0.0000" "\0\0\0" "\0"s);

    tester.drawSphere(std::nanf(""), 0, 0, 0, 0, 0, 0, "");
    const std::string d = vis.Next();
    ASSERT_EQ(d.size(), 30u);
    EXPECT_NE(d.substr(2, 6).find("nan"), std::string::npos);
}

TEST_F(DebugDraw, ColourComponentsAreClampedToOneByte) {
    const float nan = std::nanf("");
    tester.drawPoint(0, 0, 0, 0, -0.5f, 7, nan, "");
    EXPECT_EQ(vis.Next().substr(26, 3), "\0\xFF\0"s);
    tester.drawAgentAnnotation("x", true, 1, 0.5f, 1.0f / 255, 0.999f);
    EXPECT_EQ(vis.Next(), "\2\1\0\x7F\1\xFE" "x\0"s);
}

TEST_F(DebugDraw, PolygonThatCannotBeSentFaithfullySendsNothing) {
    const float v[3 * 256] = {};
    tester.drawPolygon(v, -1, 1, 1, 1, 1, "bad");
    tester.drawPolygon(v, 256, 1, 1, 1, 1, "bad");
    tester.drawPolygon(nullptr, 2, 1, 1, 1, 1, "bad");
    tester.swapBuffers("after");
    EXPECT_EQ(vis.Next(), "\0\0after\0"s);

    tester.drawPolygon(v, 255, 0, 0, 0, 0, "");
    const std::string d = vis.Next();
    ASSERT_EQ(d.size(), 8u + 18u * 255u);
    EXPECT_EQ(static_cast<unsigned char>(d[2]), 255);
}

TEST(DebugDrawConnection, DrawsBeforeConnectingSendNothing) {
    Visualiser vis;
    TestModule tester;
    tester.mPort = vis.Port();
    tester.swapBuffers("early");
    tester.drawPoint(1, 2, 3, 4, 1, 1, 1, "early");
    tester.drawAgentAnnotation("", true, 1, 0, 0, 0);
    ASSERT_GE(tester.Connection(), 0);
    tester.swapBuffers("late");
    EXPECT_EQ(vis.Next(), "\0\0late\0"s);
}

TEST(DebugDrawConnection, UnresolvableAddressLeavesTheClientSilent) {
    Visualiser vis;
    TestModule tester;
    tester.mHost = "127.0.0.1";
    tester.mPort = "no-such-service";
    EXPECT_NE(tester.Connection(), 0);
    EXPECT_LT(tester.sockfd, 0);
    tester.swapBuffers("lost");

    tester.mPort = vis.Port();
    ASSERT_GE(tester.Connection(), 0);
    ASSERT_GE(tester.Connection(), 0);  // reconnecting replaces the socket
    tester.swapBuffers("found");
    EXPECT_EQ(vis.Next(), "\0\0found\0"s);
}

}  // namespace
