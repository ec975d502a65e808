// The TCP link to the simulation server: 4-byte big-endian length-prefixed frames both ways.
// Global: `connection` (defined in corvane.cpp); used by the cycle loop and the beam command.
#pragma once
#include <netinet/in.h>
#include <string>

class Connection {
public:
    static constexpr int kBufferSize = 16384;

    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool Connect();
    bool SendMsg(const std::string& msg);
    bool ReceiveMsg();
    bool ReceiveMsg(std::string& sMsg);
    char* GetMsg() { return mBuffer + 4; }
    bool SelectInput();

    void SetHostIP(const std::string& HostIP) { sHostIP = HostIP; }
    const std::string& GetHostIP() const { return sHostIP; }
    void SetHostPort(int HostPort) { iPlayerPort = HostPort; }
    int GetHostPort() const { return iPlayerPort; }
    void CloseConnection();

    char mBuffer[kBufferSize];  // prefix, payload, terminating zero
    int socket_fd = -1;
    sockaddr_in server_addr;
    std::string sHostIP = "127.0.0.1";
    int iPlayerPort = 3100;

private:
    bool ReadFully(char* dst, size_t n, const char* failText);
    std::string mSendFrame;  // reused so that a send does not allocate every cycle
};
