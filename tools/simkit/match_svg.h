// The picture of a match as SVG, to scale: field lines, goals, each robot's path in its
// team's colour, the ball's path, marks (goals, pushes) and the score. Shared by the
// practice pitch and the real-server match runner. No globals.
#pragma once
#include <string>
#include <utility>
#include <vector>

namespace simkit {

using PathM = std::vector<std::pair<double, double>>;  // field frame, metres

struct MatchPicture {
    struct Track {
        bool left = true;
        int unum = 0;
        PathM path;
    };
    struct Mark {
        double x, y;
        std::string label;
    };
    std::string teams[2];  // left, right
    int score[2] = {0, 0};
    std::vector<Track> robots;
    PathM ball;
    std::vector<Mark> marks;
};

// False when the file cannot be written.
bool WriteMatchSvg(const std::string& path, const MatchPicture& picture);

}  // namespace simkit
