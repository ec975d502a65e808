// Recorded perception messages for the benchmarks: one message per line of a fixture file.
#pragma once
#include <fstream>
#include <string>
#include <vector>

inline std::vector<std::string> LoadSession(const std::string& file) {
    std::ifstream in(std::string(CORVANE_FIXTURES_DIR) + "/" + file);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) lines.push_back(line);
    return lines;
}
