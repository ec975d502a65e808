// Length-prefixed frames over loopback sockets for the practice pitch.
#include "practice_server/framing.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <poll.h>
#include <sys/socket.h>

namespace practice {

FrameResult TakeFrame(std::string& buffer, std::string& payload, size_t maxBytes) {
    if (buffer.size() < 4) return FrameResult::Incomplete;
    const auto* b = reinterpret_cast<const unsigned char*>(buffer.data());
    const uint32_t len = (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | b[3];
    if (len > maxBytes) return FrameResult::Oversized;
    if (buffer.size() < 4 + size_t(len)) return FrameResult::Incomplete;
    payload.assign(buffer, 4, len);
    buffer.erase(0, 4 + size_t(len));
    return FrameResult::Ready;
}

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

bool SendFrame(int fd, std::string_view payload, int timeoutMs) {
    const uint32_t len = static_cast<uint32_t>(payload.size());
    std::string frame;
    frame.reserve(payload.size() + 4);
    for (int shift = 24; shift >= 0; shift -= 8) frame.push_back(static_cast<char>((len >> shift) & 0xff));
    frame.append(payload);
    size_t sent = 0;
    while (sent < frame.size()) {
        const ssize_t n = send(fd, frame.data() + sent, frame.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            sent += size_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd p{fd, POLLOUT, 0};
            if (poll(&p, 1, timeoutMs) <= 0) return false;
            continue;
        }
        return false;
    }
    return true;
}

}  // namespace practice
