// Command line and main loop of practice_server.
#include "practice_server/program.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <iostream>

namespace practice {

namespace {

volatile std::sig_atomic_t gStop = 0;
void OnInterrupt(int) { gStop = 1; }

bool ToDouble(const std::string& text, double& out) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    out = std::strtod(text.c_str(), &end);
    return errno == 0 && *end == '\0' && out == out && out - out == 0;
}

bool ToInt(const std::string& text, long lo, long hi, int& out) {
    double d = 0;
    if (!ToDouble(text, d) || d != static_cast<long>(d) || d < lo || d > hi) return false;
    out = static_cast<int>(d);
    return true;
}

// "left:3:back:12.5": side, uniform number, onto back or front, game time.
bool ParsePush(const std::string& text, ScriptedPush& push) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t colon; (colon = text.find(':', start)) != std::string::npos; start = colon + 1)
        parts.push_back(text.substr(start, colon - start));
    parts.push_back(text.substr(start));
    if (parts.size() != 4 || (parts[0] != "left" && parts[0] != "right") ||
        (parts[2] != "back" && parts[2] != "front"))
        return false;
    push.side = parts[0] == "left" ? Side::Left : Side::Right;
    push.ontoBack = parts[2] == "back";
    return ToInt(parts[1], 1, 11, push.unum) && ToDouble(parts[3], push.atGameTimeSec) && push.atGameTimeSec >= 0;
}

// One option; `value` is the text after '=' or the next argument.
bool Apply(const std::string& key, const std::string& value, CommandLine& c) {
    Options& o = c.options;
    if (key == "--port") return ToInt(value, 0, 65535, o.port);
    if (key == "--seed") {
        int seed = 0;
        if (!ToInt(value, 0, 2147483647L, seed)) return false;
        o.seed = uint64_t(seed);
        return true;
    }
    if (key == "--kickoff-at") return ToDouble(value, o.kickOffAtSec) && o.kickOffAtSec >= 0;
    if (key == "--game-length") return ToDouble(value, o.gameLengthSec) && o.gameLengthSec > 0;
    if (key == "--timeout") return ToDouble(value, o.cycleTimeoutSec) && o.cycleTimeoutSec > 0;
    if (key == "--hostile-hear") return ToDouble(value, o.hostileHearPeriodSec) && o.hostileHearPeriodSec >= 0;
    if (key == "--agents") return ToInt(value, 0, 22, c.waitForAgents);
    if (key == "--wait") return ToDouble(value, c.waitTimeoutSec) && c.waitTimeoutSec >= 0;
    if (key == "--trace") return !(o.tracePath = value).empty();
    if (key == "--svg") return !(o.svgPath = value).empty();
    if (key == "--push") {
        ScriptedPush push;
        if (!ParsePush(value, push)) return false;
        c.pushes.push_back(push);
        return true;
    }
    return false;
}

bool IsFlag(const std::string& key, CommandLine& c) {
    if (key == "--help") return c.help = true;
    if (key == "--realtime") return c.options.realtime = true;
    if (key == "--noise") return c.options.visionNoise = true;
    if (key == "--kickoff-right") return c.options.kickOffRight = true;
    return false;
}

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& args, CommandLine& out, std::string& error) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (IsFlag(arg, out)) continue;
        const size_t eq = arg.find('=');
        const std::string key = arg.substr(0, eq);
        std::string value;
        if (eq != std::string::npos) {
            value = arg.substr(eq + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            error = "missing value for " + arg;
            return false;
        }
        if (!Apply(key, value, out)) {
            error = "bad option " + key + " " + value;
            return false;
        }
    }
    return true;
}

void PrintUsage() {
    std::cout <<
        "practice_server: a practice pitch for the team's players, on loopback.\n"
        "It models what behaviour logic needs, not physics: kinematic robots moved by leg\n"
        "odometry from the joint speeds they send, a ball rolling with friction and pushed\n"
        "by feet and bodies, vision every third cycle, hearing, and a referee. Robots do\n"
        "not fall by themselves (use --push), do not collide with each other, and the ball\n"
        "never leaves the ground.\n"
        "\n"
        "Options (--key=value or --key value):\n"
        " --help               prints this text\n"
        " --port=N             port on 127.0.0.1 (default 3100; 0: any free port)\n"
        " --seed=N             seed of the vision noise and the hostile hear texts (default 1)\n"
        " --agents=N           start once N agents have connected (default 1)\n"
        " --wait=SEC           ... or after SEC seconds with those connected (default 60)\n"
        " --kickoff-at=SEC     simulated time spent in BeforeKickOff (default 3)\n"
        " --kickoff-right      the right team kicks off first\n"
        " --game-length=SEC    game time until GameOver (default 600)\n"
        " --timeout=SEC        wall-clock wait per cycle for every answer (default 5)\n"
        " --realtime           pace the cycles at 50 Hz instead of lock-step speed\n"
        " --noise              seeded noise on every sighting\n"
        " --push=SIDE:N:back|front:SEC  knock robot N of the left|right team down at game time SEC\n"
        " --hostile-hear=SEC   inject a hostile hear text that often\n"
        " --trace=FILE         every robot's and the ball's pose each cycle, CSV\n"
        " --svg=FILE           a picture of the match: paths, goals and pushes\n";
    std::cout.flush();
}

int ProgramMain(int argc, char** argv) {
    CommandLine c;
    std::string error;
    if (!ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc), c, error)) {
        std::cerr << "practice_server: " << error << " (see --help)" << std::endl;
        return 2;
    }
    if (c.help) {
        PrintUsage();
        return 0;
    }
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
    Match match(c.options);
    if (!match.Listen()) {
        std::cerr << "practice_server: cannot listen on port " << c.options.port << std::endl;
        return 1;
    }
    std::cout << "practice_server listening on 127.0.0.1:" << match.Port() << std::endl;
    for (const ScriptedPush& p : c.pushes) match.Push(p.side, p.unum, p.ontoBack, p.atGameTimeSec);
    if (c.waitForAgents > 0) match.WaitForAgents(c.waitForAgents, c.waitTimeoutSec);
    while (!gStop && match.Step()) {
    }
    match.Close();
    for (const std::string& line : match.SummaryLines()) std::cout << line << std::endl;
    return 0;
}

}  // namespace practice
