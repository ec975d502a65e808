// Inside of practice::Match: the connections, robots, ball, referee and the log, shared by
// the match's source files. No agent globals.
#pragma once
#include <chrono>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "practice_server/ball.h"
#include "practice_server/practice.h"
#include "practice_server/referee.h"
#include "practice_server/robot.h"

namespace practice {

struct Peer {
    enum class Stage { AwaitScene, AwaitInit, Playing, Closed };
    int fd = -1;
    Stage stage = Stage::AwaitScene;
    std::string in;       // bytes received, not yet framed
    int robot = -1;       // index into State::robots once the scene has come
    long sent = 0;        // perception messages sent
    long answered = 0;    // answers received
    bool sentThisCycle = false;
    bool announce = false;  // the next game state names number and side
    std::string command;    // joint clauses of this cycle's answers
    std::vector<std::string> deferred;  // init and what followed it, for the end of the wait
};

struct Said {
    int robot = 0;  // index into State::robots; -1: injected hostile text
    std::string text;
    double directionDeg = 0.0;  // of an injected text
};

struct PendingPush {
    Side side;
    int unum;
    bool ontoBack;
    double atGameTimeSec;
};

// The connections: listening socket, one peer per agent, and the lock-step wait's state.
struct Network {
    int listenFd = -1;
    int port = 0;
    std::vector<Peer> peers;
    bool deferInits = false;  // inits wait for the end of the cycle, taken in connection order

    int Connected() const;  // peers that have sent their scene and are still open
};

// What is simulated: robots, ball, referee, clock and the pushes still to come.
struct World {
    explicit World(const Options& o) : referee(o), rng(o.seed) {}
    std::vector<std::unique_ptr<SimRobot>> robots;
    std::string teams[2];  // left, right; empty until named
    Referee referee;
    BallState ball;
    BallInfo ballInfo;
    bool anyTouch = false;
    long cycle = 0;
    double serverTime = 0.0;
    std::vector<PendingPush> pushes;
    std::mt19937_64 rng;  // sighting noise and the hostile hear texts

    SimRobot* Find(Side side, int unum);  // a connected robot; nullptr when none
};

// Says on their way: each is heard one cycle after the next.
struct Hearing {
    std::vector<Said> saidNew, saidOld;
    double nextHostileSec = 0.0;
};

// What the match writes: the event log, the trace and the picture's paths and marks.
struct Output {
    std::FILE* trace = nullptr;
    bool traceOpened = false;
    std::vector<std::string> events;
    struct Mark {
        double x, y;
        std::string label;
    };
    std::vector<Mark> marks;  // goals and pushes, for the picture
    std::vector<std::vector<std::pair<double, double>>> paths;  // per robot
    std::vector<std::pair<double, double>> ballPath;
};

struct Match::State {
    explicit State(const Options& o) : options(o), world(o) {}

    Options options;
    bool closed = false;
    Network net;
    World world;
    Hearing hearing;
    Output out;
    std::chrono::steady_clock::time_point pace;  // realtime: when the next cycle is due

    // ---- network (match_io.cpp)
    void AcceptNew();
    bool ReadPeer(Peer& peer);  // false when the stream ended
    void HandleFrames(Peer& peer);
    void HandleFrame(Peer& peer, const std::string& payload);
    void HandleScene(Peer& peer, const std::string& payload);
    void HandleInit(Peer& peer, const std::string& payload);
    void HandleBeam(Peer& peer, const std::string& payload);
    void HandleSay(Peer& peer, const std::string& text);
    void Refuse(Peer& peer, const std::string& reason);
    void Drop(Peer& peer, const std::string& reason);
    void WaitForAnswers();
    void WaitForAll();
    void HandleDeferred();

    // ---- the world (match.cpp)
    void AdvanceWorld();
    void TouchBall();
    void ApplyPushes();
    void InjectHostileHear();

    // ---- perception (match_render.cpp)
    std::string Perception(const Peer& peer, const std::vector<Said>& heard);

    // ---- output (report.cpp)
    void Event(const std::string& text);
    void TraceCycle();
    void WriteSvg() const;
    std::vector<std::string> Summary() const;
};

const char* SideName(Side side);

}  // namespace practice
