// AgentProcess: fork/exec with standard output redirected into a file.
#include "rcss/process.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace rcss {

AgentProcess::AgentProcess(const std::string& program, const std::vector<std::string>& args,
                           const std::string& outPath, bool mergeStderr)
    : program_(program), keepOutput_(!outPath.empty()) {
    int outFd = -1;
    if (keepOutput_) {
        outPath_ = outPath;
        outFd = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    } else {
        char pathTemplate[] = "/tmp/corvane-agent-out-XXXXXX";
        outFd = mkstemp(pathTemplate);
        outPath_ = pathTemplate;
    }
    pid_ = fork();
    if (pid_ == 0) {
        dup2(outFd, STDOUT_FILENO);
        if (mergeStderr) dup2(outFd, STDERR_FILENO);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    if (outFd >= 0) close(outFd);
}

AgentProcess::~AgentProcess() {
    if (pid_ > 0 && !exited_) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (!keepOutput_) unlink(outPath_.c_str());
}

bool AgentProcess::Running() {
    if (exited_ || pid_ <= 0) return false;
    int st = 0;
    if (waitpid(pid_, &st, WNOHANG) != pid_) return true;
    exited_ = true;
    status_ = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    termSignal_ = WIFSIGNALED(st) ? WTERMSIG(st) : 0;
    return false;
}

int AgentProcess::Wait(int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (Running()) {
        if (std::chrono::steady_clock::now() > deadline) return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return status_;
}

void AgentProcess::Signal(int sig) {
    if (pid_ > 0 && !exited_) kill(pid_, sig);
}

std::string AgentProcess::Output() const {
    std::ifstream in(outPath_, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

}  // namespace rcss
