// Encoding and decoding of the length prefix, written out byte by byte so that no host
// byte order can leak onto the wire. No globals.
#include "runtime/framing.h"

uint32_t FrameLength(const char* prefix) {
    const auto* b = reinterpret_cast<const unsigned char*>(prefix);
    return (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | uint32_t(b[3]);
}

void AssignFrame(std::string& frame, std::string_view payload) {
    const auto length = static_cast<uint32_t>(payload.size());
    frame.clear();
    for (int shift = 24; shift >= 0; shift -= 8) frame.push_back(static_cast<char>((length >> shift) & 0xff));
    frame.append(payload);
}

std::string Frame(std::string_view payload) {
    std::string frame;
    frame.reserve(kFramePrefixBytes + payload.size());
    AssignFrame(frame, payload);
    return frame;
}

FrameResult TakeFrame(std::string& buffer, std::string& payload, size_t maxBytes) {
    if (buffer.size() < kFramePrefixBytes) return FrameResult::Incomplete;
    const uint32_t length = FrameLength(buffer.data());
    if (length > maxBytes) return FrameResult::Oversized;
    if (buffer.size() < kFramePrefixBytes + size_t(length)) return FrameResult::Incomplete;
    payload.assign(buffer, kFramePrefixBytes, length);
    buffer.erase(0, kFramePrefixBytes + size_t(length));
    return FrameResult::Ready;
}
