// A relay between agent processes and the server's agent port: forwards every frame both
// ways, notes agent messages that carry "nan" or "inf", and in sync mode answers the
// server's wait for "(syn)" on the agent's behalf (the agent's own messages stay as they
// are, "(syn)" is appended to its answer of the cycle). Runs one thread; no globals.
#pragma once
#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace rcss {

struct RelayLink {
    int agentFd = -1, serverFd = -1;
    std::string fromAgent, fromServer;  // bytes not yet framed
    bool owesSyn = false;               // a perception went out, no "(syn)" since
    long perceptions = 0, answers = 0;
    long nonFiniteMessages = 0;
    std::string firstNonFinite;  // the first such message, for the report
    bool closed = false;
    long long perceptionAtMs = 0;
};

struct RelayStats {
    long perceptions = 0, answers = 0, nonFiniteMessages = 0;
    std::string firstNonFinite;
    bool closed = false;
};

class Relay {
public:
    Relay() = default;
    ~Relay();  // stops the thread, closes every link
    Relay(const Relay&) = delete;
    Relay& operator=(const Relay&) = delete;

    // Listens on a free loopback port and forwards to 127.0.0.1:serverPort.
    bool Start(int serverPort, bool syncMode);
    void Stop();
    int Port() const { return port_; }
    std::vector<RelayStats> Links();  // in connection order

private:
    void Run();
    void Accept();
    bool ReadyForNextAgent() const;
    void Pump(RelayLink& link, bool fromAgent);
    void Forward(RelayLink& link, const std::string& payload, bool fromAgent);
    void SynForSilentAgents();

    int listenFd_ = -1, port_ = 0, serverPort_ = 0;
    bool sync_ = false;
    std::atomic<bool> running_{false};
    std::thread thread_;
    std::mutex mutex_;
    std::vector<RelayLink> links_;
    std::vector<int> waiting_;  // agents accepted, not yet connected on to the server
    long long lastConnectMs_ = 0;
};

}  // namespace rcss
