// Stand-in server implementation: plain POSIX sockets, one reader thread per client.
#include "support/standin_server.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace standin {

std::string Frame(std::string_view payload) {
    const uint32_t len = htonl(static_cast<uint32_t>(payload.size()));
    std::string out(reinterpret_cast<const char*>(&len), 4);
    out.append(payload.data(), payload.size());
    return out;
}

Server::Server() {
    listenFd_ = socket(AF_INET, SOCK_STREAM, 0);
    int one = 1;
    setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof(one));
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof(addr));
    listen(listenFd_, 4);
    socklen_t len = sizeof(addr);
    getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
}

Server::~Server() {
    CloseClient();
    if (reader_.joinable()) reader_.join();
    if (listenFd_ >= 0) close(listenFd_);
}

bool Server::Accept(int timeoutMs) {
    pollfd pfd{listenFd_, POLLIN, 0};
    if (poll(&pfd, 1, timeoutMs) <= 0) return false;
    clientFd_ = accept(listenFd_, nullptr, nullptr);
    if (clientFd_ < 0) return false;
    int one = 1;
    setsockopt(clientFd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof(one));
    reader_ = std::thread(&Server::ReadLoop, this);
    return true;
}

void Server::ReadLoop() {
    std::string pending;
    char buf[65536];
    while (true) {
        const ssize_t n = recv(clientFd_, buf, sizeof(buf), 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        pending.append(buf, static_cast<size_t>(n));
        while (pending.size() >= 4) {
            uint32_t netLen;
            std::memcpy(&netLen, pending.data(), 4);
            const size_t len = ntohl(netLen);
            if (pending.size() < 4 + len) break;
            std::lock_guard<std::mutex> lock(mutex_);
            frames_.push_back(pending.substr(4, len));
            pending.erase(0, 4 + len);
            changed_.notify_all();
        }
    }
    std::lock_guard<std::mutex> lock(mutex_);
    peerClosed_ = true;
    changed_.notify_all();
}

bool Server::SendRaw(std::string_view bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = send(clientFd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

bool Server::SendMessage(std::string_view payload) { return SendRaw(Frame(payload)); }

bool Server::SendInPieces(std::string_view bytes, size_t pieceSize, int pauseMs) {
    for (size_t at = 0; at < bytes.size(); at += pieceSize) {
        if (!SendRaw(bytes.substr(at, pieceSize))) return false;
        if (pauseMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
    }
    return true;
}

bool Server::Exchange(std::string_view payload, int timeoutMs) {
    const size_t before = FrameCount();
    return SendMessage(payload) && WaitForFrames(before + 1, timeoutMs);
}

void Server::CloseClient() {
    // shutdown wakes the reader; the descriptor itself is released once it has stopped.
    if (clientFd_ >= 0) shutdown(clientFd_, SHUT_RDWR);
    if (reader_.joinable()) reader_.join();
    if (clientFd_ >= 0) {
        close(clientFd_);
        clientFd_ = -1;
    }
}

bool Server::WaitForFrames(size_t n, int timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [&] { return frames_.size() >= n; });
}

bool Server::WaitForPeerClose(int timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return peerClosed_; });
}

std::vector<std::string> Server::Frames() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return frames_;
}

size_t Server::FrameCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return frames_.size();
}

}  // namespace standin
