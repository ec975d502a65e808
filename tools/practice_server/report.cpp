// What the practice match tells: the event log, the per-cycle trace (CSV), the end summary
// and the picture of the match (SVG).
#include <cstdio>
#include <iostream>

#include "practice_server/match_state.h"
#include "simkit/match_svg.h"

namespace practice {

const char* SideName(Side side) { return side == Side::Left ? "left" : "right"; }

void Match::State::Event(const std::string& text) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "t=%.2f ", world.referee.GameTime());
    out.events.push_back(stamp + text);
    if (options.printEvents) std::cout << out.events.back() << std::endl;
}

// One row per robot and one for the ball: cycle, times, who, where.
void Match::State::TraceCycle() {
    if (!options.svgPath.empty() && world.cycle % 5 == 0) {
        for (size_t k = 0; k < world.robots.size(); ++k)
            if (world.robots[k]->info.unum > 0 && world.robots[k]->info.connected)
                out.paths[k].emplace_back(world.robots[k]->info.x, world.robots[k]->info.y);
        out.ballPath.emplace_back(world.ball.x, world.ball.y);
    }
    if (options.tracePath.empty()) return;
    if (!out.traceOpened) {
        out.traceOpened = true;
        out.trace = std::fopen(options.tracePath.c_str(), "w");
        if (out.trace) std::fprintf(out.trace, "cycle,server_time,game_time,play_mode,object,team,unum,x,y,heading_deg,lying\n");
    }
    if (!out.trace) return;
    const char* mode = world.referee.Mode().c_str();
    for (const auto& r : world.robots) {
        if (r->info.unum <= 0 || !r->info.connected) continue;
        std::fprintf(out.trace, "%ld,%.2f,%.2f,%s,robot,%s,%d,%.4f,%.4f,%.2f,%d\n", world.cycle, world.serverTime, world.referee.GameTime(),
                     mode, r->info.team.c_str(), r->info.unum, r->info.x, r->info.y, r->info.bodyDeg,
                     r->info.lying ? 1 : 0);
    }
    std::fprintf(out.trace, "%ld,%.2f,%.2f,%s,ball,,0,%.4f,%.4f,0,0\n", world.cycle, world.serverTime, world.referee.GameTime(), mode, world.ball.x,
                 world.ball.y);
}

std::vector<std::string> Match::State::Summary() const {
    std::vector<std::string> lines;
    for (int s = 0; s < 2; ++s) {
        const Side side = s == 0 ? Side::Left : Side::Right;
        int players = 0;
        for (const auto& r : world.robots)
            if (r->info.unum > 0 && r->info.side == side) ++players;
        lines.push_back(std::string("TEAM side=") + SideName(side) + " name=" + (world.teams[s].empty() ? "-" : world.teams[s]) +
                        " score=" + std::to_string(world.referee.Score(side)) + " players=" + std::to_string(players));
    }
    for (const auto& r : world.robots) {
        const RobotInfo& i = r->info;
        if (i.unum <= 0) continue;
        char line[256];
        std::snprintf(line, sizeof line,
                      "AGENT team=%s unum=%d answered=%ld silent=%ld ended_early=%d nonfinite=%d falls=%d longest_lying=%.2f",
                      i.team.c_str(), i.unum, i.answered, i.silent, i.endedEarly ? 1 : 0, i.sentNonFinite ? 1 : 0, i.falls,
                      i.longestLyingSec);
        lines.push_back(line);
    }
    return lines;
}

void Match::State::WriteSvg() const {
    if (options.svgPath.empty()) return;
    simkit::MatchPicture picture;
    for (int s = 0; s < 2; ++s) {
        picture.teams[s] = world.teams[s];
        picture.score[s] = world.referee.Score(s == 0 ? Side::Left : Side::Right);
    }
    for (size_t k = 0; k < world.robots.size(); ++k) {
        const RobotInfo& i = world.robots[k]->info;
        if (i.unum > 0) picture.robots.push_back({i.side == Side::Left, i.unum, out.paths[k]});
    }
    picture.ball = out.ballPath;
    for (const Output::Mark& m : out.marks) picture.marks.push_back({m.x, m.y, m.label});
    if (!simkit::WriteMatchSvg(options.svgPath, picture))
        std::cerr << "practice_server: cannot write " << options.svgPath << std::endl;
}

}  // namespace practice
