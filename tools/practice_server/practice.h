// The practice pitch as a library: a lock-step match server on loopback with kinematic
// robots, a rolling ball and a referee, for tests and for the practice_server program.
// Reads `ACT.HJControl` effector names (through simkit); writes no agent globals.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace practice {

enum class Side { Left, Right };

struct Options {
    int port = 3100;               // 0: any free loopback port (tests)
    uint64_t seed = 1;
    double kickOffAtSec = 3.0;     // simulated time spent in BeforeKickOff
    bool kickOffRight = false;     // first kick-off to the right team
    double gameLengthSec = 600.0;  // "GameOver" after this much game time
    double cycleTimeoutSec = 5.0;  // wall-clock wait per cycle for each answer
    bool realtime = false;         // pace at 50 Hz
    bool visionNoise = false;      // seeded noise on sightings
    bool autoReferee = true;       // false: play mode changes only by SetPlayMode (tests)
    double hostileHearPeriodSec = 0.0;  // > 0: inject a hostile hear text that often
    std::string tracePath, svgPath;     // empty: none
    bool printEvents = true;            // the event log on standard output
};

struct RobotInfo {
    Side side = Side::Left;
    std::string team;
    int unum = 0;
    int robotType = 0;
    double x = 0, y = 0, bodyDeg = 0;  // field frame
    bool lying = false;
    bool connected = false;
    long answered = 0, silent = 0;
    bool endedEarly = false;
    bool sentNonFinite = false;
    int falls = 0;
    double longestLyingSec = 0.0;
};

struct BallInfo {
    double x = 0, y = 0, vx = 0, vy = 0;  // field frame, metres and m/s
    Side lastTouchSide = Side::Left;
    int lastTouchUnum = 0;  // 0: nobody has touched it yet
};

class Match {
public:
    explicit Match(const Options& options);
    ~Match();  // closes every connection
    Match(const Match&) = delete;
    Match& operator=(const Match&) = delete;

    bool Listen();  // false when the port cannot be bound
    int Port() const;
    // Accepts connections arriving within waitSec (each sends its scene at once); returns
    // the number of agents connected. Agents connected later are accepted at each cycle.
    int AcceptPending(double waitSec);
    bool WaitForAgents(int count, double timeoutSec);  // AcceptPending until count
    // One cycle of simulated time = BeginCycle(): accept new connections, advance the
    // world, send every agent its message; then EndCycle(): wait (lock-step, with the
    // time-out) for every agent's answer and apply it (joints, beams, say, init).
    bool Step();  // false once the game is over and all are closed
    void BeginCycle();
    void EndCycle();
    void RunFor(double simSeconds);  // Step repeatedly
    void Close();                    // stop: close every connection (agents end, status 0)

    // ---- scripting (tests, and the program's options)
    void SetPlayMode(const std::string& leftTeamViewMode);  // e.g. "PlayOn", "KickIn_Left"
    void PlaceBall(double x, double y, double vx = 0.0, double vy = 0.0);
    void PlaceRobot(Side side, int unum, double x, double y, double bodyDeg);
    void Push(Side side, int unum, bool ontoBack, double atGameTimeSec);  // lays it down
    void SetGetUpFailures(Side side, int unum, int count);  // next `count` get-ups leave it lying

    // ---- reading
    double GameTime() const;
    double ServerTime() const;
    long Cycle() const;
    std::string PlayMode() const;  // left team's view, as sent ("PlayOn", "Goal_Left", ...)
    int Score(Side side) const;
    BallInfo Ball() const;
    std::vector<RobotInfo> Robots() const;
    const RobotInfo* Robot(Side side, int unum) const;  // nullptr when absent
    // The joint clauses (and say) a robot answered with in the last cycle; empty when silent.
    std::string LastCommand(Side side, int unum) const;
    std::vector<std::string> SummaryLines() const;      // as printed at the end
    const std::vector<std::string>& Events() const;     // the event log so far, as printed

    struct State;

private:
    std::unique_ptr<State> s_;
};

}  // namespace practice
