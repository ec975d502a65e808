// Stand-in server implementation: plain POSIX sockets, one reader thread per client.
#include "support/standin_server.h"

#include <cerrno>
#include <chrono>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "runtime/framing.h"
#include "simkit/loopback.h"

namespace standin {

Server::Server() {
    const simkit::Listener listener = simkit::ListenLoopback(0, 4, false);
    listenFd_ = listener.fd;
    port_ = listener.port;
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
        std::string frame;
        while (TakeFrame(pending, frame) == FrameResult::Ready) {
            std::lock_guard<std::mutex> lock(mutex_);
            frames_.push_back(frame);
            changed_.notify_all();
        }
    }
    std::lock_guard<std::mutex> lock(mutex_);
    peerClosed_ = true;
    changed_.notify_all();
}

bool Server::SendRaw(std::string_view bytes) { return simkit::SendAll(clientFd_, bytes); }

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
