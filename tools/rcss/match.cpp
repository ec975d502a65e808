// Playing one real-server match: teams in, kick-off, the clock run out, the server stopped,
// then what every process did.
#include "rcss/match.h"

#include <chrono>
#include <cstdarg>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>

#include "practice_server/framing.h"
#include "geometry/geometry.h"
#include "simkit/match_svg.h"

namespace rcss {
namespace {

constexpr size_t kTeamFolderPlayers = 11;
constexpr int kSvgEveryMessages = 5;
constexpr long kSettleMessages = 50;

long NonFiniteLines(const std::string& text) {
    std::istringstream lines(text);
    std::string line;
    long count = 0;
    while (std::getline(lines, line)) count += practice::HasNonFiniteNumber(line) ? 1 : 0;
    return count;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// Ground truth as CSV rows and as the picture's paths, from the monitor's thread.
class Recorder {
public:
    explicit Recorder(const MatchOptions& o) : options_(o) {
        if (!o.tracePath.empty()) trace_ = std::fopen(o.tracePath.c_str(), "w");
        if (trace_) std::fprintf(trace_, "game_time,play_mode,object,team,unum,x,y,z,heading_deg,up_z\n");
    }
    ~Recorder() {
        if (trace_) std::fclose(trace_);
    }
    void Add(const GroundTruth& t) {
        if (trace_) {
            for (const RobotTruth& r : t.robots) {
                if (r.unum <= 0) continue;  // not yet announced
                std::fprintf(trace_, "%.2f,%s,robot,%s,%d,%.3f,%.3f,%.3f,%.1f,%.3f\n", t.gameTime, t.playMode.c_str(),
                             SideName(r.side), r.unum, r.x, r.y, r.z, r.headingDeg, r.up[2]);
            }
            std::fprintf(trace_, "%.2f,%s,ball,,0,%.3f,%.3f,%.3f,0,1\n", t.gameTime, t.playMode.c_str(), t.ballX,
                         t.ballY, t.ballZ);
        }
        if (options_.svgPath.empty() || t.message % kSvgEveryMessages != 0) return;
        for (const RobotTruth& r : t.robots)
            if (r.unum > 0) Track(r).path.emplace_back(r.x, r.y);
        picture_.ball.emplace_back(t.ballX, t.ballY);
    }
    void Finish(const MatchResult& result) {
        if (options_.svgPath.empty()) return;
        picture_.teams[0] = options_.left.name, picture_.teams[1] = options_.right.name;
        picture_.score[0] = result.final.scoreLeft, picture_.score[1] = result.final.scoreRight;
        for (const Goal& g : result.tally.Goals())
            picture_.marks.push_back({g.scorer == TeamSide::Left ? kHalfFieldLengthM : -kHalfFieldLengthM, 0.0,
                                      "goal " + std::to_string(int(g.gameTimeSec)) + "s"});
        if (!simkit::WriteMatchSvg(options_.svgPath, picture_))
            std::fprintf(stderr, "match_runner: cannot write %s\n", options_.svgPath.c_str());
    }

private:
    simkit::MatchPicture::Track& Track(const RobotTruth& r) {
        for (auto& t : picture_.robots)
            if (t.left == (r.side == TeamSide::Left) && t.unum == r.unum) return t;
        picture_.robots.push_back({r.side == TeamSide::Left, r.unum, {}});
        return picture_.robots.back();
    }
    const MatchOptions& options_;
    std::FILE* trace_ = nullptr;
    simkit::MatchPicture picture_;
};

size_t TeamSize(const TeamSpec& team) { return team.folder.empty() ? team.unums.size() : kTeamFolderPlayers; }

bool AllOnField(const GroundTruth& t, size_t players) {
    size_t count = 0;
    for (const RobotTruth& r : t.robots) count += r.unum > 0 ? 1 : 0;
    return count >= players;
}

// A team folder's players are not our children: their pid file says who ran, their logs
// what they printed.
void FolderPlayers(const TeamSpec& team, std::vector<ProcessEnd>& out, bool beforeStop) {
    std::ifstream pids(team.folder + "/logs/" + team.name + ".pid");
    int pid = 0, unum = 0;
    while (pids >> pid) {
        ++unum;
        const std::string name = team.name + "_" + std::to_string(unum);
        if (beforeStop) {
            out.push_back({name, kill(pid, 0) == 0, -1, 0, 0, ""});
            continue;
        }
        for (ProcessEnd& p : out)
            if (p.name == name) p.nonFiniteLines = NonFiniteLines(ReadFile(team.folder + "/logs/" + name + ".log"));
    }
}

}  // namespace

void StartTeam(Pitch& pitch, const TeamSpec& team) {
    if (!team.folder.empty()) {
        pitch.Launch("/bin/bash", {team.folder + "/start.sh", "127.0.0.1", std::to_string(pitch.AgentPort()), team.name},
                     team.name + "_start", false);
        return;
    }
    for (const int unum : team.unums) {
        std::vector<std::string> args = {"--teamname=" + team.name, "--unum=" + std::to_string(unum)};
        args.insert(args.end(), team.extraArgs.begin(), team.extraArgs.end());
        pitch.Launch(team.program, args, team.name + "_" + std::to_string(unum));
        pitch.WaitForAnswers(pitch.Processes().size());
    }
}

MatchResult PlayMatch(const PitchOptions& pitchOptions, const MatchOptions& options) {
    MatchResult result;
    const auto wallStart = std::chrono::steady_clock::now();
    Pitch pitch;
    if (!pitch.Start(pitchOptions, result.error)) return result;
    Recorder recorder(options);
    pitch.monitor().Watch([&](const GroundTruth& t) {
        result.tally.Add(t);
        recorder.Add(t);
    });
    StartTeam(pitch, options.left);
    pitch.WaitForRobot(TeamSide::Left, 1);  // the first team to announce itself plays left
    StartTeam(pitch, options.right);
    const auto stop = options.interrupted;
    const size_t players = TeamSize(options.left) + TeamSize(options.right);
    if (!pitch.monitor().WaitFor([stop, players](const GroundTruth& t) { return AllOnField(t, players) || (stop && *stop); },
                                 90))
        result.error = Line("not all %zu robots came onto the field within 90 s", players);
    // Two seconds for the players to beam to their places and stand, as before a real kick-off.
    const long settled = pitch.monitor().Truth().message + kSettleMessages;
    pitch.monitor().WaitFor([settled](const GroundTruth& t) { return t.message >= settled; }, 30);
    pitch.monitor().KickOff(TeamSide::Left);
    const double until = options.gameSeconds;
    if (!pitch.monitor().WaitFor([until, stop](const GroundTruth& t) { return t.gameTime >= until || (stop && *stop); },
                                 until * 4 + 60))
        result.error = "game time stalled before " + std::to_string(int(until)) + " s";
    if (stop && *stop) result.error = "interrupted";
    result.final = pitch.monitor().Truth();
    for (size_t k = 0; k < pitch.Processes().size(); ++k)
        result.processes.push_back({pitch.Names()[k], pitch.Processes()[k]->Running(), -1, 0, 0, ""});
    for (const TeamSpec* team : {&options.left, &options.right})
        if (!team->folder.empty()) FolderPlayers(*team, result.processes, true);
    pitch.Stop();
    for (size_t k = 0; k < pitch.Processes().size(); ++k) {
        AgentProcess& p = *pitch.Processes()[k];
        result.processes[k].status = p.Wait(0);
        result.processes[k].signal = p.TermSignal();
        result.processes[k].output = p.Output();
        result.processes[k].nonFiniteLines = NonFiniteLines(result.processes[k].output);
    }
    for (const TeamSpec* team : {&options.left, &options.right})
        if (!team->folder.empty()) FolderPlayers(*team, result.processes, false);
    for (const RelayStats& link : pitch.relay().Links()) {
        result.messagesWithNonFinite += link.nonFiniteMessages;
        if (result.firstNonFinite.empty()) result.firstNonFinite = link.firstNonFinite;
    }
    result.tally.Finish();
    recorder.Finish(result);
    result.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    return result;
}

namespace {

struct TeamFigures {
    int falls = 0, alone = 0, freeKicksAgainst = 0;
    double lyingTotalSec = 0, lyingLongestSec = 0;
    int longestUnum = 0;
};

TeamFigures FiguresOf(const Tally& tally, TeamSide side) {
    TeamFigures f;
    f.freeKicksAgainst = tally.FreeKicksFor(side == TeamSide::Left ? TeamSide::Right : TeamSide::Left);
    for (const Fall& fall : tally.FallEvents()) f.alone += fall.side == side && !fall.contact ? 1 : 0;
    for (const RobotTally& r : tally.Robots()) {
        if (r.side != side) continue;
        f.falls += r.falls;
        f.lyingTotalSec += r.lyingTotalSec;
        if (r.lyingLongestSec > f.lyingLongestSec) f.lyingLongestSec = r.lyingLongestSec, f.longestUnum = r.unum;
    }
    return f;
}

}  // namespace

std::string Line(const char* format, ...) {
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

std::vector<std::string> ReportLines(const MatchResult& r, const MatchOptions& o) {
    std::vector<std::string> lines;
    if (!r.Ok()) lines.push_back("ERROR " + r.error);
    lines.push_back(Line("SCORE %s %d : %d %s  (game time %.1f s, wall %.0f s)", o.left.name.c_str(), r.final.scoreLeft,
                         r.final.scoreRight, o.right.name.c_str(), r.final.gameTime, r.wallSeconds));
    std::string goals = "GOALS";
    for (const Goal& g : r.tally.Goals())
        goals += Line(" %s@%.1fs", (g.scorer == TeamSide::Left ? o.left : o.right).name.c_str(), g.gameTimeSec);
    lines.push_back(r.tally.Goals().empty() ? "GOALS none" : goals);
    for (const TeamSide side : {TeamSide::Left, TeamSide::Right}) {
        const TeamFigures f = FiguresOf(r.tally, side);
        lines.push_back(Line("FALLS %s falls=%d alone=%d lying_total=%.1fs lying_longest=%.1fs (player %d) "
                             "free_kicks_against=%d",
                             (side == TeamSide::Left ? o.left : o.right).name.c_str(), f.falls, f.alone,
                             f.lyingTotalSec, f.lyingLongestSec, f.longestUnum, f.freeKicksAgainst));
    }
    for (const Fall& f : r.tally.FallEvents())
        lines.push_back(Line("FALL %s %d t=%.2f %s at %.2f,%.2f ball=%.2fm nearest=%.2fm %s lying=%.1fs",
                             (f.side == TeamSide::Left ? o.left : o.right).name.c_str(), f.unum, f.gameTimeSec,
                             f.playMode.c_str(), f.x, f.y, f.ballDistM, f.nearestRobotM,
                             f.contact ? "contact" : "alone", f.lyingSec));
    const double inLeft = r.tally.BallInLeftHalfSec(), inRight = r.tally.BallInRightHalfSec();
    const double all = inLeft + inRight > 0 ? inLeft + inRight : 1;
    lines.push_back(Line("BALL in %s's half %.1fs (%.0f%%), in %s's half %.1fs (%.0f%%)", o.left.name.c_str(), inLeft,
                         100 * inLeft / all, o.right.name.c_str(), inRight, 100 * inRight / all));
    std::string bad;
    long nonFiniteLines = 0;
    for (const ProcessEnd& p : r.processes) {
        nonFiniteLines += p.nonFiniteLines;
        if (!p.aliveAtEnd) bad += " " + p.name + "(ended before the end)";
        else if (p.signal != 0) bad += Line(" %s(signal %d)", p.name.c_str(), p.signal);
        else if (p.status > 0) bad += Line(" %s(status %d)", p.name.c_str(), p.status);
    }
    lines.push_back("ENDED_BADLY" + (bad.empty() ? std::string(" none") : bad));
    lines.push_back(Line("NONFINITE messages=%ld output_lines=%ld%s%s", r.messagesWithNonFinite, nonFiniteLines,
                         r.firstNonFinite.empty() ? "" : " first: ", r.firstNonFinite.substr(0, 200).c_str()));
    return lines;
}

}  // namespace rcss
