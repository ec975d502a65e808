// Builds each visualiser datagram byte by byte and sends it to the destination
// chosen by Connection(). Global: `Tester` is one instance; no other state is touched.
#include "debugdraw/tester.h"

#include <cstdio>
#include <cstring>
#include <iostream>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kNumberWidth = 6;
constexpr int kMaxPolygonVerts = 255;

// One datagram, filled in the order of its layout.
class Datagram {
public:
    explicit Datagram(size_t length) { mBytes.reserve(length); }

    Datagram& Byte(unsigned char c) {
        mBytes.push_back(static_cast<char>(c));
        return *this;
    }

    // The first six characters of "%6f". The largest float prints as 47
    // characters, so the scratch buffer holds every value, inf and nan
    // included; the width guarantees at least six characters.
    Datagram& Number(float value) {
        char text[64];
        std::snprintf(text, sizeof(text), "%6f", static_cast<double>(value));
        mBytes.append(text, kNumberWidth);
        return *this;
    }

    // A component outside [0, 1] (or nan) would wrap or be undefined as a byte.
    Datagram& Colour(float c) {
        if (!(c > 0.0f)) return Byte(0);
        if (c >= 1.0f) return Byte(255);
        return Byte(static_cast<unsigned char>(c * 255));
    }

    Datagram& Colour(float r, float g, float b) { return Colour(r).Colour(g).Colour(b); }

    Datagram& Point(float x, float y, float z) { return Number(x).Number(y).Number(z); }

    Datagram& Text(const std::string& text) {
        mBytes.append(text);
        return Byte(0);
    }

    const std::string& Bytes() const { return mBytes; }

private:
    std::string mBytes;
};

unsigned char AgentByte(bool leftTeam, int agentNum) {
    return static_cast<unsigned char>(leftTeam ? agentNum - 1 : agentNum + 127);
}

}  // namespace

TestModule::~TestModule() { Release(); }

void TestModule::Release() {
    if (sockfd >= 0) close(sockfd);
    if (mResolved != nullptr) freeaddrinfo(mResolved);
    sockfd = -1;
    p = nullptr;
    mResolved = nullptr;
}

int TestModule::Connection() {
    Release();
    addrinfo hints;
    std::memset(&hints, 0, sizeof(hints));
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_DGRAM;
    const int rv = getaddrinfo(mHost.c_str(), mPort.c_str(), &hints, &mResolved);
    if (rv != 0) {
        mResolved = nullptr;
        return rv;
    }
    for (addrinfo* ai = mResolved; ai != nullptr; ai = ai->ai_next) {
        const int fd = socket(ai->ai_family, ai->ai_socktype, ai->ai_protocol);
        if (fd == -1) {
            std::cout << "Error !Socket!!" << std::endl;
            continue;
        }
        sockfd = fd;
        p = ai;
        return sockfd;
    }
    std::cout << "failed to bind socket" << std::endl;
    return -1;
}

void TestModule::Send(const std::string& datagram) const {
    if (sockfd < 0 || p == nullptr) return;
    // A lost debug datagram is harmless; the result is deliberately not checked.
    (void)sendto(sockfd, datagram.data(), datagram.size(), 0, p->ai_addr, p->ai_addrlen);
}

void TestModule::swapBuffers(const std::string& setName) {
    Send(Datagram(3 + setName.size()).Byte(0).Byte(0).Text(setName).Bytes());
}

void TestModule::drawLine(float x1, float y1, float z1, float x2, float y2, float z2,
                          float thickness, float r, float g, float b,
                          const std::string& setName) {
    Datagram d(48 + setName.size());
    d.Byte(1).Byte(1).Point(x1, y1, z1).Point(x2, y2, z2).Number(thickness);
    Send(d.Colour(r, g, b).Text(setName).Bytes());
}

void TestModule::drawCircle(float x, float y, float radius, float thickness,
                            float r, float g, float b, const std::string& setName) {
    Datagram d(30 + setName.size());
    d.Byte(1).Byte(0).Number(x).Number(y).Number(radius).Number(thickness);
    Send(d.Colour(r, g, b).Text(setName).Bytes());
}

void TestModule::drawSphere(float x, float y, float z, float radius,
                            float r, float g, float b, const std::string& setName) {
    Datagram d(30 + setName.size());
    d.Byte(1).Byte(3).Point(x, y, z).Number(radius);
    Send(d.Colour(r, g, b).Text(setName).Bytes());
}

void TestModule::drawPoint(float x, float y, float z, float size,
                           float r, float g, float b, const std::string& setName) {
    Datagram d(30 + setName.size());
    d.Byte(1).Byte(2).Point(x, y, z).Number(size);
    Send(d.Colour(r, g, b).Text(setName).Bytes());
}

void TestModule::drawPolygon(const float* v, int numVerts, float r, float g, float b,
                             float a, const std::string& setName) {
    // The count travels in one byte and the vertices are read from v: refuse
    // what cannot be sent faithfully or read safely.
    if (numVerts < 0 || numVerts > kMaxPolygonVerts) return;
    if (v == nullptr && numVerts > 0) return;
    Datagram d(8 + 18 * static_cast<size_t>(numVerts) + setName.size());
    d.Byte(1).Byte(4).Byte(static_cast<unsigned char>(numVerts)).Colour(r, g, b).Colour(a);
    for (int i = 0; i < numVerts; ++i) d.Point(v[3 * i], v[3 * i + 1], v[3 * i + 2]);
    Send(d.Text(setName).Bytes());
}

void TestModule::drawAnnotation(const std::string& text, float x, float y, float z,
                                float r, float g, float b, const std::string& setName) {
    Datagram d(25 + text.size() + setName.size());
    d.Byte(2).Byte(0).Point(x, y, z).Colour(r, g, b);
    Send(d.Text(text).Text(setName).Bytes());
}

void TestModule::drawAgentAnnotation(const std::string& text, bool leftTeam, int agentNum,
                                     float r, float g, float b) {
    const unsigned char agent = AgentByte(leftTeam, agentNum);
    if (text.empty()) {
        Send(Datagram(3).Byte(2).Byte(2).Byte(agent).Bytes());
        return;
    }
    Datagram d(7 + text.size());
    Send(d.Byte(2).Byte(1).Byte(agent).Colour(r, g, b).Text(text).Bytes());
}
