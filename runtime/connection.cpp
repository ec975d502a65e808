// Framing over the server stream. Reads and writes `connection`'s own socket only;
// diagnostics go to standard output.
#include "runtime/connection.h"

#include "runtime/framing.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <iostream>
#include <sys/select.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

Connection::Connection() {
    std::memset(mBuffer, 0, sizeof(mBuffer));
    std::memset(&server_addr, 0, sizeof(server_addr));
}

Connection::~Connection() { CloseConnection(); }

void Connection::CloseConnection() {
    if (socket_fd >= 0) {
        close(socket_fd);
        socket_fd = -1;
    }
}

bool Connection::Connect() {
    CloseConnection();
    socket_fd = socket(AF_INET, SOCK_STREAM, 0);
    if (socket_fd < 0) {
        std::cout << "socket(): socket failed()" << std::endl;
        return false;
    }
    std::memset(&server_addr, 0, sizeof(server_addr));
    server_addr.sin_family = AF_INET;
    server_addr.sin_port = htons(static_cast<uint16_t>(iPlayerPort & 0xFFFF));
    // Only dotted-decimal text is an address; anything else must not fall back to 0.0.0.0.
    const bool addressOk = inet_pton(AF_INET, sHostIP.c_str(), &server_addr.sin_addr) == 1;
    if (!addressOk ||
        connect(socket_fd, reinterpret_cast<sockaddr*>(&server_addr), sizeof(server_addr)) != 0) {
        std::cout << "connection failed" << std::endl;
        CloseConnection();
        return false;
    }
    return true;
}

bool Connection::SendMsg(const std::string& msg) {
    AssignFrame(mSendFrame, msg);
    size_t sent = 0;
    while (sent < mSendFrame.size()) {
        // MSG_NOSIGNAL: a server that has gone away must not kill the agent by SIGPIPE.
        const ssize_t n = socket_fd < 0 ? -1
            : send(socket_fd, mSendFrame.data() + sent, mSendFrame.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            std::cout << "sendMessage failed" << std::endl;
            return false;
        }
        sent += static_cast<size_t>(n);
    }
    return true;
}

bool Connection::SelectInput() {
    timeval timeout{10, 0};
    while (true) {
        fd_set readfds;
        FD_ZERO(&readfds);
        if (socket_fd < 0 || socket_fd >= FD_SETSIZE) {
            errno = EBADF;
            std::cout << "(SelectInput) select failed " << std::strerror(errno) << std::endl;
            return false;
        }
        FD_SET(socket_fd, &readfds);
        // Linux select leaves the remaining time in `timeout`, so a retry after a
        // signal waits only for what is left of the ten seconds.
        const int ready = select(socket_fd + 1, &readfds, nullptr, nullptr, &timeout);
        if (ready > 0) return true;
        if (ready < 0 && errno == EINTR) continue;
        std::cout << "(SelectInput) select failed " << std::strerror(errno) << std::endl;
        return false;
    }
}

bool Connection::ReadFully(char* dst, size_t n, const char* failText) {
    size_t got = 0;
    while (got < n) {
        if (!SelectInput()) return false;
        const ssize_t r = read(socket_fd, dst + got, n - got);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) {
            std::cout << failText << std::endl;
            return false;
        }
        got += static_cast<size_t>(r);
    }
    return true;
}

bool Connection::ReceiveMsg() {
    std::memset(mBuffer, 0, sizeof(mBuffer));
    if (!ReadFully(mBuffer, kFramePrefixBytes, " ReadCError! ")) return false;
    const uint32_t length = FrameLength(mBuffer);
    // Compared without adding to the length, so no prefix can wrap past the check.
    if (length > static_cast<uint32_t>(kBufferSize - 5)) {
        std::cout << "too long message; aborting" << std::endl;
        return false;
    }
    if (!ReadFully(mBuffer + kFramePrefixBytes, length, " ReadError! ")) return false;
    mBuffer[kFramePrefixBytes + length] = '\0';
    return true;
}

bool Connection::ReceiveMsg(std::string& sMsg) {
    if (!ReceiveMsg()) return false;
    sMsg.assign(GetMsg());  // up to the first zero byte
    return true;
}
