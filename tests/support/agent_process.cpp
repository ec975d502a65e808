// AgentProcess: fork/exec with standard output redirected into a temporary file.
#include "support/agent_process.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace standin {

AgentProcess::AgentProcess(const std::string& program, const std::vector<std::string>& args) {
    char pathTemplate[] = "/tmp/corvane-agent-out-XXXXXX";
    const int outFd = mkstemp(pathTemplate);
    outPath_ = pathTemplate;
    pid_ = fork();
    if (pid_ == 0) {
        dup2(outFd, STDOUT_FILENO);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(outFd);
}

AgentProcess::~AgentProcess() {
    if (pid_ > 0 && !exited_) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    unlink(outPath_.c_str());
}

int AgentProcess::Wait(int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!exited_) {
        int st = 0;
        const pid_t r = waitpid(pid_, &st, WNOHANG);
        if (r == pid_) {
            exited_ = true;
            status_ = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
            break;
        }
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

std::vector<std::string> WithPort(int port, std::vector<std::string> args) {
    args.insert(args.begin(), "--port=" + std::to_string(port));
    return args;
}

}  // namespace standin
