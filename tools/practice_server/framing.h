// The league's framing on the practice pitch: 4-byte big-endian length, then the text.
// Frames from agents are checked before anything reads them. No globals.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace practice {

// Larger frames from an agent are refused; the agent's own effector messages stay far below.
constexpr size_t kMaxAgentFrameBytes = 8192;

enum class FrameResult { Incomplete, Ready, Oversized };

// Takes the first whole frame out of `buffer` into `payload`. The real server's monitor
// stream carries the whole scene in one frame, so its readers pass a larger limit.
FrameResult TakeFrame(std::string& buffer, std::string& payload, size_t maxBytes = kMaxAgentFrameBytes);

// Text without control bytes, with balanced parentheses: what every agent message is.
bool WellFormed(std::string_view payload);

// True when the numbers of an agent message spell nan or inf (a say text is left out).
bool HasNonFiniteNumber(const std::string& message);

// Writes the whole frame to a socket, riding out partial writes; false when the peer is gone
// or stops reading for longer than timeoutMs.
bool SendFrame(int fd, std::string_view payload, int timeoutMs = 5000);

}  // namespace practice
