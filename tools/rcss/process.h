// Child processes of the harness and the tests: starts a program with arguments, keeps its
// standard output (and error) in a file, signals it and collects how it ended. No globals.
#pragma once
#include <string>
#include <sys/types.h>
#include <vector>

namespace rcss {

class AgentProcess {
public:
    // Output goes to outPath when given (kept afterwards), else to a temporary file removed
    // with the object. mergeStderr sends standard error to the same file.
    AgentProcess(const std::string& program, const std::vector<std::string>& args, const std::string& outPath = "",
                 bool mergeStderr = false);
    ~AgentProcess();  // kills the process if it still runs
    AgentProcess(const AgentProcess&) = delete;
    AgentProcess& operator=(const AgentProcess&) = delete;

    // Exit status, or -1 if it did not end in time (or ended by a signal).
    int Wait(int timeoutMs = 5000);
    bool Running();  // false once it has ended (reaps it)
    void Signal(int sig);
    std::string Output() const;  // everything written to standard output so far
    pid_t Pid() const { return pid_; }
    int TermSignal() const { return termSignal_; }  // the signal that ended it, 0 if none
    const std::string& Program() const { return program_; }

private:
    std::string program_;
    pid_t pid_ = -1;
    int status_ = -1;
    int termSignal_ = 0;
    bool exited_ = false;
    bool keepOutput_ = false;
    std::string outPath_;
};

}  // namespace rcss
