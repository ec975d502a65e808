// Framing of the server connection against the stand-in server, in process.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <csignal>
#include <cstring>
#include <sys/socket.h>

#include "runtime/connection.h"
#include "runtime/framing.h"
#include "support/standin_server.h"

namespace {

struct Linked {
    standin::Server server;
    Connection conn;
    Linked() {
        conn.SetHostPort(server.Port());
        EXPECT_TRUE(conn.Connect());
        EXPECT_TRUE(server.Accept());
    }
};

std::string Receive(Connection& conn, bool& ok) {
    std::string msg = "untouched";
    ok = conn.ReceiveMsg(msg);
    return msg;
}

}  // namespace

TEST(ConnectionFraming, JoinsSplitPrefixesAndPiecewisePayloads) {
    Linked link;
    bool ok = false;
    const std::string frame = Frame("(time (now 1.00))");
    ASSERT_TRUE(link.server.SendInPieces(frame.substr(0, 1), 1));
    ASSERT_TRUE(link.server.SendRaw(frame.substr(1, 3)));
    ASSERT_TRUE(link.server.SendInPieces(frame.substr(4), 3));
    EXPECT_EQ(Receive(link.conn, ok), "(time (now 1.00))");
    EXPECT_TRUE(ok);

    ASSERT_TRUE(link.server.SendMessage(""));
    EXPECT_EQ(Receive(link.conn, ok), "");
    EXPECT_TRUE(ok);

    ASSERT_TRUE(link.server.SendMessage(std::string("abc\0def", 7)));
    EXPECT_EQ(Receive(link.conn, ok), "abc");
    EXPECT_TRUE(ok);
    EXPECT_EQ(std::memcmp(link.conn.GetMsg(), "abc\0def\0", 8), 0);
}

TEST(ConnectionFraming, AcceptsTheLargestPayloadAndRefusesAnyLarger) {
    for (uint32_t announced : {16380u, 0xFFFFFFFBu, 0xFFFFFFFFu, 0x80000000u}) {
        Linked link;
        bool ok = true;
        const std::string largest(16379, 'x');
        ASSERT_TRUE(link.server.SendMessage(largest));
        EXPECT_EQ(Receive(link.conn, ok).size(), 16379u);
        EXPECT_TRUE(ok);

        const uint32_t net = htonl(announced);
        ASSERT_TRUE(link.server.SendRaw(std::string(reinterpret_cast<const char*>(&net), 4) + "yy"));
        testing::internal::CaptureStdout();
        EXPECT_EQ(Receive(link.conn, ok), "untouched") << announced;
        EXPECT_FALSE(ok);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "too long message; aborting\n");
    }
}

TEST(ConnectionFraming, StreamClosedMidPrefixOrMidPayloadFails) {
    struct Case { std::string bytes; const char* text; };
    const std::string frame = Frame("(time (now 1.00))");
    for (const Case& c : {Case{"", " ReadCError! \n"}, Case{frame.substr(0, 2), " ReadCError! \n"},
                          Case{frame.substr(0, 9), " ReadError! \n"}}) {
        Linked link;
        ASSERT_TRUE(link.server.SendRaw(c.bytes));
        link.server.CloseClient();
        bool ok = true;
        testing::internal::CaptureStdout();
        Receive(link.conn, ok);
        EXPECT_FALSE(ok);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.text);
    }
}

TEST(ConnectionSend, FramesWholeMessagesIncludingEmptyAndLargeOnes) {
    Linked link;
    const std::string big(1 << 20, 'q');  // larger than any socket buffer: needs several writes
    EXPECT_TRUE(link.conn.SendMsg(""));
    EXPECT_TRUE(link.conn.SendMsg("(syn)"));
    EXPECT_TRUE(link.conn.SendMsg(big));
    ASSERT_TRUE(link.server.WaitForFrames(3));
    const auto frames = link.server.Frames();
    EXPECT_EQ(frames[0], "");
    EXPECT_EQ(frames[1], "(syn)");
    EXPECT_EQ(frames[2], big);
}

TEST(ConnectionSend, ClosedPeerReportsFailureWithoutSigpipe) {
    Linked link;
    link.server.CloseClient();
    testing::internal::CaptureStdout();
    bool failed = false;
    // The first writes may still be buffered by the kernel; the reset shows soon after.
    for (int i = 0; i < 200 && !failed; ++i) failed = !link.conn.SendMsg(std::string(4096, 'a'));
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(failed);
    EXPECT_NE(out.find("sendMessage failed\n"), std::string::npos);
}

TEST(ConnectionSetup, RefusesHostNamesAndClosesOnce) {
    standin::Server server;
    Connection conn;
    conn.SetHostPort(server.Port());
    conn.SetHostIP("localhost");
    testing::internal::CaptureStdout();
    EXPECT_FALSE(conn.Connect());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "connection failed\n");
    EXPECT_EQ(conn.socket_fd, -1);

    conn.SetHostIP("127.0.0.1");
    ASSERT_TRUE(conn.Connect());
    conn.CloseConnection();
    EXPECT_EQ(conn.socket_fd, -1);
    conn.CloseConnection();  // a second close must not touch a descriptor reused elsewhere
    EXPECT_EQ(conn.socket_fd, -1);
}

// The one frame codec every reader and writer shares: its bytes stated outright, a stream
// cut anywhere, two frames in one read, and a refusal that does not wait for the payload.
TEST(FrameCodec, BigEndianPrefixAndStreamReassembly) {
    const std::string payload(300, 'p');
    const std::string frame = Frame(payload);
    ASSERT_EQ(frame.size(), 304u);
    EXPECT_EQ(frame.substr(0, 4), std::string("\x00\x00\x01\x2c", 4));
    EXPECT_EQ(FrameLength("\x01\x02\x03\x04"), 0x01020304u);
    EXPECT_EQ(Frame(""), std::string(4, '\0'));

    std::string stream = frame + Frame("(syn)");
    std::string got;
    for (size_t cut : {size_t(0), size_t(3), size_t(4), size_t(303)}) {
        std::string partial = stream.substr(0, cut);
        EXPECT_EQ(TakeFrame(partial, got), FrameResult::Incomplete) << cut;
        EXPECT_EQ(partial.size(), cut);  // nothing consumed
    }
    ASSERT_EQ(TakeFrame(stream, got), FrameResult::Ready);
    EXPECT_EQ(got, payload);
    ASSERT_EQ(TakeFrame(stream, got), FrameResult::Ready);
    EXPECT_EQ(got, "(syn)");
    EXPECT_TRUE(stream.empty());

    std::string huge = std::string("\x7f\xff\xff\xff", 4);
    EXPECT_EQ(TakeFrame(huge, got, 8192), FrameResult::Oversized);
    std::string atLimit = Frame(std::string(8192, 'x'));
    EXPECT_EQ(TakeFrame(atLimit, got, 8192), FrameResult::Ready);
}
