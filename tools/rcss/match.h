// A match on the real server between two teams, each the agent program run eleven times or
// a team folder's start script, with what a team needs to judge a change: score and goals,
// falls and time lying, where the ball was, processes that ended badly, nan or inf sent or
// printed; optionally a CSV trace of ground truth and an SVG picture. No globals.
#pragma once
#include <csignal>
#include <string>
#include <utility>
#include <vector>

#include "rcss/pitch.h"
#include "rcss/tally.h"

namespace rcss {

struct TeamSpec {
    TeamSpec() = default;
    TeamSpec(std::string teamName, std::string agentProgram, std::string teamFolder)
        : name(std::move(teamName)), program(std::move(agentProgram)), folder(std::move(teamFolder)) {}
    std::string name;     // team name, also the file name of its logs
    std::string program;  // an agent program, started for each of `unums` ...
    std::string folder;   // ... or a team folder whose start.sh starts the team (all eleven)
    std::vector<int> unums = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    std::vector<std::string> extraArgs;  // after the program's own options
};

struct MatchOptions {
    TeamSpec left, right;
    double gameSeconds = 120;
    std::string tracePath, svgPath;  // empty: none
    // Set (by a signal handler) to end the match early; the server is still stopped cleanly.
    const volatile std::sig_atomic_t* interrupted = nullptr;
};

struct ProcessEnd {
    std::string name;
    bool aliveAtEnd = false;
    int status = -1;  // after the server stopped; -1 when killed or still running
    int signal = 0;
    long nonFiniteLines = 0;  // output lines with nan or inf
    std::string output;       // what it printed (programs of this tree only)
};

struct MatchResult {
    std::string error;  // set when the match could not be played
    GroundTruth final;
    Tally tally;
    std::vector<ProcessEnd> processes;
    long messagesWithNonFinite = 0;  // agent messages through the relay
    std::string firstNonFinite;
    double wallSeconds = 0;
    bool Ok() const { return error.empty(); }
};

// Starts a team's players one at a time, each once the server has answered the last.
void StartTeam(Pitch& pitch, const TeamSpec& team);

MatchResult PlayMatch(const PitchOptions& pitchOptions, const MatchOptions& options);

// printf into a string of up to 1 KB: one line of a report.
std::string Line(const char* format, ...) __attribute__((format(printf, 1, 2)));

// What the runner prints for one match, one line each.
std::vector<std::string> ReportLines(const MatchResult& result, const MatchOptions& options);

}  // namespace rcss
