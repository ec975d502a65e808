// Plain POSIX sockets on 127.0.0.1. MSG_NOSIGNAL on every send: a peer that has gone away
// must end a write with false, not the process with SIGPIPE.
#include "simkit/loopback.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "runtime/framing.h"

namespace simkit {

namespace {

sockaddr_in LoopbackAddress(int port) {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return addr;
}

// Binds to 127.0.0.1:port and reads back the port bound; -1 on failure.
int BindLoopback(int fd, int port) {
    sockaddr_in addr = LoopbackAddress(port);
    socklen_t len = sizeof addr;
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
        return -1;
    return ntohs(addr.sin_port);
}

}  // namespace

Listener ListenLoopback(int port, int backlog, bool nonBlocking, bool reuseAddress) {
    Listener l;
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return l;
    const int one = 1;
    if (reuseAddress) setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    const int bound = BindLoopback(fd, port);
    if (bound < 0 || listen(fd, backlog) != 0) {
        close(fd);
        return l;
    }
    if (nonBlocking) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    l.fd = fd;
    l.port = bound;
    return l;
}

int ConnectLoopback(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    const sockaddr_in addr = LoopbackAddress(port);
    if (connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0) return fd;
    close(fd);
    return -1;
}

int FreePort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return 0;
    const int port = BindLoopback(fd, 0);
    close(fd);
    return port < 0 ? 0 : port;
}

bool SendAll(int fd, std::string_view bytes, int timeoutMs) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
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

bool SendFrame(int fd, std::string_view payload, int timeoutMs) { return SendAll(fd, Frame(payload), timeoutMs); }

bool ReadFully(int fd, char* dst, size_t n, int timeoutMs, bool* ended) {
    size_t got = 0;
    while (got < n) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, timeoutMs) <= 0) return false;
        const ssize_t r = recv(fd, dst + got, n - got, 0);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) {
            if (ended) *ended = true;
            return false;
        }
        got += size_t(r);
    }
    return true;
}

bool ReceiveFrame(int fd, std::string& payload, int timeoutMs, bool* ended) {
    char prefix[kFramePrefixBytes];
    if (!ReadFully(fd, prefix, sizeof prefix, timeoutMs, ended)) return false;
    payload.assign(FrameLength(prefix), '\0');
    return ReadFully(fd, payload.data(), payload.size(), timeoutMs, ended);
}

}  // namespace simkit
