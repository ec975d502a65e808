// Motion probe: runs one chosen motion on a server through the agent's own runtime and
// reports how it went. Reads `wm`; drives `Lip`, `ACT` and `skill` in place of the decision layer.
#pragma once
#include <string>

#include "geometry/geometry.h"

namespace probe {

struct Options {
    std::string motion = "walk_f";
    int turnDeg = 0;
    bool small = false;
    double seconds = 10.0;  // walking and head-scan time before stopping
    double holdSec = 0.0;   // standing on after the motion, falls still counted
    bool beam = false;
    Vector beamPos;  // x, y in metres (team frame), z = body direction in degrees
    bool printPose = false;  // one line per cycle with the localisation estimate
};

enum class ParseResult { Used, NotMine, Invalid };

// Applies one probe-specific argument; the agent's own options are left to ReadOptions.
ParseResult ApplyOption(const std::string& arg, Options& options);
bool IsKnownMotion(const std::string& name);
void PrintHelp();

class Driver {
public:
    explicit Driver(const Options& options) : opt_(options) {}

    void Step();  // one cycle's decision; call between wm.UpdateAll and MakeCommand
    bool Finished() const;  // the motion and the hold after it are over
    void Finish();  // ends the run now and takes the end figures
    std::string ProgressLine() const;  // one line per second of game time
    static std::string PoseLine();     // the localisation estimate of this cycle
    std::string SummaryLine() const;
    int Falls() const { return falls_; }

private:
    enum class Stage { Waiting, Running, Stopping, Done };

    void StepBeforeKickOff();
    void StepMotion();
    bool RunWalk();
    void RunSquare();
    bool RunOnce();
    bool RecoverFromFall();
    void CountFalls();
    void StartRun();
    bool IsWalk() const;

    Options opt_;
    Stage stage_ = Stage::Waiting;
    bool gettingUp_ = false;
    bool wasFallen_ = false;
    int falls_ = 0;
    double startTime_ = 0.0;
    double endTime_ = 0.0;
    Vector startPos_;
    Vector endPos_;
    int startIKFailures_ = 0;
    int endIKFailures_ = 0;
    // The square's progress: sides completed, the current side's or corner's start.
    int sidesDone_ = 0;
    bool cornering_ = false;
    double legStartSec_ = 0.0;
    double cornerStartDeg_ = 0.0;
};

// The whole program: options, connect, cycle until the motion is done. Returns the status.
int Main(int argc, char** argv);

}  // namespace probe
