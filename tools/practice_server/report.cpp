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
    std::snprintf(stamp, sizeof stamp, "t=%.2f ", referee.GameTime());
    events.push_back(stamp + text);
    if (options.printEvents) std::cout << events.back() << std::endl;
}

// One row per robot and one for the ball: cycle, times, who, where.
void Match::State::TraceCycle() {
    if (!options.svgPath.empty() && cycle % 5 == 0) {
        for (size_t k = 0; k < robots.size(); ++k)
            if (robots[k]->info.unum > 0 && robots[k]->info.connected)
                paths[k].emplace_back(robots[k]->info.x, robots[k]->info.y);
        ballPath.emplace_back(ball.x, ball.y);
    }
    if (options.tracePath.empty()) return;
    if (!traceOpened) {
        traceOpened = true;
        trace = std::fopen(options.tracePath.c_str(), "w");
        if (trace) std::fprintf(trace, "cycle,server_time,game_time,play_mode,object,team,unum,x,y,heading_deg,lying\n");
    }
    if (!trace) return;
    const char* mode = referee.Mode().c_str();
    for (const auto& r : robots) {
        if (r->info.unum <= 0 || !r->info.connected) continue;
        std::fprintf(trace, "%ld,%.2f,%.2f,%s,robot,%s,%d,%.4f,%.4f,%.2f,%d\n", cycle, serverTime, referee.GameTime(),
                     mode, r->info.team.c_str(), r->info.unum, r->info.x, r->info.y, r->info.bodyDeg,
                     r->info.lying ? 1 : 0);
    }
    std::fprintf(trace, "%ld,%.2f,%.2f,%s,ball,,0,%.4f,%.4f,0,0\n", cycle, serverTime, referee.GameTime(), mode, ball.x,
                 ball.y);
}

std::vector<std::string> Match::State::Summary() const {
    std::vector<std::string> lines;
    for (int s = 0; s < 2; ++s) {
        const Side side = s == 0 ? Side::Left : Side::Right;
        int players = 0;
        for (const auto& r : robots)
            if (r->info.unum > 0 && r->info.side == side) ++players;
        lines.push_back(std::string("TEAM side=") + SideName(side) + " name=" + (teams[s].empty() ? "-" : teams[s]) +
                        " score=" + std::to_string(referee.Score(side)) + " players=" + std::to_string(players));
    }
    for (const auto& r : robots) {
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
    standin::MatchPicture picture;
    for (int s = 0; s < 2; ++s) {
        picture.teams[s] = teams[s];
        picture.score[s] = referee.Score(s == 0 ? Side::Left : Side::Right);
    }
    for (size_t k = 0; k < robots.size(); ++k) {
        const RobotInfo& i = robots[k]->info;
        if (i.unum > 0) picture.robots.push_back({i.side == Side::Left, i.unum, paths[k]});
    }
    picture.ball = ballPath;
    for (const Mark& m : marks) picture.marks.push_back({m.x, m.y, m.label});
    if (!standin::WriteMatchSvg(options.svgPath, picture))
        std::cerr << "practice_server: cannot write " << options.svgPath << std::endl;
}

}  // namespace practice
