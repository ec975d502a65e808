// Test-only stand-in for the simulation server: one loopback TCP listener on an
// ephemeral port, length-prefixed framing, scripted sends, and a record of every
// frame the agent sends, in order.
#pragma once
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace standin {

class Server {
public:
    Server();   // listening on 127.0.0.1, port chosen by the system
    ~Server();  // closes everything and joins the reader
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    int Port() const { return port_; }

    // Waits for the agent to connect; starts recording what it sends.
    bool Accept(int timeoutMs = 5000);

    bool SendMessage(std::string_view payload);                  // one frame, one write
    bool SendRaw(std::string_view bytes);                        // any bytes, one write
    bool SendInPieces(std::string_view bytes, size_t pieceSize,  // several writes
                      int pauseMs = 1);
    // Sends a message and waits until the agent has answered it with one more frame.
    bool Exchange(std::string_view payload, int timeoutMs = 5000);
    void CloseClient();  // closes the agent's stream (the reader sees the end)

    bool WaitForFrames(size_t n, int timeoutMs = 5000);
    bool WaitForPeerClose(int timeoutMs = 5000);  // the agent closed its side
    std::vector<std::string> Frames() const;
    size_t FrameCount() const;

private:
    void ReadLoop();

    int listenFd_ = -1;
    int clientFd_ = -1;
    int port_ = 0;
    std::thread reader_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> frames_;
    bool peerClosed_ = false;
};

}  // namespace standin
