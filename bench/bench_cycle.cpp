// One whole cycle as the agent runs it on the recorded sessions: parse, world-model update,
// command table cleared, twenty joints driven, effector message composed.
#include <benchmark/benchmark.h>

#include "bench_fixtures.h"

#include <fstream>
#include <string>
#include <vector>

#include "motion/acthandle.h"
#include "perception/msgparse.h"
#include "runtime/corvane.h"
#include "worldmodel/worldmodel.h"

namespace {

// unum 2 is a field player; as number 1 the goalkeeper also composes its team message.
void FullCycleRecorded(benchmark::State& state, const char* file, int unum) {
    const std::vector<std::string> lines = LoadSession(file);
    if (lines.empty()) {
        state.SkipWithError("fixture missing");
        return;
    }
    SenseParse = MsgParse();
    SenseParse.m_sTeamName = "Blue";
    wm = WorldModel();
    wm.m_sTeamName = "Blue";
    size_t i = 0;
    size_t bytes = 0;
    for (auto _ : state) {
        SenseParse.Parse(lines[i]);
        bytes += lines[i].size();
        wm.UpdateAll();
        wm.m_iUnum = unum;
        ACT.ClearControl();
        timer.Update(1);
        ACT.DoAction(-80, 10, 0, 0, -80, -10, 0, 0, 0, 1, 18, -62, 44, -1, 0, -5, 18, -62, 44, 5, 0.1);
        benchmark::DoNotOptimize(ACT.MakeCommand());
        if (++i == lines.size()) i = 0;
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
}
BENCHMARK_CAPTURE(FullCycleRecorded, players_field_player, "session_players.txt", 2);
BENCHMARK_CAPTURE(FullCycleRecorded, players_goalkeeper, "session_players.txt", 1);
BENCHMARK_CAPTURE(FullCycleRecorded, hear_field_player, "session_hear.txt", 2);

}  // namespace
