// What an agent message must look like before the practice pitch reads it.
#include "practice_server/framing.h"

#include <algorithm>
#include <cctype>

namespace practice {

bool WellFormed(std::string_view payload) {
    int depth = 0;
    for (const char ch : payload) {
        // Control bytes other than white space have no place in a message; bytes above
        // ASCII are left for the say check, which drops such texts.
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') return false;
        if (c == 0x7f) return false;
        if (c == '(') ++depth;
        if (c == ')' && --depth < 0) return false;
    }
    return depth == 0;
}

// Numbers only: a say text is free bytes and may spell "NaN" or "inf" by chance (the
// keeper's payload does), so its clause is left out of the check.
bool HasNonFiniteNumber(const std::string& s) {
    std::string lower(s);
    const size_t say = lower.find("(say ");
    if (say != std::string::npos) {
        const size_t end = lower.find(')', say);
        lower.erase(say, end == std::string::npos ? std::string::npos : end + 1 - say);
    }
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    return lower.find("nan") != std::string::npos || lower.find("inf") != std::string::npos;
}

}  // namespace practice
