// The whole agent cycle under libFuzzer, shared by the two build variants: the first bytes
// choose play mode, uniform number, role, side and penalty flags, the rest is a run of
// perception messages (one per line) that reach the agent through its own connection.
// Globals: resets and drives every agent singleton; `connection` talks to a local socket.
#pragma once
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>

#include "behaviour/decision.h"
#include "behaviour/skill.h"
#include "motion/3dlip.h"
#include "motion/acthandle.h"
#include "motion/nao.h"
#include "perception/msgparse.h"
#include "runtime/connection.h"
#include "runtime/corvane.h"
#include "runtime/framing.h"
#include "runtime/playmode.h"
#include "worldmodel/worldmodel.h"

namespace fuzzcycle {

constexpr int kPlayModes = PM_None + 1;
constexpr int kRoles = PR_RightForward + 1;
constexpr size_t kHeaderBytes = 4;
constexpr int kMaxCycles = 12;  // enough for state machines to move, cheap enough per run

const char* const kEffector[kJointCount] = {
    "he1", "he2", "lae1", "rae1", "lae2", "rae2", "lae3", "rae3", "lae4", "rae4",
    "lle1", "rle1", "lle2", "rle2", "lle3", "rle3", "lle4", "rle4", "lle5", "rle5", "lle6", "rle6"};

struct Header {
    TPlayMode mode = PM_None;
    int unum = 1;
    PLAYER_ROLE role = PR_Goalie;
    bool left = true;
    bool penaltyAttacker = false;
    bool penaltyKeeper = false;
    bool holdMode = false;  // the chosen mode every cycle, whatever the messages say
};

inline Header ReadHeader(const uint8_t* data) {
    Header h;
    h.mode = static_cast<TPlayMode>(data[0] % kPlayModes);
    h.unum = data[1] % 11 + 1;
    h.role = static_cast<PLAYER_ROLE>(data[2] % kRoles);
    h.left = !(data[3] & 1);
    h.penaltyAttacker = data[3] & 2;
    h.penaltyKeeper = data[3] & 4;
    h.holdMode = data[3] & 8;
    return h;
}

inline Header gHeader;

inline void Require(bool ok) {
    if (!ok) std::abort();
}

// A number as the server reads it: the whole token a finite decimal, nothing spelled out.
inline void RequireNumber(const char* begin, const char* end) {
    Require(begin < end && end - begin < 32);
    for (const char* p = begin; p < end; ++p) Require(std::strchr("0123456789.-+e", *p) != nullptr);
    char text[32];
    std::memcpy(text, begin, end - begin);
    text[end - begin] = '\0';
    char* stop = nullptr;
    Require(std::isfinite(std::strtod(text, &stop)) && stop == text + (end - begin));
}

// Joint clauses in table order, each effector at most once, then at most one say clause.
inline void CheckEffectorText(const std::string& text) {
    size_t at = 0;
    int next = 0;
    while (at < text.size() && text.compare(at, 5, "(say ") != 0) {
        Require(text[at] == '(');
        const size_t blank = text.find(' ', at);
        const size_t close = text.find(')', at);
        Require(blank != std::string::npos && close != std::string::npos && blank < close);
        const std::string name = text.substr(at + 1, blank - at - 1);
        while (next < kJointCount && name != kEffector[next]) ++next;
        Require(next < kJointCount);
        ++next;
        RequireNumber(text.data() + blank + 1, text.data() + close);
        at = close + 1;
    }
    if (at < text.size()) Require(text.back() == ')' && text.size() - at == 5 + kSayPayloadLength + 1);
}

inline void CheckBeam(const std::string& text) {
    Require(text.compare(0, 6, "(beam ") == 0 && text.back() == ')');
    const char* p = text.data() + 6;
    const char* const end = text.data() + text.size() - 1;
    for (int k = 0; k < 3; ++k) {
        const char* stop = static_cast<const char*>(std::memchr(p, ' ', end - p));
        if (k == 2) stop = end;
        Require(stop != nullptr);
        RequireNumber(p, stop);
        p = stop + 1;
    }
}

// The far end of the agent's connection: what the test writes, the agent receives.
struct Wire {
    int peer = -1;
    Wire() {
        int fds[2];
        Require(socketpair(AF_UNIX, SOCK_STREAM, 0, fds) == 0);
        connection.socket_fd = fds[0];
        peer = fds[1];
        Require(fcntl(peer, F_SETFL, O_NONBLOCK) == 0);
    }
    void Send(const char* text, size_t size) {
        static std::string frame;
        AssignFrame(frame, std::string_view(text, size));
        size_t sent = 0;
        while (sent < frame.size()) {
            const ssize_t n = write(peer, frame.data() + sent, frame.size() - sent);
            Require(n > 0);
            sent += static_cast<size_t>(n);
        }
    }
    // Everything the agent sent since the last call, checked frame by frame.
    void CheckSent() {
        static std::string pending;
        char chunk[4096];
        ssize_t n;
        while ((n = read(peer, chunk, sizeof(chunk))) > 0) pending.append(chunk, n);
        Require(n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK));
        std::string frame;
        while (TakeFrame(pending, frame) == FrameResult::Ready) {
            if (frame.compare(0, 6, "(init ") == 0) continue;
            if (frame.compare(0, 6, "(beam ") == 0) CheckBeam(frame);
            else CheckEffectorText(frame);
        }
        Require(pending.size() < kFramePrefixBytes);  // the agent writes whole frames only
    }
};

inline void StartAgent(const Header& h) {
    ResetAgentState();
    SenseParse.m_sTeamName = wm.m_sTeamName = "Blue";
    decision.bPenaltyAttacker = h.penaltyAttacker;
    decision.bPenaltyKeeper = h.penaltyKeeper;
}

// The server's word for the chosen mode; PM_None stands for a word the agent does not know.
inline const char* ModeTextFor(const Header& h) {
    const char* word = WordForPlayMode(h.mode, h.left);
    return word ? word : "no_such_mode";
}

// Runs between the world-model update and the decision, as the cycle loop would.
inline void Decide() {
    if (wm.m_iCycle == 1) wm.m_PlayerRole = gHeader.role;
    if (gHeader.holdMode) {
        wm.m_sPlayMode = ModeTextFor(gHeader);
        wm.PlayState = gHeader.mode;
    }
    decision.Do();
}

inline int RunInput(const uint8_t* data, size_t size) {
    static Wire wire;
    if (size < kHeaderBytes) return 0;
    gHeader = ReadHeader(data);
    StartAgent(gHeader);
    // The first message hands out number and side the way the server does.
    const std::string start = "(time (now 0.00))(GS (unum " + std::to_string(gHeader.unum) +
                              ") (team " + (gHeader.left ? "left" : "right") +
                              ") (t 0.00) (pm " + ModeTextFor(gHeader) + "))";
    wire.Send(start.data(), start.size());
    bool running = RunCycle(Decide);
    wire.CheckSent();
    const char* p = reinterpret_cast<const char*>(data) + kHeaderBytes;
    const char* const end = reinterpret_cast<const char*>(data) + size;
    for (int cycle = 0; running && cycle < kMaxCycles && p < end; ++cycle) {
        const char* line = static_cast<const char*>(std::memchr(p, '\n', end - p));
        if (line == nullptr) line = end;
        // The agent refuses a longer message and ends; that path belongs to the connection's tests.
        wire.Send(p, std::min<size_t>(line - p, Connection::kBufferSize - 5));
        running = RunCycle(Decide);
        wire.CheckSent();
        p = line + 1;
    }
    return 0;
}

}  // namespace fuzzcycle
