// The league's message frame, both directions: a 4-byte big-endian payload length, then the
// text without terminator. One definition for the agent, the pitch, the harness and the tests.
// No globals.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

constexpr size_t kFramePrefixBytes = 4;

// The payload length a prefix announces; `prefix` holds kFramePrefixBytes bytes.
uint32_t FrameLength(const char* prefix);

// `frame` becomes prefix and payload; its storage is reused, so a warm caller allocates nothing.
void AssignFrame(std::string& frame, std::string_view payload);
std::string Frame(std::string_view payload);

enum class FrameResult { Incomplete, Ready, Oversized };

// Takes the first whole frame out of the bytes received so far. A frame announcing more than
// maxBytes is refused before anything waits for it.
FrameResult TakeFrame(std::string& buffer, std::string& payload, size_t maxBytes = SIZE_MAX);
