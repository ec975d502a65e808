// The practice match's cycle: accept, advance the world (ball, contacts, referee, pushes),
// send every agent its message, then wait for and apply every answer.
#include <algorithm>
#include <cmath>
#include <thread>
#include <unistd.h>

#include "practice_server/match_state.h"
#include "simkit/loopback.h"

namespace practice {

Match::Match(const Options& options) : s_(std::make_unique<State>(options)) {
    s_->hearing.nextHostileSec = options.hostileHearPeriodSec;
}

Match::~Match() { Close(); }

bool Match::Listen() {
    const simkit::Listener listener = simkit::ListenLoopback(s_->options.port, 64, true);
    s_->net.listenFd = listener.fd;
    s_->net.port = listener.port;
    return listener.fd >= 0;
}

int Match::Port() const { return s_->net.port; }

int Match::AcceptPending(double waitSec) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::microseconds(long(waitSec * 1e6));
    do {
        s_->AcceptNew();
        for (Peer& p : s_->net.peers) {
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
    return s_->net.Connected();
}

bool Match::WaitForAgents(int count, double timeoutSec) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::microseconds(long(timeoutSec * 1e6));
    while (s_->net.Connected() < count) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        AcceptPending(0.01);
    }
    return true;
}

void Match::BeginCycle() {
    State& s = *s_;
    if (s.closed) return;
    AcceptPending(0.0);
    if (s.world.cycle > 0) s.AdvanceWorld();
    s.InjectHostileHear();
    const std::vector<Said> heard = std::move(s.hearing.saidOld);
    s.hearing.saidOld = std::move(s.hearing.saidNew);
    // Says arrive in the order the answers did, which the scheduler picks: ordered by
    // robot, a seeded match hears the same texts in the same order on every run.
    std::stable_sort(s.hearing.saidOld.begin(), s.hearing.saidOld.end(),
                     [](const Said& a, const Said& b) { return a.robot < b.robot; });
    s.hearing.saidNew.clear();
    for (Peer& p : s.net.peers) {
        p.sentThisCycle = false;
        p.command.clear();
        if (p.stage != Peer::Stage::AwaitInit && p.stage != Peer::Stage::Playing) continue;
        if (!simkit::SendFrame(p.fd, s.Perception(p, heard), int(s.options.cycleTimeoutSec * 1000))) {
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
    for (Peer& p : s.net.peers) {
        if (p.robot < 0) continue;
        SimRobot& robot = *s.world.robots[size_t(p.robot)];
        if (p.sentThisCycle) ++(p.answered >= p.sent ? robot.info.answered : robot.info.silent);
        if (p.stage != Peer::Stage::Closed) robot.Advance(p.command);
    }
    ++s.world.cycle;
    if (s.options.realtime) {
        s.pace += std::chrono::milliseconds(20);
        const auto now = std::chrono::steady_clock::now();
        if (s.pace < now - std::chrono::milliseconds(200)) s.pace = now;
        std::this_thread::sleep_until(s.pace);
    }
}

bool Match::Step() {
    if (s_->closed) return false;
    if (s_->world.referee.LeftView() == PM_GameOver) {
        Close();
        return false;
    }
    if (s_->world.cycle == 0) s_->pace = std::chrono::steady_clock::now();
    BeginCycle();
    EndCycle();
    if (s_->world.referee.LeftView() == PM_GameOver) {
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
    for (Peer& p : s.net.peers) s.Drop(p, "server closed");
    if (s.net.listenFd >= 0) close(s.net.listenFd);
    s.net.listenFd = -1;
    if (s.out.trace) std::fclose(s.out.trace);
    s.out.trace = nullptr;
    s.WriteSvg();
}

// ---- the world

void Match::State::AdvanceWorld() {
    world.serverTime += kCycleSec;
    world.referee.AdvanceClock();
    ApplyPushes();
    for (auto& r : world.robots) {
        if (r->info.unum > 0 && r->CheckGetUp(world.serverTime)) {
            char text[120];
            std::snprintf(text, sizeof text, "up team=%s unum=%d lay=%.2f", r->info.team.c_str(), r->info.unum,
                          world.serverTime - r->lyingSinceSec);
            Event(text);
        }
    }
    Roll(world.ball, kCycleSec);
    TouchBall();
    BounceOffGoal(world.ball);
    const Side touched = world.ballInfo.lastTouchSide;
    const std::string before = world.referee.Mode();
    if (world.referee.Update(world.serverTime, world.ball, touched)) {
        Event("playmode " + world.referee.Mode());
        if (world.referee.LeftView() == PM_GoalUs || world.referee.LeftView() == PM_GoalOpp) {
            const Side scorer = world.referee.LastGoal();
            Event(std::string("goal side=") + SideName(scorer) + " score=" + std::to_string(world.referee.Score(Side::Left)) +
                  ":" + std::to_string(world.referee.Score(Side::Right)));
            out.marks.push_back(Output::Mark{world.ball.x, world.ball.y, "goal"});
        }
    }
    world.ballInfo.x = world.ball.x;
    world.ballInfo.y = world.ball.y;
    world.ballInfo.vx = world.ball.vx;
    world.ballInfo.vy = world.ball.vy;
}

void Match::State::TouchBall() {
    for (auto& r : world.robots) {
        if (r->info.unum <= 0 || !r->info.connected) continue;
        bool touched = PushByDisc(world.ball, r->info.x, r->info.y, kBodyRadius, r->vx, r->vy, 0.0);
        for (const FootBox& foot : r->feet) touched = PushByFoot(world.ball, foot) || touched;
        if (!touched) continue;
        const bool changed = !world.anyTouch || world.ballInfo.lastTouchSide != r->info.side || world.ballInfo.lastTouchUnum != r->info.unum;
        world.anyTouch = true;
        world.ballInfo.lastTouchSide = r->info.side;
        world.ballInfo.lastTouchUnum = r->info.unum;
        if (changed) Event("touch team=" + r->info.team + " unum=" + std::to_string(r->info.unum));
    }
}

// Texts the server lets through (short, allowed characters) that are not a team message
// at all: what a confused or hostile player could say.
void Match::State::InjectHostileHear() {
    if (options.hostileHearPeriodSec <= 0 || world.serverTime + 1e-9 < hearing.nextHostileSec) return;
    hearing.nextHostileSec += options.hostileHearPeriodSec;
    static const char kAllowed[] =
        "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ!\"#$%&'*+,-./:;<=>?@[]^_`{|}~";
    std::uniform_int_distribution<int> length(1, 20), pick(0, int(sizeof kAllowed) - 2);
    std::uniform_real_distribution<double> direction(-180.0, 180.0);
    Said said;
    said.robot = -1;
    const int n = length(world.rng);
    for (int k = 0; k < n; ++k) said.text.push_back(kAllowed[pick(world.rng)]);
    said.directionDeg = direction(world.rng);
    hearing.saidNew.push_back(said);
}

void Match::State::ApplyPushes() {
    for (auto it = world.pushes.begin(); it != world.pushes.end();) {
        SimRobot* r = world.Find(it->side, it->unum);
        if (world.referee.GameTime() + 1e-9 < it->atGameTimeSec || !r) {
            ++it;
            continue;
        }
        if (!r->info.lying) {
            r->LayDown(it->ontoBack, world.serverTime);
            Event("push team=" + r->info.team + " unum=" + std::to_string(r->info.unum) +
                  " onto=" + (it->ontoBack ? "back" : "front"));
            out.marks.push_back(Output::Mark{r->info.x, r->info.y, "push " + std::to_string(r->info.unum)});
        }
        it = world.pushes.erase(it);
    }
}

SimRobot* World::Find(Side side, int unum) {
    for (auto& r : robots)
        if (r->info.unum == unum && r->info.side == side && r->info.connected) return r.get();
    return nullptr;
}

// ---- scripting and reading

void Match::SetPlayMode(const std::string& mode) {
    if (mode == s_->world.referee.Mode()) return;
    s_->world.referee.Script(mode, s_->world.ball);
    s_->Event("playmode " + mode);
}

void Match::PlaceBall(double x, double y, double vx, double vy) {
    s_->world.ball = BallState{x, y, vx, vy};
    s_->world.ballInfo.x = x;
    s_->world.ballInfo.y = y;
    s_->world.ballInfo.vx = vx;
    s_->world.ballInfo.vy = vy;
}

void Match::PlaceRobot(Side side, int unum, double x, double y, double bodyDeg) {
    if (SimRobot* r = s_->world.Find(side, unum)) r->Place(x, y, bodyDeg);
}

void Match::Push(Side side, int unum, bool ontoBack, double atGameTimeSec) {
    s_->world.pushes.push_back(PendingPush{side, unum, ontoBack, atGameTimeSec});
}

void Match::SetGetUpFailures(Side side, int unum, int count) {
    if (SimRobot* r = s_->world.Find(side, unum)) r->getUpFailures = count;
}

double Match::GameTime() const { return s_->world.referee.GameTime(); }
double Match::ServerTime() const { return s_->world.serverTime; }
long Match::Cycle() const { return s_->world.cycle; }
std::string Match::PlayMode() const { return s_->world.referee.Mode(); }
int Match::Score(Side side) const { return s_->world.referee.Score(side); }
BallInfo Match::Ball() const { return s_->world.ballInfo; }

std::vector<RobotInfo> Match::Robots() const {
    std::vector<RobotInfo> out;
    for (const auto& r : s_->world.robots)
        if (r->info.unum > 0) out.push_back(r->info);
    return out;
}

const RobotInfo* Match::Robot(Side side, int unum) const {
    for (auto it = s_->world.robots.rbegin(); it != s_->world.robots.rend(); ++it)
        if ((*it)->info.unum == unum && (*it)->info.side == side) return &(*it)->info;
    return nullptr;
}

std::string Match::LastCommand(Side side, int unum) const {
    for (const Peer& p : s_->net.peers) {
        if (p.robot < 0) continue;
        const RobotInfo& info = s_->world.robots[size_t(p.robot)]->info;
        if (info.side == side && info.unum == unum && p.stage != Peer::Stage::Closed) return p.command;
    }
    return "";
}

std::vector<std::string> Match::SummaryLines() const { return s_->Summary(); }
const std::vector<std::string>& Match::Events() const { return s_->out.events; }

}  // namespace practice
