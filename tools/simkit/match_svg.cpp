// Drawing a match picture: field metres to pixels, +x to the right, +y up.
#include "simkit/match_svg.h"

#include <cstdio>

#include "simkit/vision_render.h"

namespace simkit {
namespace {

constexpr double kPxPerM = 20.0;
constexpr double kMarginM = 1.5;
constexpr double kGoalDepthM = 0.6;

double Px(double x) { return (x + kHalfFieldLengthM + kMarginM) * kPxPerM; }
double Py(double y) { return (kHalfFieldWidthM + kMarginM - y) * kPxPerM; }

void Polyline(std::FILE* f, const PathM& path, const char* colour, double width) {
    if (path.size() < 2) return;
    std::fprintf(f, "<polyline fill=\"none\" stroke=\"%s\" stroke-width=\"%.1f\" points=\"", colour, width);
    for (const auto& p : path) std::fprintf(f, "%.1f,%.1f ", Px(p.first), Py(p.second));
    std::fprintf(f, "\"/>\n");
}

}  // namespace

bool WriteMatchSvg(const std::string& path, const MatchPicture& picture) {
    std::FILE* f = std::fopen(path.c_str(), "w");
    if (!f) return false;
    const double w = (kFieldLengthM + 2 * kMarginM) * kPxPerM, h = (kFieldWidthM + 2 * kMarginM) * kPxPerM;
    std::fprintf(f, "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%.0f\" height=\"%.0f\">\n", w, h);
    std::fprintf(f, "<rect width=\"100%%\" height=\"100%%\" fill=\"#3a7d34\"/>\n");
    for (const FieldLine& l : FieldLines())
        std::fprintf(f, "<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" stroke=\"white\" stroke-width=\"2\"/>\n",
                     Px(l.x1), Py(l.y1), Px(l.x2), Py(l.y2));
    for (const double x : {-kHalfFieldLengthM - kGoalDepthM, kHalfFieldLengthM})
        std::fprintf(f, "<rect x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\" fill=\"none\" stroke=\"#dddddd\"/>\n",
                     Px(x), Py(kGoalPostYM), kGoalDepthM * kPxPerM, kGoalWidthM * kPxPerM);
    for (const MatchPicture::Track& t : picture.robots) {
        if (t.path.empty()) continue;
        const char* colour = t.left ? "#2b6cff" : "#ff3b30";
        Polyline(f, t.path, colour, 1.5);
        std::fprintf(f, "<text x=\"%.1f\" y=\"%.1f\" fill=\"%s\" font-size=\"12\" font-family=\"sans-serif\">%d</text>\n",
                     Px(t.path.back().first) + 3, Py(t.path.back().second) - 3, colour, t.unum);
    }
    Polyline(f, picture.ball, "white", 1.0);
    for (const MatchPicture::Mark& m : picture.marks)
        std::fprintf(f, "<circle cx=\"%.1f\" cy=\"%.1f\" r=\"6\" fill=\"none\" stroke=\"yellow\" stroke-width=\"2\"/>"
                        "<text x=\"%.1f\" y=\"%.1f\" fill=\"yellow\" font-size=\"11\" font-family=\"sans-serif\">%s</text>\n",
                     Px(m.x), Py(m.y), Px(m.x) + 8, Py(m.y) + 4, m.label.c_str());
    std::fprintf(f, "<text x=\"8\" y=\"16\" fill=\"white\" font-size=\"14\" font-family=\"sans-serif\">%s %d : %d %s</text>\n",
                 picture.teams[0].c_str(), picture.score[0], picture.score[1], picture.teams[1].c_str());
    std::fprintf(f, "</svg>\n");
    std::fclose(f);
    return true;
}

}  // namespace simkit
