// Client for the external debug visualiser: shapes and labels as UDP datagrams.
// Global: `Tester` (defined in corvane.cpp); reads and writes only its own socket.
#pragma once
#include <netdb.h>
#include <string>

class TestModule {
public:
    TestModule() = default;  // no socket until Connection(): the global costs nothing
    ~TestModule();
    TestModule(const TestModule&) = delete;
    TestModule& operator=(const TestModule&) = delete;

    // Opens the socket to mHost:mPort; the socket on success, the resolver's
    // error code when the address does not resolve, -1 when no socket opens.
    int Connection();

    void swapBuffers(const std::string& setName);
    void drawLine(float x1, float y1, float z1, float x2, float y2, float z2,
                  float thickness, float r, float g, float b, const std::string& setName);
    // Radius and thickness are sent as given.
    void drawCircle(float x, float y, float radius, float thickness,
                    float r, float g, float b, const std::string& setName);
    void drawSphere(float x, float y, float z, float radius,
                    float r, float g, float b, const std::string& setName);
    void drawPoint(float x, float y, float z, float size,
                   float r, float g, float b, const std::string& setName);
    // v holds numVerts x, y, z triples; nothing is sent unless 0 <= numVerts <= 255.
    void drawPolygon(const float* v, int numVerts, float r, float g, float b, float a,
                     const std::string& setName);
    void drawAnnotation(const std::string& text, float x, float y, float z,
                        float r, float g, float b, const std::string& setName);
    // An empty text removes the robot's label.
    void drawAgentAnnotation(const std::string& text, bool leftTeam, int agentNum,
                             float r, float g, float b);

    std::string mHost = "127.0.0.1";
    std::string mPort = "32769";
    int sockfd = -1;
    addrinfo* p = nullptr;  // the chosen destination, inside mResolved

private:
    void Send(const std::string& datagram) const;
    void Release();

    addrinfo* mResolved = nullptr;
};
