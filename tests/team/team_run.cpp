// Team folder, script runner and orphan adoption for the team-script tests.
#include "team_run.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "simkit/loopback.h"

namespace teamrun {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

TeamFolder::TeamFolder() {
    char tmpl[] = "/tmp/corvane-team-XXXXXX";
    parent_ = mkdtemp(tmpl);
    dir_ = parent_ + "/Corvane3D";
    const std::string build = fs::path(CORVANE_AGENT_PATH).parent_path().string();
    const std::string cmd = "cmake --install '" + build + "' --prefix '" + dir_ + "' >'" +
                            parent_ + "/install.log' 2>&1";
    installed_ = std::system(cmd.c_str()) == 0;
}

TeamFolder::~TeamFolder() {
    std::error_code ec;
    fs::remove_all(parent_, ec);
}

void TeamFolder::MoveTo(const std::string& leaf) {
    const std::string to = parent_ + "/" + leaf;
    fs::rename(dir_, to);
    dir_ = to;
}

std::vector<pid_t> TeamFolder::Pids(const std::string& team) const {
    std::ifstream in(PidFile(team));
    std::vector<pid_t> pids;
    for (pid_t pid; in >> pid;) pids.push_back(pid);
    return pids;
}

Script::Script(const std::string& path, const std::vector<std::string>& args,
               const std::vector<std::pair<std::string, std::string>>& env,
               const std::string& cwd) {
    char tmpl[] = "/tmp/corvane-script-out-XXXXXX";
    const int outFd = mkstemp(tmpl);
    outPath_ = tmpl;
    pid_ = fork();
    if (pid_ == 0) {
        dup2(outFd, STDOUT_FILENO);
        dup2(outFd, STDERR_FILENO);
        for (const auto& [key, value] : env) setenv(key.c_str(), value.c_str(), 1);
        if (chdir(cwd.c_str()) != 0) _exit(126);
        std::vector<char*> argv{const_cast<char*>("bash"), const_cast<char*>(path.c_str())};
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execvp("bash", argv.data());
        _exit(127);
    }
    close(outFd);
}

Script::~Script() {
    if (!Done()) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    unlink(outPath_.c_str());
}

bool Script::Done() {
    if (pid_ < 0) return true;
    int st = 0;
    if (waitpid(pid_, &st, WNOHANG) != pid_) return false;
    status_ = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    pid_ = -1;
    return true;
}

int Script::Wait(int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!Done()) {
        if (Clock::now() > deadline) return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return status_;
}

std::string Script::Output() const { return ReadFile(outPath_); }

void Script::Signal(int sig) {
    if (pid_ > 0) kill(pid_, sig);
}

std::vector<std::string> Script::WaitForLines(const std::string& needle, size_t count,
                                              int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::vector<std::string> found;
    do {
        found.clear();
        std::istringstream in(Output());
        for (std::string line; std::getline(in, line);) {
            if (line.find(needle) != std::string::npos) found.push_back(line);
        }
        if (found.size() >= count) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    } while (Clock::now() < deadline);
    return found;
}

PracticePitch::PracticePitch(const std::string& folderDir)
    : server_("-c", {"exec '" + folderDir +
                     "/practice_server' --port=0 --agents=0 --realtime --game-length=36000"}) {
    const auto listening = server_.WaitForLines("listening on 127.0.0.1:", 1, 5000);
    if (!listening.empty()) port_ = listening[0].substr(listening[0].rfind(':') + 1);
}

PracticePitch::~PracticePitch() { Stop(); }

std::vector<std::string> PracticePitch::Connects(size_t count, int timeoutMs) {
    return server_.WaitForLines(" connect team=", count, timeoutMs);
}

int PracticePitch::Stop() {
    server_.Signal(SIGINT);
    return server_.Wait(10000);
}

void AdoptOrphans() { prctl(PR_SET_CHILD_SUBREAPER, 1); }

std::vector<int> ReapAll(const std::vector<pid_t>& pids, int timeoutMs) {
    std::vector<int> status(pids.size(), -1);
    std::vector<bool> done(pids.size(), false);
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    size_t left = pids.size();
    while (left > 0 && Clock::now() < deadline) {
        for (size_t i = 0; i < pids.size(); ++i) {
            int st = 0;
            if (done[i] || waitpid(pids[i], &st, WNOHANG) != pids[i]) continue;
            done[i] = true;
            --left;
            status[i] = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return status;
}

bool IsRunning(pid_t pid) {
    const std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
    const size_t paren = stat.rfind(')');
    return paren != std::string::npos && paren + 2 < stat.size() && stat[paren + 2] != 'Z';
}

std::vector<std::string> CommandLine(pid_t pid) {
    std::istringstream in(ReadFile("/proc/" + std::to_string(pid) + "/cmdline"));
    std::vector<std::string> args;
    for (std::string arg; std::getline(in, arg, '\0');) args.push_back(arg);
    return args;
}

void KillAll(const std::vector<pid_t>& pids) {
    for (pid_t pid : pids) {
        const auto args = CommandLine(pid);
        const bool player = !args.empty() && args[0].find("agent") != std::string::npos;
        if (player && IsRunning(pid)) kill(pid, SIGKILL);
    }
    ReapAll(pids, 2000);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

int FreePort() { return simkit::FreePort(); }

}  // namespace teamrun
