// The league's simulator as a child of the harness: finds an installation (RCSS3D_HOME, else
// `rcssserver3d` on PATH), starts it on free loopback ports with a private HOME (its own
// copy of spark.rb, sync mode on or off), and stops it. Reads the environment; no globals.
#pragma once
#include <string>
#include <sys/types.h>

namespace rcss {

struct Installation {
    std::string binary;        // .../bin/rcssserver3d
    std::string prefix;        // the folder holding bin/, lib/ and share/
    std::string libraryPath;   // for LD_LIBRARY_PATH
    std::string sparkRb;       // the installed spark.rb the private copy starts from
    std::string whyMissing;    // empty when found
    bool Found() const { return whyMissing.empty(); }
};

// RCSS3D_HOME names the prefix; without it `rcssserver3d` is looked up on PATH.
Installation FindInstallation();

struct ServerOptions {
    bool syncMode = false;  // the server waits for "(syn)" from every agent each cycle
    std::string logPath;    // server output; empty: in the private HOME, removed on stop
};

class Server {
public:
    Server() = default;
    ~Server();  // stops it
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // Starts it and waits until its monitor port takes a connection, which the caller may
    // take over (TakeMonitorConnection); false with a reason.
    bool Start(const Installation& install, const ServerOptions& options, std::string& error);
    // SIGINT, then SIGKILL after 2 s (a graceful exit can hang once agents have connected).
    void Stop();
    bool Running();
    int AgentPort() const { return agentPort_; }
    int MonitorPort() const { return monitorPort_; }
    const std::string& Home() const { return home_; }
    int TakeMonitorConnection() {
        const int fd = monitorFd_;
        monitorFd_ = -1;
        return fd;
    }

private:
    bool WriteHome(const Installation& install, const ServerOptions& options, std::string& error);
    void Spawn(const Installation& install, const std::string& logPath);
    pid_t pid_ = -1;
    int monitorFd_ = -1;
    int agentPort_ = 0, monitorPort_ = 0;
    std::string home_;
};

}  // namespace rcss
