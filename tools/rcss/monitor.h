// A monitor client of the simulator: sends referee commands (play mode, kick-off, ball and
// robot placement) and keeps the ground truth of every message in a thread of its own,
// handing each new state to the watchers. No globals.
#pragma once
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "rcss/scene.h"

namespace rcss {

class Monitor {
public:
    using Watcher = std::function<void(const GroundTruth&)>;

    Monitor() = default;
    ~Monitor();  // stops reading and closes the connection
    Monitor(const Monitor&) = delete;
    Monitor& operator=(const Monitor&) = delete;

    // Takes over a connected socket to the monitor port and starts reading.
    void Attach(int fd);
    void Close();
    // Called, on the reading thread, with every new ground truth.
    void Watch(Watcher watcher);

    bool Send(const std::string& command);
    bool SetPlayMode(const std::string& mode);  // "PlayOn", "KickOff_Left", ...
    bool KickOff(TeamSide side);
    bool PlaceBall(double x, double y, double vx = 0, double vy = 0, double vz = 0);
    bool PlaceRobot(TeamSide side, int unum, double x, double y, double headingDeg);

    GroundTruth Truth();  // the latest
    // Waits until the predicate holds for the latest truth; false after timeoutSec of wall clock.
    bool WaitFor(const std::function<bool(const GroundTruth&)>& done, double timeoutSec);
    // Waits until game time has advanced by `seconds` (false when it stalls for timeoutSec).
    bool WaitGameSeconds(double seconds, double timeoutSec = 30);
    bool Connected() const { return running_; }

private:
    void Run();
    int fd_ = -1;
    std::atomic<bool> running_{false};
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable changed_;
    SceneReader reader_;
    std::vector<Watcher> watchers_;
};

const char* SideName(TeamSide side);  // "Left", "Right"

}  // namespace rcss
