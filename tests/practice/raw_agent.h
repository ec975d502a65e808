// A scripted stand-in for an agent process: a loopback client that sends exactly the
// frames a test writes and reads what the practice server sends back.
#pragma once
#include <string>
#include <unistd.h>

#include "runtime/framing.h"
#include "simkit/loopback.h"

namespace practice_test {

class RawAgent {
public:
    explicit RawAgent(int port) : fd_(simkit::ConnectLoopback(port)) {}
    ~RawAgent() {
        if (fd_ >= 0) close(fd_);
    }
    RawAgent(const RawAgent&) = delete;
    RawAgent& operator=(const RawAgent&) = delete;

    bool SendRaw(const std::string& bytes) const { return fd_ >= 0 && simkit::SendAll(fd_, bytes); }
    bool Send(const std::string& payload) const { return SendRaw(Frame(payload)); }
    bool Scene(int type = 0) const {
        return Send("(syn) (scene rsg/agent/nao/nao_hetero.rsg " + std::to_string(type) + ") (syn)");
    }
    bool Init(const std::string& team, int unum) const {
        return Send("(init (unum " + std::to_string(unum) + ")(teamname " + team + "))");
    }

    // The next whole message; false when none comes within timeoutMs or the stream ended.
    bool Receive(std::string& message, int timeoutMs = 2000) {
        return simkit::ReceiveFrame(fd_, message, timeoutMs, &ended_);
    }
    // True once the server has closed this connection.
    bool ClosedByServer(int timeoutMs = 2000) {
        std::string m;
        while (Receive(m, timeoutMs)) {
        }
        return ended_;
    }

private:
    int fd_ = -1;
    bool ended_ = false;
};

}  // namespace practice_test
