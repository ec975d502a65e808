// One real-server session for checks and the match runner: the server on free ports, the
// relay the agents connect through, the monitor with ground truth, and the processes
// started against it, each with its output kept. Reads the environment (installation).
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "rcss/monitor.h"
#include "rcss/process.h"
#include "rcss/relay.h"
#include "rcss/server.h"

namespace rcss {

struct PitchOptions {
    bool syncMode = false;  // the relay answers "(syn)" for the agents; else real time
    std::string logDir;     // agent output and the server log; empty: temporary files
};

class Pitch {
public:
    Pitch() = default;
    ~Pitch();  // Stop()
    Pitch(const Pitch&) = delete;
    Pitch& operator=(const Pitch&) = delete;

    // False with a reason: no installation, or the server did not come up.
    bool Start(const PitchOptions& options, std::string& error);
    // Starts a program. With serverArgs, "--host=127.0.0.1 --port=RELAY" go in front of args
    // (the agent programs' options); without, args go as they are (team scripts).
    AgentProcess& Launch(const std::string& program, const std::vector<std::string>& args, const std::string& name,
                         bool serverArgs = true);
    // Waits until the scene holds that robot.
    bool WaitForRobot(TeamSide side, int unum, double timeoutSec = 30);
    // Stops the server and then waits for every process started here to end.
    void Stop();

    Monitor& monitor() { return monitor_; }
    Relay& relay() { return relay_; }
    Server& server() { return server_; }
    int AgentPort() const { return relay_.Port(); }
    std::vector<std::unique_ptr<AgentProcess>>& Processes() { return processes_; }
    const std::vector<std::string>& Names() const { return names_; }  // as given to Launch
    bool SyncMode() const { return options_.syncMode; }

private:
    PitchOptions options_;
    Server server_;
    Relay relay_;
    Monitor monitor_;
    std::vector<std::unique_ptr<AgentProcess>> processes_;
    std::vector<std::string> names_;
    bool started_ = false;
};

}  // namespace rcss
