// The practice match's cycle: accept, advance the world (ball, contacts, referee, pushes),
// send every agent its message, then wait for and apply every answer.
#include <arpa/inet.h>
#include <cmath>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

#include "practice_server/framing.h"
#include "practice_server/match_state.h"

namespace practice {

Match::Match(const Options& options) : s_(std::make_unique<State>(options)) {
    s_->nextHostileSec = options.hostileHearPeriodSec;
}

Match::~Match() { Close(); }

bool Match::Listen() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return false;
    const int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(uint16_t(s_->options.port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) < 0 || listen(fd, 64) < 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) < 0) {
        close(fd);
        return false;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    s_->listenFd = fd;
    s_->port = ntohs(addr.sin_port);
    return true;
}

int Match::Port() const { return s_->port; }

int Match::AcceptPending(double waitSec) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::microseconds(long(waitSec * 1e6));
    do {
        s_->AcceptNew();
        for (Peer& p : s_->peers) {
            if (p.stage == Peer::Stage::Closed) continue;
            if (!s_->ReadPeer(p)) {
                s_->HandleFrames(p);
                s_->Drop(p, "stream ended");
                continue;
            }
            s_->HandleFrames(p);
        }
        if (std::chrono::steady_clock::now() >= deadline) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    } while (true);
    return s_->Connected();
}

bool Match::WaitForAgents(int count, double timeoutSec) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::microseconds(long(timeoutSec * 1e6));
    while (s_->Connected() < count) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        AcceptPending(0.01);
    }
    return true;
}

void Match::BeginCycle() {
    State& s = *s_;
    if (s.closed) return;
    AcceptPending(0.0);
    if (s.cycle > 0) s.AdvanceWorld();
    s.InjectHostileHear();
    const std::vector<Said> heard = std::move(s.saidOld);
    s.saidOld = std::move(s.saidNew);
    s.saidNew.clear();
    for (Peer& p : s.peers) {
        p.sentThisCycle = false;
        p.command.clear();
        if (p.stage != Peer::Stage::AwaitInit && p.stage != Peer::Stage::Playing) continue;
        if (!SendFrame(p.fd, s.Perception(p, heard), int(s.options.cycleTimeoutSec * 1000))) {
            s.Drop(p, "send failed");
            continue;
        }
        if (p.stage == Peer::Stage::Playing) p.announce = false;
        ++p.sent;
        p.sentThisCycle = true;
    }
    s.TraceCycle();
}

void Match::EndCycle() {
    State& s = *s_;
    if (s.closed) return;
    s.WaitForAnswers();
    for (Peer& p : s.peers) {
        if (p.robot < 0) continue;
        SimRobot& robot = *s.robots[size_t(p.robot)];
        if (p.sentThisCycle) ++(p.answered >= p.sent ? robot.info.answered : robot.info.silent);
        if (p.stage != Peer::Stage::Closed) robot.Advance(p.command);
    }
    ++s.cycle;
    if (s.options.realtime) {
        s.pace += std::chrono::milliseconds(20);
        const auto now = std::chrono::steady_clock::now();
        if (s.pace < now - std::chrono::milliseconds(200)) s.pace = now;
        std::this_thread::sleep_until(s.pace);
    }
}

bool Match::Step() {
    if (s_->closed) return false;
    if (s_->referee.Mode() == "GameOver") {
        Close();
        return false;
    }
    if (s_->cycle == 0) s_->pace = std::chrono::steady_clock::now();
    BeginCycle();
    EndCycle();
    if (s_->referee.Mode() == "GameOver") {
        Close();
        return false;
    }
    return true;
}

void Match::RunFor(double simSeconds) {
    const long cycles = std::lround(simSeconds / kCycleSec);
    for (long k = 0; k < cycles && Step(); ++k) {
    }
}

void Match::Close() {
    State& s = *s_;
    if (s.closed) return;
    s.closed = true;
    for (Peer& p : s.peers) s.Drop(p, "server closed");
    if (s.listenFd >= 0) close(s.listenFd);
    s.listenFd = -1;
    if (s.trace) std::fclose(s.trace);
    s.trace = nullptr;
    s.WriteSvg();
}

// ---- the world

void Match::State::AdvanceWorld() {
    serverTime += kCycleSec;
    referee.AdvanceClock();
    ApplyPushes();
    for (auto& r : robots) {
        if (r->info.unum > 0 && r->CheckGetUp(serverTime)) {
            char text[120];
            std::snprintf(text, sizeof text, "up team=%s unum=%d lay=%.2f", r->info.team.c_str(), r->info.unum,
                          serverTime - r->lyingSinceSec);
            Event(text);
        }
    }
    Roll(ball, kCycleSec);
    TouchBall();
    BounceOffGoal(ball);
    const Side touched = ballInfo.lastTouchSide;
    const std::string before = referee.Mode();
    if (referee.Update(serverTime, ball, touched)) {
        Event("playmode " + referee.Mode());
        if (referee.Mode().rfind("Goal_", 0) == 0) {
            const Side scorer = referee.LastGoal();
            Event(std::string("goal side=") + SideName(scorer) + " score=" + std::to_string(referee.Score(Side::Left)) +
                  ":" + std::to_string(referee.Score(Side::Right)));
            marks.push_back(Mark{ball.x, ball.y, "goal"});
        }
    }
    ballInfo.x = ball.x;
    ballInfo.y = ball.y;
    ballInfo.vx = ball.vx;
    ballInfo.vy = ball.vy;
}

void Match::State::TouchBall() {
    for (auto& r : robots) {
        if (r->info.unum <= 0 || !r->info.connected) continue;
        bool touched = PushByDisc(ball, r->info.x, r->info.y, kBodyRadius, r->vx, r->vy, 0.0);
        for (const FootBox& foot : r->feet) touched = PushByFoot(ball, foot) || touched;
        if (!touched) continue;
        const bool changed = !anyTouch || ballInfo.lastTouchSide != r->info.side || ballInfo.lastTouchUnum != r->info.unum;
        anyTouch = true;
        ballInfo.lastTouchSide = r->info.side;
        ballInfo.lastTouchUnum = r->info.unum;
        if (changed) Event("touch team=" + r->info.team + " unum=" + std::to_string(r->info.unum));
    }
}

// Texts the server lets through (short, allowed characters) that are not a team message
// at all: what a confused or hostile player could say.
void Match::State::InjectHostileHear() {
    if (options.hostileHearPeriodSec <= 0 || serverTime + 1e-9 < nextHostileSec) return;
    nextHostileSec += options.hostileHearPeriodSec;
    static const char kAllowed[] =
        "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ!\"#$%&'*+,-./:;<=>?@[]^_`{|}~";
    std::uniform_int_distribution<int> length(1, 20), pick(0, int(sizeof kAllowed) - 2);
    std::uniform_real_distribution<double> direction(-180.0, 180.0);
    Said said;
    said.robot = -1;
    const int n = length(rng);
    for (int k = 0; k < n; ++k) said.text.push_back(kAllowed[pick(rng)]);
    said.directionDeg = direction(rng);
    saidNew.push_back(said);
}

void Match::State::ApplyPushes() {
    for (auto it = pushes.begin(); it != pushes.end();) {
        SimRobot* r = Find(it->side, it->unum);
        if (referee.GameTime() + 1e-9 < it->atGameTimeSec || !r) {
            ++it;
            continue;
        }
        if (!r->info.lying) {
            r->LayDown(it->ontoBack, serverTime);
            Event("push team=" + r->info.team + " unum=" + std::to_string(r->info.unum) +
                  " onto=" + (it->ontoBack ? "back" : "front"));
            marks.push_back(Mark{r->info.x, r->info.y, "push " + std::to_string(r->info.unum)});
        }
        it = pushes.erase(it);
    }
}

SimRobot* Match::State::Find(Side side, int unum) {
    for (auto& r : robots)
        if (r->info.unum == unum && r->info.side == side && r->info.connected) return r.get();
    return nullptr;
}

// ---- scripting and reading

void Match::SetPlayMode(const std::string& mode) {
    if (mode == s_->referee.Mode()) return;
    s_->referee.Script(mode, s_->ball);
    s_->Event("playmode " + mode);
}

void Match::PlaceBall(double x, double y, double vx, double vy) {
    s_->ball = BallState{x, y, vx, vy};
    s_->ballInfo.x = x;
    s_->ballInfo.y = y;
    s_->ballInfo.vx = vx;
    s_->ballInfo.vy = vy;
}

void Match::PlaceRobot(Side side, int unum, double x, double y, double bodyDeg) {
    if (SimRobot* r = s_->Find(side, unum)) r->Place(x, y, bodyDeg);
}

void Match::Push(Side side, int unum, bool ontoBack, double atGameTimeSec) {
    s_->pushes.push_back(PendingPush{side, unum, ontoBack, atGameTimeSec});
}

void Match::SetGetUpFailures(Side side, int unum, int count) {
    if (SimRobot* r = s_->Find(side, unum)) r->getUpFailures = count;
}

double Match::GameTime() const { return s_->referee.GameTime(); }
double Match::ServerTime() const { return s_->serverTime; }
long Match::Cycle() const { return s_->cycle; }
std::string Match::PlayMode() const { return s_->referee.Mode(); }
int Match::Score(Side side) const { return s_->referee.Score(side); }
BallInfo Match::Ball() const { return s_->ballInfo; }

std::vector<RobotInfo> Match::Robots() const {
    std::vector<RobotInfo> out;
    for (const auto& r : s_->robots)
        if (r->info.unum > 0) out.push_back(r->info);
    return out;
}

const RobotInfo* Match::Robot(Side side, int unum) const {
    for (auto it = s_->robots.rbegin(); it != s_->robots.rend(); ++it)
        if ((*it)->info.unum == unum && (*it)->info.side == side) return &(*it)->info;
    return nullptr;
}

std::vector<std::string> Match::SummaryLines() const { return s_->Summary(); }
const std::vector<std::string>& Match::Events() const { return s_->events; }

}  // namespace practice
