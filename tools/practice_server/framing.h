// Checks on the frames agents send the practice pitch (and the harness's relay), made before
// anything reads them. The frame itself is runtime/framing.h. No globals.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "runtime/framing.h"

namespace practice {

// Larger frames from an agent are refused; the agent's own effector messages stay far below.
constexpr size_t kMaxAgentFrameBytes = 8192;

// Text without control bytes, with balanced parentheses: what every agent message is.
bool WellFormed(std::string_view payload);

// True when the numbers of an agent message spell nan or inf (a say text is left out).
bool HasNonFiniteNumber(const std::string& message);

}  // namespace practice
