// One agent cycle on a recorded perception message, without the server link: the same
// steps in the same order as the cycle loop. Reads and writes the agent's singletons.
#pragma once
#include <string>
#include <vector>

namespace perf {

// The recorded messages of one fixture file, one per line.
std::vector<std::string> LoadRecording(const std::string& file);

// Every recording the suite replays.
const std::vector<std::string>& RecordingNames();

// A freshly started agent of team "Blue", as the recordings were made.
void StartAgent();

// Parse, world-model update, command table cleared and timer advanced: what the cycle
// does before the decision layer runs.
void BeginCycle(const std::string& message);

}  // namespace perf
