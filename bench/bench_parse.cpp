// Parse speed: recorded server messages and synthetic vision messages of 1, 4 and 16 KB.
// Reads the fixtures from CORVANE_FIXTURES_DIR; uses its own MsgParse instances.
#include <benchmark/benchmark.h>

#include "bench_fixtures.h"

#include <fstream>
#include <string>
#include <vector>

#include "perception/msgparse.h"

namespace {

bool HasVision(const std::string& m) { return m.find("(See ") != std::string::npos; }

// Every message of one recording in turn, or only those with (or without) vision.
void ParseRecording(benchmark::State& state, const char* file, int vision) {
    std::vector<std::string> messages;
    for (std::string& m : LoadSession(file))
        if (vision < 0 || HasVision(m) == (vision == 1)) messages.push_back(std::move(m));
    if (messages.empty()) {
        state.SkipWithError("no messages");
        return;
    }
    MsgParse parser;
    parser.m_sTeamName = "Blue";
    size_t i = 0, bytes = 0;
    for (auto _ : state) {
        const std::string& m = messages[i];
        parser.Parse(m);
        benchmark::DoNotOptimize(parser.m_HJ[21].fAngle);
        bytes += m.size();
        if (++i == messages.size()) i = 0;
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
    state.counters["bytes/msg"] = static_cast<double>(bytes) / static_cast<double>(state.iterations());
}

BENCHMARK_CAPTURE(ParseRecording, players_all, "session_players.txt", -1);
BENCHMARK_CAPTURE(ParseRecording, players_vision, "session_players.txt", 1);
BENCHMARK_CAPTURE(ParseRecording, players_no_vision, "session_players.txt", 0);
BENCHMARK_CAPTURE(ParseRecording, single_vision, "session_single.txt", 1);
BENCHMARK_CAPTURE(ParseRecording, hear_all, "session_hear.txt", -1);
BENCHMARK_CAPTURE(ParseRecording, fall_back_all, "session_fall_back.txt", -1);

// A real vision message grown to about the wanted size with more players and lines in
// view, so that the work per byte stays like that of a real one.
std::string SyntheticMessage(size_t wanted) {
    std::string m = "(time (now 12.34))(GS (sl 0) (sr 0) (t 5.00) (pm PlayOn))"
                    "(GYR (n torso) (rt 0.12 -3.40 0.05))(ACC (n torso) (a 0.10 -0.20 9.81))"
                    "(HJ (n hj1) (ax 12.50))(HJ (n hj2) (ax -7.25))(See (G2R (pol 18.01 -11.77 0.85))"
                    " (G1R (pol 18.02 -5.28 0.69)) (F1R (pol 20.55 20.43 -1.56)) (B (pol 3.03 -7.88 -9.55))";
    const std::string tail =
        ")(HJ (n raj1) (ax -90.00))(HJ (n raj2) (ax 0.00))(HJ (n raj3) (ax 0.00))"
        "(HJ (n raj4) (ax 0.00))(HJ (n laj1) (ax -90.00))(HJ (n laj2) (ax 0.00))"
        "(HJ (n laj3) (ax 0.00))(HJ (n laj4) (ax 0.00))(HJ (n rlj1) (ax 0.00))"
        "(HJ (n rlj2) (ax 0.00))(HJ (n rlj3) (ax 20.00))(HJ (n rlj4) (ax -40.00))"
        "(HJ (n rlj5) (ax 20.00))(FRP (n rf) (c 0.00 -0.01 -0.01) (f 0.00 0.00 22.59))"
        "(HJ (n rlj6) (ax 0.00))(HJ (n llj1) (ax 0.00))(HJ (n llj2) (ax 0.00))"
        "(HJ (n llj3) (ax 20.00))(HJ (n llj4) (ax -40.00))(HJ (n llj5) (ax 20.00))"
        "(FRP (n lf) (c 0.00 -0.01 -0.01) (f -0.00 0.00 22.59))(HJ (n llj6) (ax 0.00))";
    for (int k = 0; m.size() + tail.size() < wanted; ++k) {
        if (k % 3 == 0) {
            const std::string id = std::to_string(k / 3 % 11 + 1);
            m += " (P (team Red) (id " + id + ") (head (pol 4.48 -15.15 0.06)) (rlowerarm (pol "
                 "4.32 -14.24 -1.02)) (llowerarm (pol 4.37 -16.48 -1.11)) (rfoot (pol 4.47 -14.29 "
                 "-6.71)) (lfoot (pol 4.50 -15.66 -6.72)))";
        } else {
            m += " (L (pol 20.57 -37.91 -1.65) (pol 20.62 20.28 -1.29))";
        }
    }
    return m + tail;
}

void ParseSynthetic(benchmark::State& state) {
    const std::string m = SyntheticMessage(static_cast<size_t>(state.range(0)));
    MsgParse parser;
    for (auto _ : state) {
        parser.Parse(m);
        benchmark::DoNotOptimize(parser.m_HJ[21].fAngle);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * m.size()));
    state.counters["bytes/msg"] = static_cast<double>(m.size());
}

BENCHMARK(ParseSynthetic)->Arg(1024)->Arg(4096)->Arg(16384);

}  // namespace
