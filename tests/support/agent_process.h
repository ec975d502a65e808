// Test-only runner for the real agent programs: starts one with arguments, captures
// its standard output, signals it and collects its exit status.
#pragma once
#include <string>
#include <sys/types.h>
#include <vector>

namespace standin {

class AgentProcess {
public:
    AgentProcess(const std::string& program, const std::vector<std::string>& args);
    ~AgentProcess();  // kills the process if it still runs
    AgentProcess(const AgentProcess&) = delete;
    AgentProcess& operator=(const AgentProcess&) = delete;

    // Exit status, or -1 if it did not end in time (or ended by a signal).
    int Wait(int timeoutMs = 5000);
    void Signal(int sig);
    std::string Output() const;  // everything written to standard output so far
    pid_t Pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    int status_ = -1;
    bool exited_ = false;
    std::string outPath_;
};

// The agent program built with this tree, with "--port=<port>" added in front of args.
std::vector<std::string> WithPort(int port, std::vector<std::string> args);

}  // namespace standin
