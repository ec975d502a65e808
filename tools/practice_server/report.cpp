// What the practice match tells: the event log, the per-cycle trace (CSV), the end summary
// and the picture of the match (SVG).
#include <cstdio>
#include <iostream>

#include "practice_server/match_state.h"
#include "simkit/vision_render.h"

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

namespace {

constexpr double kPxPerM = 20.0;
constexpr double kMarginM = 1.5;

// Field metres to picture pixels: +x to the right, +y up.
double Px(double x) { return (x + 15.0 + kMarginM) * kPxPerM; }
double Py(double y) { return (10.0 + kMarginM - y) * kPxPerM; }

void Polyline(std::FILE* f, const std::vector<std::pair<double, double>>& path, const char* colour, double width) {
    if (path.size() < 2) return;
    std::fprintf(f, "<polyline fill=\"none\" stroke=\"%s\" stroke-width=\"%.1f\" points=\"", colour, width);
    for (const auto& p : path) std::fprintf(f, "%.1f,%.1f ", Px(p.first), Py(p.second));
    std::fprintf(f, "\"/>\n");
}

}  // namespace

void Match::State::WriteSvg() const {
    if (options.svgPath.empty()) return;
    std::FILE* f = std::fopen(options.svgPath.c_str(), "w");
    if (!f) {
        std::cerr << "practice_server: cannot write " << options.svgPath << std::endl;
        return;
    }
    const double w = (30.0 + 2 * kMarginM) * kPxPerM, h = (20.0 + 2 * kMarginM) * kPxPerM;
    std::fprintf(f, "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%.0f\" height=\"%.0f\">\n", w, h);
    std::fprintf(f, "<rect width=\"100%%\" height=\"100%%\" fill=\"#3a7d34\"/>\n");
    for (const standin::FieldLine& l : standin::FieldLines())
        std::fprintf(f, "<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" stroke=\"white\" stroke-width=\"2\"/>\n",
                     Px(l.x1), Py(l.y1), Px(l.x2), Py(l.y2));
    for (const double x : {-15.6, 15.0})
        std::fprintf(f, "<rect x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\" fill=\"none\" stroke=\"#dddddd\"/>\n",
                     Px(x), Py(1.05), 0.6 * kPxPerM, 2.1 * kPxPerM);
    for (size_t k = 0; k < robots.size(); ++k) {
        const RobotInfo& i = robots[k]->info;
        if (i.unum <= 0 || paths[k].empty()) continue;
        const char* colour = i.side == Side::Left ? "#2b6cff" : "#ff3b30";
        Polyline(f, paths[k], colour, 1.5);
        std::fprintf(f, "<text x=\"%.1f\" y=\"%.1f\" fill=\"%s\" font-size=\"12\" font-family=\"sans-serif\">%d</text>\n",
                     Px(paths[k].back().first) + 3, Py(paths[k].back().second) - 3, colour, i.unum);
    }
    Polyline(f, ballPath, "white", 1.0);
    for (const Mark& m : marks)
        std::fprintf(f, "<circle cx=\"%.1f\" cy=\"%.1f\" r=\"6\" fill=\"none\" stroke=\"yellow\" stroke-width=\"2\"/>"
                        "<text x=\"%.1f\" y=\"%.1f\" fill=\"yellow\" font-size=\"11\" font-family=\"sans-serif\">%s</text>\n",
                     Px(m.x), Py(m.y), Px(m.x) + 8, Py(m.y) + 4, m.label.c_str());
    std::fprintf(f, "<text x=\"8\" y=\"16\" fill=\"white\" font-size=\"14\" font-family=\"sans-serif\">%s %d : %d %s</text>\n",
                 teams[0].c_str(), referee.Score(Side::Left), referee.Score(Side::Right), teams[1].c_str());
    std::fprintf(f, "</svg>\n");
    std::fclose(f);
}

}  // namespace practice
