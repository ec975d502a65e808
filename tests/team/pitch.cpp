// Pitch: one poll loop over the listener and every player; each player is sent its next
// message once it has answered the last one and a cycle's time has passed.
#include "pitch.h"

#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "support/standin_server.h"

namespace teampitch {

namespace {
using Clock = std::chrono::steady_clock;
constexpr auto kCycle = std::chrono::milliseconds(20);
const char* kPerception = "(time (now 0.02))(GS (t 0.00) (pm BeforeKickOff))";
}  // namespace

struct Pitch::Player {
    int fd = -1;
    std::string pending;
    bool answered = false;  // the scene or an effector frame came since the last send
    Clock::time_point lastSend;
};

Pitch::Pitch() {
    listenFd_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof(addr));
    listen(listenFd_, 32);
    socklen_t len = sizeof(addr);
    getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    loop_ = std::thread(&Pitch::Loop, this);
}

Pitch::~Pitch() {
    stop_ = true;
    loop_.join();
    close(listenFd_);
}

bool Pitch::WaitForArrivals(size_t count, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (Clock::now() < deadline) {
        if (Arrivals().size() >= count) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

std::vector<Arrival> Pitch::Arrivals() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return arrivals_;
}

void Pitch::Loop() {
    std::vector<Player> players;
    players.reserve(64);
    while (!stop_) {
        std::vector<pollfd> fds{{listenFd_, POLLIN, 0}};
        for (const Player& p : players) fds.push_back({p.fd, POLLIN, 0});
        poll(fds.data(), fds.size(), 5);
        if (fds[0].revents & POLLIN) {
            Player p;
            p.fd = accept(listenFd_, nullptr, nullptr);
            if (p.fd >= 0) players.push_back(p);
        }
        for (size_t i = 1; i < fds.size(); ++i) {
            if (fds[i].revents & (POLLIN | POLLHUP)) Serve(players[i - 1]);
        }
        for (Player& p : players) {
            if (p.fd < 0 || !p.answered || Clock::now() - p.lastSend < kCycle) continue;
            const std::string frame = standin::Frame(kPerception);
            send(p.fd, frame.data(), frame.size(), MSG_NOSIGNAL);
            p.answered = false;
            p.lastSend = Clock::now();
        }
    }
    for (const Player& p : players) {
        if (p.fd >= 0) close(p.fd);
    }
}

// Reads what arrived, takes whole frames off the front and records each init.
void Pitch::Serve(Player& p) {
    char buf[65536];
    const ssize_t n = recv(p.fd, buf, sizeof(buf), 0);
    if (n <= 0) {
        close(p.fd);
        p.fd = -1;
        return;
    }
    p.pending.append(buf, static_cast<size_t>(n));
    while (p.pending.size() >= 4) {
        uint32_t len = 0;
        std::memcpy(&len, p.pending.data(), 4);
        len = ntohl(len);
        if (p.pending.size() < 4 + static_cast<size_t>(len)) break;
        const std::string payload = p.pending.substr(4, len);
        p.pending.erase(0, 4 + static_cast<size_t>(len));
        p.answered = true;
        Arrival a;
        char team[64] = {0};
        if (std::sscanf(payload.c_str(), "(init (unum %d)(teamname %63[^)]", &a.unum, team) == 2) {
            a.team = team;
            std::lock_guard<std::mutex> lock(mutex_);
            arrivals_.push_back(a);
        }
    }
}

}  // namespace teampitch
