// Test-only pitch for the team scripts: a loopback listener that takes any number of
// players at once, keeps each cycling at about 50 Hz and records every init in order.
#pragma once
#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace teampitch {

struct Arrival {
    int unum = 0;
    std::string team;
};

class Pitch {
public:
    Pitch();   // listening on 127.0.0.1, port chosen by the system
    ~Pitch();  // closes every player's stream, so each ends with status 0
    Pitch(const Pitch&) = delete;
    Pitch& operator=(const Pitch&) = delete;

    int Port() const { return port_; }
    bool WaitForArrivals(size_t count, int timeoutMs);
    std::vector<Arrival> Arrivals() const;

private:
    struct Player;
    void Loop();
    void Serve(Player& p);

    int listenFd_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<Arrival> arrivals_;
    std::thread loop_;
};

}  // namespace teampitch
