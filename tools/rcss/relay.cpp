// The agent-side relay: one poll loop over every agent and server socket.
#include "rcss/relay.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "practice_server/framing.h"
#include "simkit/loopback.h"
#include "rcss/server.h"

namespace rcss {
namespace {

// A monitor-sized limit: perceptions with 22 robots in view stay far below it.
constexpr size_t kMaxRelayFrameBytes = 1 << 20;
// An agent that leaves a cycle unanswered this long gets a lone "(syn)", so that one stuck
// process cannot stop the clock for everybody.
constexpr long long kSilentAgentSynMs = 1000;
constexpr long long kConnectSpacingMs = 200;
constexpr long long kConnectGiveUpMs = 5000;  // a robot the server never answers holds nobody up

long long NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Messages that are not the answer of a cycle: sent before it or beside it.
bool IsSideMessage(const std::string& payload) {
    for (const char* head : {"(scene ", "(init ", "(beam "})
        if (payload.rfind(head, 0) == 0) return true;
    return false;
}

}  // namespace

Relay::~Relay() { Stop(); }

bool Relay::Start(int serverPort, bool syncMode) {
    serverPort_ = serverPort;
    sync_ = syncMode;
    const simkit::Listener listener = simkit::ListenLoopback(0, 32, true, false);
    if (listener.fd < 0) return false;
    listenFd_ = listener.fd;
    port_ = listener.port;
    running_ = true;
    thread_ = std::thread([this] { Run(); });
    return true;
}

void Relay::Stop() {
    if (!running_.exchange(false)) return;
    thread_.join();
    close(listenFd_);
    for (const int fd : waiting_) close(fd);
    waiting_.clear();
    std::lock_guard<std::mutex> lock(mutex_);
    for (RelayLink& link : links_) {
        if (link.closed) continue;
        close(link.agentFd);
        close(link.serverFd);
        link.closed = true;
    }
}

std::vector<RelayStats> Relay::Links() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<RelayStats> out;
    for (const RelayLink& l : links_)
        out.push_back({l.perceptions, l.answers, l.nonFiniteMessages, l.firstNonFinite, l.closed});
    return out;
}

// The server mishandles agents that connect within the same cycle (its log says "Agents
// connecting/disconnecting in same frame" and it stops serving them), and loading a robot
// takes it several cycles on a busy machine: so agents that arrive together are handed on
// one at a time, each once the server has answered the one before.
bool Relay::ReadyForNextAgent() const {
    const long long sinceMs = NowMs() - lastConnectMs_;
    if (sinceMs < kConnectSpacingMs) return false;
    for (const RelayLink& l : links_)
        if (!l.closed && l.perceptions == 0) return sinceMs > kConnectGiveUpMs;
    return true;
}

void Relay::Accept() {
    for (;;) {
        const int agentFd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (agentFd < 0) break;
        waiting_.push_back(agentFd);
    }
    if (waiting_.empty() || !ReadyForNextAgent()) return;
    RelayLink link;
    link.agentFd = waiting_.front();
    waiting_.erase(waiting_.begin());
    link.serverFd = simkit::ConnectLoopback(serverPort_);
    lastConnectMs_ = NowMs();
    if (link.serverFd < 0) {
        close(link.agentFd);
        return;
    }
    // Each frame goes out at once: held back for an acknowledgement, an answer misses its cycle.
    const int one = 1;
    setsockopt(link.agentFd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    setsockopt(link.serverFd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    std::lock_guard<std::mutex> lock(mutex_);
    links_.push_back(std::move(link));
}

void Relay::Forward(RelayLink& link, const std::string& payload, bool fromAgent) {
    if (!fromAgent) {
        ++link.perceptions;
        link.owesSyn = sync_;
        link.perceptionAtMs = NowMs();
        simkit::SendFrame(link.agentFd, payload);
        return;
    }
    if (practice::HasNonFiniteNumber(payload) && link.nonFiniteMessages++ == 0) link.firstNonFinite = payload;
    if (IsSideMessage(payload) || !link.owesSyn) {
        simkit::SendFrame(link.serverFd, payload);
        return;
    }
    ++link.answers;
    link.owesSyn = false;
    simkit::SendFrame(link.serverFd, payload + "(syn)");
}

// Reads what one side sent and forwards each whole frame; closes the link when either ends.
void Relay::Pump(RelayLink& link, bool fromAgent) {
    char chunk[65536];
    const ssize_t n = read(fromAgent ? link.agentFd : link.serverFd, chunk, sizeof chunk);
    if (n <= 0 && !(n < 0 && (errno == EINTR || errno == EAGAIN))) {
        close(link.agentFd);
        close(link.serverFd);
        link.closed = true;
        return;
    }
    std::string& buffer = fromAgent ? link.fromAgent : link.fromServer;
    if (n > 0) buffer.append(chunk, size_t(n));
    std::string payload;
    while (TakeFrame(buffer, payload, kMaxRelayFrameBytes) == FrameResult::Ready)
        Forward(link, payload, fromAgent);
}

void Relay::SynForSilentAgents() {
    const long long now = NowMs();
    for (RelayLink& link : links_) {
        if (link.closed || !link.owesSyn || now - link.perceptionAtMs < kSilentAgentSynMs) continue;
        link.owesSyn = false;
        simkit::SendFrame(link.serverFd, "(syn)");
    }
}

void Relay::Run() {
    std::vector<pollfd> fds;
    while (running_) {
        Accept();
        std::unique_lock<std::mutex> lock(mutex_);
        fds.clear();
        for (const RelayLink& l : links_) {
            if (l.closed) continue;
            fds.push_back({l.agentFd, POLLIN, 0});
            fds.push_back({l.serverFd, POLLIN, 0});
        }
        fds.push_back({listenFd_, POLLIN, 0});
        lock.unlock();
        poll(fds.data(), fds.size(), 20);
        lock.lock();
        size_t k = 0;
        for (RelayLink& l : links_) {
            if (l.closed) continue;
            if (fds[k].revents && !l.closed) Pump(l, true);
            if (fds[k + 1].revents && !l.closed) Pump(l, false);
            k += 2;
        }
        if (sync_) SynForSilentAgents();
    }
}

}  // namespace rcss
