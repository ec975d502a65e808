// A real-server session: start order server, relay, monitor; stop order the reverse, with
// the agents left to notice the closed stream and end by themselves.
#include "rcss/pitch.h"

namespace rcss {

Pitch::~Pitch() { Stop(); }

bool Pitch::Start(const PitchOptions& options, std::string& error) {
    options_ = options;
    ServerOptions serverOptions;
    serverOptions.syncMode = options.syncMode;
    if (!options.logDir.empty()) serverOptions.logPath = options.logDir + "/server.log";
    if (!server_.Start(FindInstallation(), serverOptions, error)) return false;
    if (!relay_.Start(server_.AgentPort(), options.syncMode)) {
        error = "the relay cannot listen on loopback";
        server_.Stop();
        return false;
    }
    monitor_.Attach(server_.TakeMonitorConnection());
    started_ = true;
    // The first message carries the whole scene: wait for it so that callers see the field.
    if (!monitor_.WaitFor([](const GroundTruth& t) { return !t.playMode.empty(); }, 30)) {
        error = "no message from the monitor port within 30 s";
        Stop();
        return false;
    }
    return true;
}

AgentProcess& Pitch::Launch(const std::string& program, const std::vector<std::string>& args,
                            const std::string& name, bool serverArgs) {
    std::vector<std::string> all;
    if (serverArgs) all = {"--host=127.0.0.1", "--port=" + std::to_string(AgentPort())};
    all.insert(all.end(), args.begin(), args.end());
    const std::string out = options_.logDir.empty() ? "" : options_.logDir + "/" + name + ".log";
    processes_.push_back(std::make_unique<AgentProcess>(program, all, out, true));
    names_.push_back(name);
    return *processes_.back();
}

bool Pitch::WaitForRobot(TeamSide side, int unum, double timeoutSec) {
    return monitor_.WaitFor([side, unum](const GroundTruth& t) { return t.Find(side, unum) != nullptr; },
                            timeoutSec);
}

void Pitch::Stop() {
    if (!started_) return;
    started_ = false;
    server_.Stop();
    // The agents end on the closed stream (status 0); ten seconds covers their silence rule.
    for (auto& p : processes_) p->Wait(12000);
    relay_.Stop();
    monitor_.Close();
}

}  // namespace rcss
