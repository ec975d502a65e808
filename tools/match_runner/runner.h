// match_runner: plays N real-server matches between two teams and prints per match and in
// total what a team judges a change by. Reads the environment (server installation).
#pragma once
#include <string>

#include "rcss/match.h"

namespace runner {

struct Options {
    rcss::MatchOptions match;
    int matches = 1;
    bool sync = false;
    std::string tracePrefix, svgPrefix, logDir;
};

// Fills options from argv; false with a reason.
bool ParseOptions(int argc, char** argv, Options& options, std::string& error);
int Main(int argc, char** argv);

}  // namespace runner
