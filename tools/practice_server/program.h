// The practice_server program: its command line and its run from start to summary.
// Writes standard output (event log, summary) and standard error (refusals, usage).
#pragma once
#include <string>
#include <vector>

#include "practice_server/practice.h"

namespace practice {

struct ScriptedPush {
    Side side = Side::Left;
    int unum = 0;
    bool ontoBack = true;
    double atGameTimeSec = 0.0;
};

struct CommandLine {
    Options options;
    bool help = false;
    int waitForAgents = 1;         // the match starts once this many have connected
    double waitTimeoutSec = 60.0;  // ... or after this long with whoever is there
    std::vector<ScriptedPush> pushes;
};

// False with a message naming the bad argument.
bool ParseCommandLine(const std::vector<std::string>& args, CommandLine& out, std::string& error);
void PrintUsage();
int ProgramMain(int argc, char** argv);

}  // namespace practice
