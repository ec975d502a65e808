// Torso sensor readings of the sessions recorded from the real server, for the fall
// detection tests. Reads the fixture files only.
#pragma once
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace falltest {

struct TorsoReading {
    double gyro[3];  // deg/s
    double acc[3];   // m/s²
};

// Three numbers after `anchor` in a recorded message.
inline bool ReadTriple(const std::string& line, const std::string& anchor, double out[3]) {
    const size_t pos = line.find(anchor);
    if (pos == std::string::npos) return false;
    const char* p = line.c_str() + pos + anchor.size();
    for (int i = 0; i < 3; ++i) {
        char* end = nullptr;
        out[i] = std::strtod(p, &end);
        p = end;
    }
    return true;
}

// One reading per message of a fixture file; empty when the file is missing or a
// message lacks either sensor.
inline std::vector<TorsoReading> RecordedTorso(const std::string& file) {
    std::ifstream in(std::string(CORVANE_FIXTURES_DIR) + "/" + file);
    std::vector<TorsoReading> readings;
    std::string line;
    while (std::getline(in, line)) {
        TorsoReading r{};
        if (!ReadTriple(line, "(GYR (n torso) (rt ", r.gyro) || !ReadTriple(line, "(ACC (n torso) (a ", r.acc)) {
            return {};
        }
        readings.push_back(r);
    }
    return readings;
}

}  // namespace falltest
