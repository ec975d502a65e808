// Motion probe driver: in place of the decision layer it beams and stands before kick-off,
// then runs one motion, getting up after falls. Reads `wm`; drives `Lip`, `ACT`, `skill`.
#include "motion_probe/probe.h"

#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "behaviour/skill.h"
#include "motion/3dlip.h"
#include "motion/acthandle.h"
#include "runtime/corvane.h"
#include "worldmodel/worldmodel.h"

namespace probe {
namespace {

// One row per motion name: a walk type, or a key-frame motion that runs once.
struct MotionEntry {
    const char* name;
    ACT_TYPE walkType;           // ACT_NONE for motions that are not walks
    bool (ActHandle::*once)();   // key-frame motion run until it reports done
};

const MotionEntry kMotions[] = {
    {"walk_f", WALK_F, nullptr},
    {"walk_b", WALK_B, nullptr},
    {"walk_hl", WALK_HL, nullptr},
    {"walk_hr", WALK_HR, nullptr},
    {"walk_stay", WALK_STAY, nullptr},
    {"KickLeft", ACT_NONE, &ActHandle::KickLeft},
    {"KickRight", ACT_NONE, &ActHandle::KickRight},
    {"KickLeft_Karate", ACT_NONE, &ActHandle::KickLeft_Karate},
    {"KickRight_Karate", ACT_NONE, &ActHandle::KickRight_Karate},
    {"KickLeftFoot_NEW", ACT_NONE, &ActHandle::KickLeftFoot_NEW},
    {"KickRightFoot_NEW", ACT_NONE, &ActHandle::KickRightFoot_NEW},
    {"bigkick", ACT_NONE, &ActHandle::BigKick},
    {"getup", ACT_NONE, nullptr},
    {"headscan", ACT_NONE, nullptr},
    {"square", WALK_F, nullptr},
};

// The square: each side a forward walk of `--seconds`, each corner a left turn in place
// until self-localisation has turned this far (or the time cap has passed).
constexpr int kSquareSides = 4;
constexpr double kSquareCornerDeg = 90.0;
constexpr int kSquareTurnDeg = 30;
constexpr double kSquareCornerCapSec = 4.0;

const MotionEntry* FindMotion(const std::string& name) {
    for (const MotionEntry& m : kMotions)
        if (name == m.name) return &m;
    return nullptr;
}

bool ParseNumber(const std::string& text, double& out) {
    if (text.empty()) return false;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (*end != '\0' || !std::isfinite(v)) return false;
    out = v;
    return true;
}

bool ParseBeam(const std::string& text, Vector& out) {
    double v[3];
    size_t start = 0;
    for (int i = 0; i < 3; ++i) {
        const size_t comma = i < 2 ? text.find(',', start) : text.size();
        if (comma == std::string::npos || !ParseNumber(text.substr(start, comma - start), v[i]))
            return false;
        start = comma + 1;
    }
    out = Vector(v[0], v[1], v[2]);
    return true;
}

bool StartsWith(const std::string& s, const char* prefix, std::string& rest) {
    const std::string p(prefix);
    if (s.compare(0, p.size(), p) != 0) return false;
    rest = s.substr(p.size());
    return true;
}

bool IsBeforeKickOff() { return wm.m_sPlayMode.empty() || wm.m_sPlayMode == "BeforeKickOff"; }

}  // namespace

ParseResult ApplyOption(const std::string& arg, Options& o) {
    std::string v;
    double number = 0.0;
    if (arg == "--small") {
        o.small = true;
    } else if (arg == "--print-pose") {
        o.printPose = true;
    } else if (StartsWith(arg, "--motion=", v)) {
        if (!IsKnownMotion(v)) return ParseResult::Invalid;
        o.motion = v;
    } else if (StartsWith(arg, "--turn=", v)) {
        if (!ParseNumber(v, number) || std::fabs(number) > 180.0) return ParseResult::Invalid;
        o.turnDeg = static_cast<int>(number);
    } else if (StartsWith(arg, "--seconds=", v)) {
        if (!ParseNumber(v, number) || number <= 0.0) return ParseResult::Invalid;
        o.seconds = number;
    } else if (StartsWith(arg, "--hold=", v)) {
        if (!ParseNumber(v, number) || number < 0.0) return ParseResult::Invalid;
        o.holdSec = number;
    } else if (StartsWith(arg, "--beam=", v)) {
        if (!ParseBeam(v, o.beamPos)) return ParseResult::Invalid;
        o.beam = true;
    } else {
        return ParseResult::NotMine;
    }
    return ParseResult::Used;
}

bool IsKnownMotion(const std::string& name) { return FindMotion(name) != nullptr; }

void PrintHelp() {
    std::cout << "\nmotion_probe: runs one motion against a server and reports how it went.\n"
              << "Options:\n"
              << " --help            prints this message.\n"
              << " --host=IP         server address, default: 127.0.0.1\n"
              << " --port=XXX        server port, default: 3100\n"
              << " --teamname=XXX    team name, default: Corvane3D\n"
              << " --unum=1~11       uniform number (also picks the robot type)\n"
              << " --motion=NAME     walk_f walk_b walk_hl walk_hr walk_stay KickLeft KickRight\n"
              << "                   KickLeft_Karate KickRight_Karate KickLeftFoot_NEW\n"
              << "                   KickRightFoot_NEW bigkick getup headscan square (default walk_f)\n"
              << " --turn=DEG        turn angle of a walk, degrees (default 0)\n"
              << " --small           small steps\n"
              << " --seconds=N       walking or scanning time before stopping (default 10);\n"
              << "                   for square the time of each side, turning left 90 degrees\n"
              << "                   in place at each corner\n"
              << " --hold=N          seconds to stand on after the motion, falls counted (default 0)\n"
              << " --beam=X,Y,ROT    beam there while BeforeKickOff\n"
              << " --print-pose      a line per cycle: server time and self-localisation\n"
              << std::endl;
}

// A stop that ends mid-motion can still topple a moment later: the hold shows it.
bool Driver::Finished() const { return stage_ == Stage::Done && wm.m_dServerTime - endTime_ >= opt_.holdSec; }

bool Driver::IsWalk() const { return FindMotion(opt_.motion)->walkType != ACT_NONE; }

void Driver::CountFalls() {
    const bool fallen = wm.m_FallState != FALL_NONE;
    if (fallen && !wasFallen_) ++falls_;
    wasFallen_ = fallen;
}

void Driver::Step() {
    CountFalls();
    if (stage_ == Stage::Done) {
        Lip.Prepare(0, false);
    } else if (IsBeforeKickOff()) {
        StepBeforeKickOff();
    } else {
        if (stage_ == Stage::Waiting) StartRun();
        StepMotion();
    }
}

void Driver::StepBeforeKickOff() {
    if (opt_.beam) ACT.Beam(opt_.beamPos, 10, false);
    Lip.Prepare(0, false);
}

void Driver::StartRun() {
    stage_ = Stage::Running;
    startTime_ = wm.m_dServerTime;
    legStartSec_ = startTime_;
    startPos_ = wm.m_vSelfPos;
    startIKFailures_ = Lip.iIKFailures;
}

void Driver::Finish() {
    if (stage_ == Stage::Done) return;  // the server closed during the hold
    if (stage_ == Stage::Waiting) StartRun();
    stage_ = Stage::Done;
    endTime_ = wm.m_dServerTime;
    endPos_ = wm.m_vSelfPos;
    endIKFailures_ = Lip.iIKFailures;
}

void Driver::StepMotion() {
    const bool getup = opt_.motion == "getup";
    if (getup) {
        // The probe of the get-up waits for a fall and ends once the robot stands again.
        if (wm.m_FallState != FALL_NONE || gettingUp_) {
            if (RecoverFromFall()) Finish();
        } else {
            Lip.Prepare(0, false);
        }
        return;
    }
    if (gettingUp_ || wm.m_FallState != FALL_NONE) {
        // Carry on afterwards with a fresh walk start.
        if (RecoverFromFall() && IsWalk()) Lip.Walk(FindMotion(opt_.motion)->walkType, 0, opt_.small, true);
        return;
    }
    if (IsWalk() ? RunWalk() : RunOnce()) Finish();
}

bool Driver::RecoverFromFall() {
    gettingUp_ = !skill.Climb(false);
    return !gettingUp_;
}

bool Driver::RunWalk() {
    if (opt_.motion == "square" && stage_ == Stage::Running) {
        RunSquare();
        return false;
    }
    if (stage_ == Stage::Running && wm.m_dServerTime - startTime_ >= opt_.seconds) stage_ = Stage::Stopping;
    if (stage_ == Stage::Running) {
        skill.walk(FindMotion(opt_.motion)->walkType, static_cast<float>(opt_.turnDeg), opt_.small);
        return false;
    }
    return Lip.StopWalk(0, opt_.small);
}

void Driver::RunSquare() {
    const double elapsedSec = wm.m_dServerTime - legStartSec_;
    if (!cornering_ && elapsedSec >= opt_.seconds) {
        cornering_ = true;
        legStartSec_ = wm.m_dServerTime;
        cornerStartDeg_ = wm.m_dBodyAng;
    } else if (cornering_ && (WorldModel::NormalizeAng(wm.m_dBodyAng - cornerStartDeg_) >= kSquareCornerDeg ||
                              elapsedSec >= kSquareCornerCapSec)) {
        cornering_ = false;
        legStartSec_ = wm.m_dServerTime;
        if (++sidesDone_ == kSquareSides) stage_ = Stage::Stopping;
    }
    if (cornering_) skill.walk(WALK_STAY, static_cast<float>(kSquareTurnDeg), opt_.small);
    else skill.walk(WALK_F, 0.0f, opt_.small);
}

bool Driver::RunOnce() {
    const MotionEntry* m = FindMotion(opt_.motion);
    if (m->once != nullptr) return (ACT.*(m->once))();
    // Head scan: the legs hold the stance while the head sweeps for the given time.
    Lip.Prepare(0, false);
    ACT.TurnHead();
    return wm.m_dServerTime - startTime_ >= opt_.seconds;
}

std::string Driver::ProgressLine() const {
    char ball[64] = "none";
    if (wm.m_bCanSeeBall)
        std::snprintf(ball, sizeof(ball), "%.2f,%.2f", wm.m_vSeeBallPos.Vx, wm.m_vSeeBallPos.Vy);
    char line[256];
    std::snprintf(line, sizeof(line), "t=%.2f game=%.2f pm=%s fall=%d pos=%.2f,%.2f body=%.1f ball=%s",
                  wm.m_dServerTime, wm.m_dGameTime,
                  wm.m_sPlayMode.empty() ? "-" : wm.m_sPlayMode.c_str(),
                  static_cast<int>(wm.m_FallState), wm.m_vSelfPos.Vx, wm.m_vSelfPos.Vy,
                  wm.m_dBodyAng, ball);
    return line;
}

std::string Driver::PoseLine() {
    char line[128];
    std::snprintf(line, sizeof(line), "pose t=%.2f game=%.2f est=%.3f,%.3f,%.1f flags=%d", wm.m_dServerTime,
                  wm.m_dGameTime, wm.m_vSelfPos.Vx, wm.m_vSelfPos.Vy, wm.m_dBodyAng, wm.m_bCanSeeFlag ? 1 : 0);
    return line;
}

std::string Driver::SummaryLine() const {
    const Vector moved = endPos_ - startPos_;
    const double seconds = endTime_ - startTime_;
    const double distance = std::hypot(moved.Vx, moved.Vy);
    const double speed = seconds > 0.0 ? distance / seconds : 0.0;
    char line[256];
    std::snprintf(line, sizeof(line),
                  "SUMMARY motion=%s seconds=%.2f distance=%.3f direction=%.1f speed=%.3f falls=%d "
                  "ik_failures=%d",
                  opt_.motion.c_str(), seconds, distance, Vector(moved.Vx, moved.Vy, 0).GetXYAngle(),
                  speed, falls_, endIKFailures_ - startIKFailures_);
    return line;
}

namespace {
Driver* gDriver = nullptr;
void DriverStep() { gDriver->Step(); }
}  // namespace

int Main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--help") {
            PrintHelp();
            return 0;
        }
    }
    Options options;
    for (int i = 1; i < argc; ++i) {
        if (ApplyOption(argv[i], options) == ParseResult::Invalid) {
            std::cout << "motion_probe: bad option " << argv[i] << std::endl;
            PrintHelp();
            return 1;
        }
    }
    ReadOptions(argc, argv);  // the agent's own options: host, port, team name, number
    std::signal(SIGINT, handler);
    if (!Create()) return 1;
    Driver driver(options);
    gDriver = &driver;
    long lastSecond = -1;
    while (!driver.Finished() && KeepCycling() && RunCycle(DriverStep)) {
        if (options.printPose) std::cout << Driver::PoseLine() << '\n';
        const long second = static_cast<long>(std::floor(wm.m_dServerTime));
        if (second != lastSecond) {
            lastSecond = second;
            std::cout << driver.ProgressLine() << std::endl;
        }
    }
    if (!driver.Finished()) driver.Finish();  // the server ended the run early
    std::cout << driver.SummaryLine() << std::endl;
    gDriver = nullptr;
    return 0;
}

}  // namespace probe
