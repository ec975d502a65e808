// The monitor connection: frames in on a reading thread, referee commands out.
#include "rcss/monitor.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "runtime/framing.h"
#include "simkit/loopback.h"

namespace rcss {
namespace {

// A full scene of 22 robots is a few hundred kilobytes.
constexpr size_t kMaxMonitorFrameBytes = 16u << 20;

}  // namespace

const char* SideName(TeamSide side) { return side == TeamSide::Right ? "Right" : "Left"; }

Monitor::~Monitor() { Close(); }

void Monitor::Attach(int fd) {
    Close();
    fd_ = fd;
    running_ = true;
    thread_ = std::thread([this] { Run(); });
}

void Monitor::Close() {
    if (thread_.joinable()) {
        running_ = false;
        thread_.join();
    }
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
}

void Monitor::Watch(Watcher watcher) {
    std::lock_guard<std::mutex> lock(mutex_);
    watchers_.push_back(std::move(watcher));
}

void Monitor::Run() {
    std::string buffer, payload;
    char chunk[65536];
    while (running_) {
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, 50) <= 0) continue;
        const ssize_t n = read(fd_, chunk, sizeof chunk);
        if (n <= 0 && !(n < 0 && errno == EINTR)) break;
        if (n > 0) buffer.append(chunk, size_t(n));
        while (TakeFrame(buffer, payload, kMaxMonitorFrameBytes) == FrameResult::Ready) {
            std::lock_guard<std::mutex> lock(mutex_);
            if (!reader_.Apply(payload)) continue;
            for (const Watcher& w : watchers_) w(reader_.Truth());
        }
        changed_.notify_all();
    }
    running_ = false;
    changed_.notify_all();
}

bool Monitor::Send(const std::string& command) { return fd_ >= 0 && simkit::SendFrame(fd_, command); }

bool Monitor::SetPlayMode(const std::string& mode) { return Send("(playMode " + mode + ")"); }

bool Monitor::KickOff(TeamSide side) { return Send(std::string("(kickOff ") + SideName(side) + ")"); }

bool Monitor::PlaceBall(double x, double y, double vx, double vy, double vz) {
    char cmd[160];
    std::snprintf(cmd, sizeof cmd, "(ball (pos %.3f %.3f 0.042) (vel %.3f %.3f %.3f))", x, y, vx, vy, vz);
    return Send(cmd);
}

bool Monitor::PlaceRobot(TeamSide side, int unum, double x, double y, double headingDeg) {
    char cmd[160];
    std::snprintf(cmd, sizeof cmd, "(agent (unum %d) (team %s) (move %.3f %.3f 0.4 %.1f))", unum, SideName(side), x, y,
                  headingDeg);
    return Send(cmd);
}

GroundTruth Monitor::Truth() {
    std::lock_guard<std::mutex> lock(mutex_);
    return reader_.Truth();
}

bool Monitor::WaitFor(const std::function<bool(const GroundTruth&)>& done, double timeoutSec) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSec);
    std::unique_lock<std::mutex> lock(mutex_);
    while (!done(reader_.Truth())) {
        if (!running_ || changed_.wait_until(lock, deadline) == std::cv_status::timeout) return done(reader_.Truth());
    }
    return true;
}

bool Monitor::WaitGameSeconds(double seconds, double timeoutSec) {
    const double until = Truth().gameTime + seconds;
    return WaitFor([until](const GroundTruth& t) { return t.gameTime >= until - 1e-6; }, seconds * 3 + timeoutSec);
}

}  // namespace rcss
