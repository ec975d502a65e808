// A scripted stand-in for an agent process: a loopback client that sends exactly the
// frames a test writes and reads what the practice server sends back.
#pragma once
#include <arpa/inet.h>
#include <cstdint>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace practice_test {

class RawAgent {
public:
    explicit RawAgent(int port) {
        fd_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(uint16_t(port));
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
            close(fd_);
            fd_ = -1;
        }
    }
    ~RawAgent() {
        if (fd_ >= 0) close(fd_);
    }
    RawAgent(const RawAgent&) = delete;
    RawAgent& operator=(const RawAgent&) = delete;

    bool SendRaw(const std::string& bytes) const {
        return fd_ >= 0 && send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) == ssize_t(bytes.size());
    }
    bool Send(const std::string& payload) const {
        const uint32_t n = htonl(uint32_t(payload.size()));
        return SendRaw(std::string(reinterpret_cast<const char*>(&n), 4) + payload);
    }
    bool Scene(int type = 0) const {
        return Send("(syn) (scene rsg/agent/nao/nao_hetero.rsg " + std::to_string(type) + ") (syn)");
    }
    bool Init(const std::string& team, int unum) const {
        return Send("(init (unum " + std::to_string(unum) + ")(teamname " + team + "))");
    }

    // The next whole message; false when none comes within timeoutMs or the stream ended.
    bool Receive(std::string& message, int timeoutMs = 2000) {
        uint32_t n = 0;
        if (!ReadFully(reinterpret_cast<char*>(&n), 4, timeoutMs)) return false;
        message.assign(ntohl(n), '\0');
        return ReadFully(&message[0], message.size(), timeoutMs);
    }
    // True once the server has closed this connection.
    bool ClosedByServer(int timeoutMs = 2000) {
        std::string m;
        while (Receive(m, timeoutMs)) {
        }
        return ended_;
    }

private:
    bool ReadFully(char* dst, size_t n, int timeoutMs) {
        size_t got = 0;
        while (got < n) {
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, timeoutMs) <= 0) return false;
            const ssize_t r = recv(fd_, dst + got, n - got, 0);
            if (r <= 0) {
                ended_ = true;
                return false;
            }
            got += size_t(r);
        }
        return true;
    }

    int fd_ = -1;
    bool ended_ = false;
};

}  // namespace practice_test
