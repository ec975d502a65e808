// match_runner's options, the loop over matches and the totals.
#include "match_runner/runner.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>

namespace runner {
namespace {

const char kUsage[] =
    "usage: match_runner [options] LEFT RIGHT\n"
    "  LEFT, RIGHT          an agent program (started for numbers 1 to 11) or a team folder\n"
    "                       (its start.sh starts the team)\n"
    "  --matches=N          matches to play (1)\n"
    "  --seconds=T          game seconds per match (120; the first half ends at 300)\n"
    "  --names=A,B          team names (Left, Right)\n"
    "  --sync               server in agent sync mode behind the relay (default: real time,\n"
    "                       as the league plays)\n"
    "  --trace=PREFIX       ground truth of every monitor message as PREFIX_N.csv\n"
    "  --svg=PREFIX         the picture of match N as PREFIX_N.svg\n"
    "  --logs=DIR           keep the server's and every player's output in DIR/N/\n"
    "  --unums=A,B,...      uniform numbers each agent-program team starts (1 to 11)\n"
    "  --agent-arg=ARG      one more option for every agent program (repeatable)\n"
    "The server: RCSS3D_HOME names its installation, else rcssserver3d is taken from PATH.\n";

bool IsFolder(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool Value(const std::string& arg, const char* key, std::string& value) {
    const std::string k(key);
    if (arg.compare(0, k.size(), k) != 0) return false;
    value = arg.substr(k.size());
    return true;
}

bool PositiveNumber(const std::string& text, double& out) {
    char* end = nullptr;
    out = std::strtod(text.c_str(), &end);
    return !text.empty() && *end == '\0' && out > 0 && out < 1e6;
}

// A list of distinct uniform numbers 1 to 11.
bool Unums(const std::string& text, std::vector<int>& out) {
    out.clear();
    size_t at = 0;
    while (at <= text.size()) {
        const size_t comma = std::min(text.find(',', at), text.size());
        char* end = nullptr;
        const std::string item = text.substr(at, comma - at);
        const long n = std::strtol(item.c_str(), &end, 10);
        if (item.empty() || *end != '\0' || n < 1 || n > 11) return false;
        if (std::find(out.begin(), out.end(), int(n)) != out.end()) return false;
        out.push_back(int(n));
        at = comma + 1;
    }
    return !out.empty();
}

void SetTeam(const std::string& what, rcss::TeamSpec& team) {
    (IsFolder(what) ? team.folder : team.program) = what;
}

// Sums over all matches, per side.
struct Totals {
    int played = 0, goals[2] = {0, 0}, falls[2] = {0, 0}, alone[2] = {0, 0}, freeKicksAgainst[2] = {0, 0}, endedBadly = 0;
    double lyingSec[2] = {0, 0}, longestLyingSec = 0, ballHalfSec[2] = {0, 0};
    long nonFinite = 0;
    void Add(const rcss::MatchResult& r) {
        ++played;
        goals[0] += r.final.scoreLeft, goals[1] += r.final.scoreRight;
        freeKicksAgainst[0] += r.tally.FreeKicksFor(rcss::TeamSide::Right);
        freeKicksAgainst[1] += r.tally.FreeKicksFor(rcss::TeamSide::Left);
        for (const rcss::RobotTally& t : r.tally.Robots()) {
            const int s = t.side == rcss::TeamSide::Left ? 0 : 1;
            falls[s] += t.falls;
            lyingSec[s] += t.lyingTotalSec;
            if (t.lyingLongestSec > longestLyingSec) longestLyingSec = t.lyingLongestSec;
        }
        for (const rcss::Fall& f : r.tally.FallEvents()) alone[f.side == rcss::TeamSide::Left ? 0 : 1] += f.contact ? 0 : 1;
        ballHalfSec[0] += r.tally.BallInLeftHalfSec(), ballHalfSec[1] += r.tally.BallInRightHalfSec();
        for (const rcss::ProcessEnd& p : r.processes) {
            endedBadly += !p.aliveAtEnd || p.signal != 0 || p.status > 0 ? 1 : 0;
            nonFinite += p.nonFiniteLines;
        }
        nonFinite += r.messagesWithNonFinite;
    }
    void Print(const rcss::MatchOptions& o) const {
        const double all = ballHalfSec[0] + ballHalfSec[1] > 0 ? ballHalfSec[0] + ballHalfSec[1] : 1;
        std::printf("TOTAL matches=%d goals %s %d : %d %s\n", played, o.left.name.c_str(), goals[0], goals[1],
                    o.right.name.c_str());
        std::printf("TOTAL falls %s=%d %s=%d alone %s=%d %s=%d lying %s=%.1fs %s=%.1fs longest=%.1fs\n",
                    o.left.name.c_str(), falls[0], o.right.name.c_str(), falls[1], o.left.name.c_str(), alone[0],
                    o.right.name.c_str(), alone[1], o.left.name.c_str(), lyingSec[0], o.right.name.c_str(),
                    lyingSec[1], longestLyingSec);
        std::printf("TOTAL free_kicks_against %s=%d %s=%d\n", o.left.name.c_str(), freeKicksAgainst[0],
                    o.right.name.c_str(), freeKicksAgainst[1]);
        std::printf("TOTAL ball in %s's half %.0f%%, in %s's half %.0f%%\n", o.left.name.c_str(),
                    100 * ballHalfSec[0] / all, o.right.name.c_str(), 100 * ballHalfSec[1] / all);
        std::printf("TOTAL ended_badly=%d nonfinite=%ld\n", endedBadly, nonFinite);
    }
};

volatile std::sig_atomic_t gInterrupted = 0;
void OnInterrupt(int) { gInterrupted = 1; }

std::string Numbered(const std::string& prefix, int n, const char* suffix) {
    return prefix.empty() ? "" : prefix + "_" + std::to_string(n) + suffix;
}

}  // namespace

bool ParseOptions(int argc, char** argv, Options& o, std::string& error) {
    o.match.left.name = "Left", o.match.right.name = "Right";
    int teams = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        std::string v;
        double number = 0;
        if (Value(arg, "--matches=", v) && PositiveNumber(v, number)) o.matches = int(number);
        else if (Value(arg, "--seconds=", v) && PositiveNumber(v, number)) o.match.gameSeconds = number;
        else if (arg == "--sync") o.sync = true;
        else if (Value(arg, "--trace=", v) && !v.empty()) o.tracePrefix = v;
        else if (Value(arg, "--svg=", v) && !v.empty()) o.svgPrefix = v;
        else if (Value(arg, "--logs=", v) && !v.empty()) o.logDir = v;
        else if (Value(arg, "--unums=", v) && Unums(v, o.match.left.unums)) o.match.right.unums = o.match.left.unums;
        else if (Value(arg, "--agent-arg=", v) && !v.empty()) {
            o.match.left.extraArgs.push_back(v);
            o.match.right.extraArgs.push_back(v);
        }
        else if (Value(arg, "--names=", v) && v.find(',') != std::string::npos && v.front() != ',' && v.back() != ',') {
            o.match.left.name = v.substr(0, v.find(','));
            o.match.right.name = v.substr(v.find(',') + 1);
        } else if (arg.rfind("--", 0) != 0 && teams < 2) SetTeam(arg, teams++ == 0 ? o.match.left : o.match.right);
        else {
            error = "bad argument " + arg;
            return false;
        }
    }
    if (teams != 2) error = "two teams are needed, LEFT and RIGHT";
    else if (o.match.left.name == o.match.right.name) error = "the two teams need different names";
    return error.empty();
}

int Main(int argc, char** argv) {
    Options o;
    std::string error;
    if (argc > 1 && std::string(argv[1]) == "--help") {
        std::printf("%s", kUsage);
        return 0;
    }
    if (!ParseOptions(argc, argv, o, error)) {
        std::fprintf(stderr, "match_runner: %s\n%s", error.c_str(), kUsage);
        return 2;
    }
    // The server runs in a session of its own, out of reach of the terminal's interrupt:
    // the runner stops it itself.
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
    o.match.interrupted = &gInterrupted;
    Totals totals;
    int failed = 0;
    for (int n = 1; n <= o.matches && !gInterrupted; ++n) {
        rcss::PitchOptions pitch;
        pitch.syncMode = o.sync;
        if (!o.logDir.empty()) {
            pitch.logDir = o.logDir + "/" + std::to_string(n);
            mkdir(o.logDir.c_str(), 0755);
            mkdir(pitch.logDir.c_str(), 0755);
        }
        o.match.tracePath = Numbered(o.tracePrefix, n, ".csv");
        o.match.svgPath = Numbered(o.svgPrefix, n, ".svg");
        const rcss::MatchResult r = rcss::PlayMatch(pitch, o.match);
        std::printf("== match %d of %d (%s)\n", n, o.matches, o.sync ? "sync mode" : "real time");
        for (const std::string& line : rcss::ReportLines(r, o.match)) std::printf("%s\n", line.c_str());
        std::fflush(stdout);
        failed += r.Ok() ? 0 : 1;
        totals.Add(r);
    }
    totals.Print(o.match);
    return failed == 0 ? 0 : 1;
}

}  // namespace runner
