// Test-only helpers for the team scripts: an installed team folder in a temporary
// directory, a script run in the background, and the players it leaves behind, which
// this process adopts (child subreaper) so that their exit statuses can be read.
#pragma once
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace teamrun {

// `cmake --install` of this build tree into a fresh temporary folder, removed at the end.
class TeamFolder {
public:
    TeamFolder();
    ~TeamFolder();
    TeamFolder(const TeamFolder&) = delete;
    TeamFolder& operator=(const TeamFolder&) = delete;

    const std::string& Dir() const { return dir_; }
    bool Installed() const { return installed_; }
    void MoveTo(const std::string& leaf);  // renames the folder inside its parent
    std::string PidFile(const std::string& team) const { return dir_ + "/logs/" + team + ".pid"; }
    std::vector<pid_t> Pids(const std::string& team) const;  // as listed in the pid file

private:
    std::string parent_, dir_;
    bool installed_ = false;
};

// One script run with bash (path "-c" and a command line work too); standard output and
// error together.
class Script {
public:
    Script(const std::string& path, const std::vector<std::string>& args,
           const std::vector<std::pair<std::string, std::string>>& env = {},
           const std::string& cwd = "/");
    ~Script();
    Script(const Script&) = delete;
    Script& operator=(const Script&) = delete;

    bool Done();                    // ended; its status is then in Status()
    int Wait(int timeoutMs = 30000);  // exit status, -1 when it did not end in time
    int Status() const { return status_; }
    std::string Output() const;
    pid_t Pid() const { return pid_; }  // -1 once reaped
    void Signal(int sig);
    // Waits until the output holds `count` lines containing `needle`; those lines.
    std::vector<std::string> WaitForLines(const std::string& needle, size_t count, int timeoutMs);

private:
    pid_t pid_ = -1;
    int status_ = -1;
    std::string outPath_;
};

// The folder's practice_server on a free loopback port, paced at 50 Hz and with a game
// long enough to outlast any test; interrupted at the end.
class PracticePitch {
public:
    explicit PracticePitch(const std::string& folderDir);
    ~PracticePitch();
    const std::string& Port() const { return port_; }
    // The "connect" events of the log (in order), once `count` are there or time is up.
    std::vector<std::string> Connects(size_t count, int timeoutMs = 10000);
    int Stop();  // interrupts it; its exit status
    std::string Output() const { return server_.Output(); }

private:
    Script server_;
    std::string port_;
};

// Makes this process the parent of orphans it started, so players outlive start.sh as
// children of the test. Call before the first script.
void AdoptOrphans();

// Waits for every pid to end; exit statuses in order, -1 for one still running (or killed).
std::vector<int> ReapAll(const std::vector<pid_t>& pids, int timeoutMs);

bool IsRunning(pid_t pid);                          // alive and not a zombie
std::vector<std::string> CommandLine(pid_t pid);  // empty when gone
void KillAll(const std::vector<pid_t>& pids);       // SIGKILL and reap, for clean-up
std::string ReadFile(const std::string& path);
int FreePort();  // a loopback port nobody listens on

}  // namespace teamrun
