// Starting and stopping the league's simulator: installation lookup, private HOME, ports.
#include "rcss/server.h"

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "simkit/loopback.h"

namespace rcss {
namespace {

bool IsFile(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string Dirname(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
}

std::string OnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        const std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0 && IsFile(candidate)) return candidate;
    }
    return "";
}

Installation FromPrefix(const std::string& prefix, std::string binary) {
    Installation in;
    in.prefix = prefix;
    in.binary = std::move(binary);
    in.libraryPath = prefix + "/lib/simspark:" + prefix + "/lib/rcssserver3d";
    in.sparkRb = prefix + "/share/simspark/spark.rb";
    if (!IsFile(in.binary)) in.whyMissing = in.binary + " not found";
    else if (!IsFile(in.sparkRb)) in.whyMissing = in.sparkRb + " not found";
    return in;
}

bool CopyWithSyncMode(const std::string& from, const std::string& to, bool syncMode) {
    std::ifstream in(from);
    std::ofstream out(to);
    if (!in || !out) return false;
    std::string line;
    bool set = false;
    while (std::getline(in, line)) {
        if (line.rfind("$agentSyncMode", 0) == 0) {
            line = std::string("$agentSyncMode = ") + (syncMode ? "true" : "false");
            set = true;
        }
        out << line << '\n';
    }
    return set || !syncMode;
}

}  // namespace

Installation FindInstallation() {
    if (const char* home = std::getenv("RCSS3D_HOME"); home && *home)
        return FromPrefix(home, std::string(home) + "/bin/rcssserver3d");
    const std::string binary = OnPath("rcssserver3d");
    if (binary.empty()) {
        Installation none;
        none.whyMissing = "no real server: RCSS3D_HOME is not set and rcssserver3d is not on PATH";
        return none;
    }
    char resolved[4096];
    const std::string real = realpath(binary.c_str(), resolved) ? resolved : binary;
    return FromPrefix(Dirname(Dirname(real)), real);
}

Server::~Server() { Stop(); }

bool Server::WriteHome(const Installation& install, const ServerOptions& options, std::string& error) {
    char dir[] = "/tmp/rcss-home-XXXXXX";
    if (!mkdtemp(dir)) {
        error = "cannot make a private HOME";
        return false;
    }
    home_ = dir;
    mkdir((home_ + "/.simspark").c_str(), 0755);
    if (!CopyWithSyncMode(install.sparkRb, home_ + "/.simspark/spark.rb", options.syncMode)) {
        error = "cannot write " + home_ + "/.simspark/spark.rb from " + install.sparkRb;
        return false;
    }
    return true;
}

void Server::Spawn(const Installation& install, const std::string& logPath) {
    const std::string agent = std::to_string(agentPort_), monitor = std::to_string(monitorPort_);
    const char* oldLibs = std::getenv("LD_LIBRARY_PATH");
    const std::string libs = install.libraryPath + (oldLibs && *oldLibs ? ":" + std::string(oldLibs) : "");
    pid_ = fork();
    if (pid_ != 0) return;
    setsid();
    const int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(log, STDOUT_FILENO);
    dup2(log, STDERR_FILENO);
    const int devNull = open("/dev/null", O_RDONLY);
    dup2(devNull, STDIN_FILENO);
    if (chdir(home_.c_str()) != 0) _exit(127);
    setenv("HOME", home_.c_str(), 1);
    setenv("LD_LIBRARY_PATH", libs.c_str(), 1);
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    execl(install.binary.c_str(), install.binary.c_str(), "--agent-port", agent.c_str(), "--server-port",
          monitor.c_str(), static_cast<char*>(nullptr));
    _exit(127);
}

bool Server::Start(const Installation& install, const ServerOptions& options, std::string& error) {
    if (!install.Found()) {
        error = install.whyMissing;
        return false;
    }
    if (!WriteHome(install, options, error)) return false;
    agentPort_ = simkit::FreePort();
    monitorPort_ = simkit::FreePort();
    Spawn(install, options.logPath.empty() ? home_ + "/server.log" : options.logPath);
    // Loading the scene takes a few seconds, longer on a busy machine.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < deadline) {
        if (!Running()) {
            error = "the server ended while starting (see its log)";
            return false;
        }
        monitorFd_ = simkit::ConnectLoopback(monitorPort_);
        if (monitorFd_ >= 0) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    error = "the server did not open its monitor port within 60 s";
    Stop();
    return false;
}

bool Server::Running() {
    if (pid_ <= 0) return false;
    if (waitpid(pid_, nullptr, WNOHANG) == pid_) pid_ = -1;
    return pid_ > 0;
}

void Server::Stop() {
    if (Running()) {
        kill(pid_, SIGINT);
        for (int i = 0; i < 20 && Running(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (Running()) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        pid_ = -1;
    }
    if (monitorFd_ >= 0) close(monitorFd_);
    monitorFd_ = -1;
    if (!home_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(home_, ignored);
        home_.clear();
    }
}

}  // namespace rcss
