// The practice match's connections: accepting agents, framing their answers, the scene,
// init, beam and say messages, refusals and the lock-step wait for every answer.
#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "geometry/geometry.h"
#include "practice_server/framing.h"
#include "practice_server/match_state.h"

namespace practice {

namespace {

constexpr int kTeamSize = 11;
constexpr size_t kMaxSayChars = 20;

// The clause "(name ...)" starting at `at`: the text between name and the closing bracket.
bool ClauseBody(const std::string& s, const char* name, std::string& body) {
    const std::string open = std::string("(") + name + " ";
    const size_t at = s.find(open);
    if (at == std::string::npos) return false;
    const size_t start = at + open.size();
    int depth = 1;
    for (size_t i = start; i < s.size(); ++i) {
        if (s[i] == '(') ++depth;
        if (s[i] == ')' && --depth == 0) {
            body = s.substr(start, i - start);
            return true;
        }
    }
    return false;
}

bool ReadNumber(const std::string& text, double& out) {
    char* end = nullptr;
    out = std::strtod(text.c_str(), &end);
    return end != text.c_str();
}

// Letters, digits and punctuation except brackets: what a say may carry.
bool SayAllowed(const std::string& text) {
    if (text.empty() || text.size() > kMaxSayChars) return false;
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return c > 0x20 && c < 0x7f && c != '(' && c != ')'; });
}

}  // namespace

void Match::State::AcceptNew() {
    for (;;) {
        const int fd = accept(net.listenFd, nullptr, nullptr);
        if (fd < 0) return;
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        Peer peer;
        peer.fd = fd;
        net.peers.push_back(peer);
    }
}

bool Match::State::ReadPeer(Peer& peer) {
    char buf[16384];
    for (;;) {
        const ssize_t n = recv(peer.fd, buf, sizeof buf, 0);
        if (n > 0) {
            peer.in.append(buf, size_t(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
        return false;
    }
}

void Match::State::HandleFrames(Peer& peer) {
    std::string payload;
    while (peer.stage != Peer::Stage::Closed) {
        const FrameResult r = TakeFrame(peer.in, payload, kMaxAgentFrameBytes);
        if (r == FrameResult::Incomplete) return;
        if (r == FrameResult::Oversized) return Refuse(peer, "oversized frame");
        if (!WellFormed(payload)) return Refuse(peer, "malformed frame");
        HandleFrame(peer, payload);
    }
}

void Match::State::HandleFrame(Peer& peer, const std::string& payload) {
    if (peer.stage == Peer::Stage::AwaitScene) return HandleScene(peer, payload);
    SimRobot* robot = peer.robot >= 0 ? world.robots[size_t(peer.robot)].get() : nullptr;
    if (robot && HasNonFiniteNumber(payload)) robot->info.sentNonFinite = true;
    const bool init = payload.rfind("(init ", 0) == 0, beam = payload.rfind("(beam ", 0) == 0;
    // Which team plays left must not depend on which process the scheduler ran first.
    if (net.deferInits && (init || beam) && (init || !peer.deferred.empty())) {
        peer.deferred.push_back(payload);
        return;
    }
    if (init) return HandleInit(peer, payload);
    if (beam) return HandleBeam(peer, payload);
    if (payload.rfind("(syn)", 0) == 0 && payload.size() == 5) return;
    // Anything else is the effector answer to the last message.
    ++peer.answered;
    peer.command += payload;
    std::string say;
    if (ClauseBody(payload, "say", say)) HandleSay(peer, say);
}

void Match::State::HandleScene(Peer& peer, const std::string& payload) {
    std::string body;
    if (!ClauseBody(payload, "scene", body)) return Refuse(peer, "no scene message");
    const size_t blank = body.find(' ');
    int type = 0;
    if (blank != std::string::npos) type = std::atoi(body.c_str() + blank + 1);
    if (type < 0 || type > 4) return Refuse(peer, "unknown robot type");
    auto robot = std::make_unique<SimRobot>();
    robot->info.robotType = type;
    robot->info.connected = true;
    peer.robot = int(world.robots.size());
    world.robots.push_back(std::move(robot));
    out.paths.emplace_back();
    peer.stage = Peer::Stage::AwaitInit;
}

void Match::State::HandleInit(Peer& peer, const std::string& payload) {
    if (peer.stage != Peer::Stage::AwaitInit) return;
    std::string unumText, team;
    double unumValue = 0;
    if (!ClauseBody(payload, "unum", unumText) || !ClauseBody(payload, "teamname", team) ||
        !ReadNumber(unumText, unumValue) || team.empty() || team.find(' ') != std::string::npos)
        return Refuse(peer, "malformed init");
    int side = -1;
    for (int s = 0; s < 2 && side < 0; ++s)
        if (world.teams[s] == team || world.teams[s].empty()) side = s;
    if (side < 0) return Refuse(peer, "a third team " + team);
    int unum = int(unumValue);
    if (unum < 0 || unum > kTeamSize) return Refuse(peer, "uniform number out of range");
    const Side which = side == 0 ? Side::Left : Side::Right;
    int players = 0;
    for (const auto& r : world.robots)
        if (r->info.unum > 0 && r->info.side == which && r->info.team == team) ++players;
    if (players >= kTeamSize) return Refuse(peer, "team " + team + " is full");
    for (int n = 1; unum == 0 && n <= kTeamSize; ++n)
        if (!world.Find(which, n)) unum = n;
    if (world.Find(which, unum)) return Refuse(peer, "uniform number " + std::to_string(unum) + " taken in " + team);
    world.teams[side] = team;
    SimRobot& robot = *world.robots[size_t(peer.robot)];
    robot.info.side = which;
    robot.info.team = team;
    robot.info.unum = unum;
    // New robots wait on their own touchline until they beam.
    const double x = -1.0 * unum, y = -9.5;
    robot.Place(SideX(which, x), SideX(which, y), SideDeg(which, 90.0));
    peer.stage = Peer::Stage::Playing;
    peer.announce = true;
    Event("connect team=" + team + " unum=" + std::to_string(unum) + " type=" +
          std::to_string(robot.info.robotType) + " side=" + SideName(which));
}

void Match::State::HandleBeam(Peer& peer, const std::string& payload) {
    if (peer.stage != Peer::Stage::Playing || !world.referee.BeamAllowed()) return;
    simkit::GroundPose beam;
    if (!simkit::ParseBeam(payload, beam)) return;
    const double x = std::clamp(beam.x, -kHalfFieldLengthM, 0.0);
    const double y = std::clamp(beam.y, -kHalfFieldWidthM, kHalfFieldWidthM), rot = beam.bodyDeg;
    SimRobot& robot = *world.robots[size_t(peer.robot)];
    const Side side = robot.info.side;
    robot.Place(SideX(side, x), SideX(side, y), SideDeg(side, rot));
    char text[160];
    std::snprintf(text, sizeof text, "beam team=%s unum=%d x=%.2f y=%.2f rot=%.1f", robot.info.team.c_str(),
                  robot.info.unum, x, y, rot);
    Event(text);
}

void Match::State::HandleSay(Peer& peer, const std::string& text) {
    if (peer.stage != Peer::Stage::Playing || !SayAllowed(text)) return;
    hearing.saidNew.push_back(Said{peer.robot, text});
}

void Match::State::Refuse(Peer& peer, const std::string& reason) {
    std::cerr << "practice_server: closing a connection: " << reason << std::endl;
    Drop(peer, reason);
}

void Match::State::Drop(Peer& peer, const std::string& reason) {
    if (peer.stage == Peer::Stage::Closed) return;
    if (peer.robot >= 0) {
        RobotInfo& info = world.robots[size_t(peer.robot)]->info;
        info.connected = false;
        if (!closed && world.referee.LeftView() != PM_GameOver) info.endedEarly = true;
        std::string spaced(reason);
        std::replace(spaced.begin(), spaced.end(), ' ', '_');
        if (info.unum > 0)
            Event("closed team=" + info.team + " unum=" + std::to_string(info.unum) + " reason=" + spaced);
    }
    close(peer.fd);
    peer.fd = -1;
    peer.stage = Peer::Stage::Closed;
}

// Lock-step: every agent sent a message this cycle owes an answer; the wait ends when all
// have answered or the cycle's time-out has passed.
void Match::State::WaitForAnswers() {
    net.deferInits = true;
    WaitForAll();
    net.deferInits = false;
    HandleDeferred();
}

void Match::State::WaitForAll() {
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::microseconds(long(options.cycleTimeoutSec * 1e6));
    std::vector<pollfd> fds;
    std::vector<Peer*> owing;
    for (;;) {
        fds.clear();
        owing.clear();
        for (Peer& p : net.peers) {
            if (p.stage == Peer::Stage::Closed || !p.sentThisCycle || p.answered >= p.sent) continue;
            fds.push_back(pollfd{p.fd, POLLIN, 0});
            owing.push_back(&p);
        }
        if (fds.empty()) return;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return;
        if (poll(fds.data(), fds.size(), int(left.count())) < 0 && errno != EINTR) return;
        for (size_t k = 0; k < fds.size(); ++k) {
            if (!fds[k].revents) continue;
            if (!ReadPeer(*owing[k])) {
                HandleFrames(*owing[k]);
                Drop(*owing[k], "stream ended");
                continue;
            }
            HandleFrames(*owing[k]);
        }
    }
}

void Match::State::HandleDeferred() {
    for (Peer& p : net.peers) {
        std::vector<std::string> frames;
        frames.swap(p.deferred);
        for (const std::string& f : frames)
            if (p.stage != Peer::Stage::Closed) HandleFrame(p, f);
    }
}

int Network::Connected() const {
    int n = 0;
    for (const Peer& p : peers)
        if (p.stage != Peer::Stage::Closed && p.robot >= 0) ++n;
    return n;
}

}  // namespace practice
