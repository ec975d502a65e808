// Loopback TCP for the practice pitch, the real-server harness and the tests: listening on
// and connecting to 127.0.0.1, and whole writes of bytes and frames. No globals.
#pragma once
#include <string>
#include <string_view>

namespace simkit {

struct Listener {
    int fd = -1;
    int port = 0;  // the port bound, also when the system chose it
};

// Listens on 127.0.0.1:port (0: a free port the system picks); fd -1 when that fails.
// Non-blocking listeners suit a poll loop; SO_REUSEADDR lets a fixed port be reused at once.
Listener ListenLoopback(int port, int backlog, bool nonBlocking, bool reuseAddress = true);
// A connected stream to 127.0.0.1:port, or -1.
int ConnectLoopback(int port);
// A port free at the moment of asking (a server started next takes it).
int FreePort();

// Writes every byte, riding out partial writes and interrupts; false when the peer is gone or
// stops reading for longer than timeoutMs (a negative time waits without limit).
bool SendAll(int fd, std::string_view bytes, int timeoutMs = 5000);
bool SendFrame(int fd, std::string_view payload, int timeoutMs = 5000);

// Reads exactly n bytes; false when none arrive for timeoutMs or the stream ends (then *ended).
bool ReadFully(int fd, char* dst, size_t n, int timeoutMs, bool* ended = nullptr);
// The next whole frame's payload, read with ReadFully.
bool ReceiveFrame(int fd, std::string& payload, int timeoutMs, bool* ended = nullptr);

}  // namespace simkit
