// Entry point logic: options, connecting, and the one cycle the server drives every 20 ms.
// Defines all singletons in their fixed construction order; writes m_bInit and the loop flag.
#include "runtime/corvane.h"

#include <cmath>
#include <csignal>
#include <climits>
#include <cstdlib>
#include <iostream>
#include <string>

#include "behaviour/decision.h"
#include "behaviour/skill.h"
#include "debugdraw/tester.h"
#include "motion/3dlip.h"
#include "motion/acthandle.h"
#include "motion/motionlog.h"
#include "motion/nao.h"
#include "perception/msgparse.h"
#include "runtime/connection.h"
#include "worldmodel/worldmodel.h"

// Construction order matters: later objects may read earlier ones while constructing.
WorldModel wm;
MsgParse SenseParse;
Connection connection;
ActHandle ACT;
Decision decision;
Skill skill;
LIP Lip;
Nao gNao;
Timer timer;
TestModule Tester;

bool m_bInit = false;

namespace {

volatile std::sig_atomic_t gLoop = 1;

// The option text after its key and separator, or false when nothing follows.
bool OptionValue(const std::string& arg, size_t keyLen, std::string& value) {
    if (arg.size() <= keyLen + 1) return false;
    value = arg.substr(keyLen + 1);
    return true;
}

// Option numbers go through the parser's conversion; a value that is not finite or
// does not fit an int would be undefined to convert, so it changes nothing.
bool OptionInt(const std::string& text, int& result) {
    const double v = MsgParse::StringToFloat(text);
    if (!(v > static_cast<double>(INT_MIN) - 1.0 && v < static_cast<double>(INT_MAX) + 1.0)) return false;
    result = static_cast<int>(v);
    return true;
}

void ApplyOption(const std::string& arg) {
    std::string value;
    int number = 0;
    if (arg == "--help") {
        PrintHelp();
        std::exit(0);
    } else if (arg.compare(0, 6, "--host") == 0) {
        if (OptionValue(arg, 6, value)) connection.SetHostIP(value);
    } else if (arg.compare(0, 6, "--port") == 0) {
        if (OptionValue(arg, 6, value) && OptionInt(value, number)) connection.SetHostPort(number);
    } else if (arg.compare(0, 10, "--teamname") == 0) {
        if (OptionValue(arg, 10, value)) {
            wm.m_sTeamName = value;
            SenseParse.m_sTeamName = value;
        }
    } else if (arg.compare(0, 6, "--unum") == 0) {
        if (OptionValue(arg, 6, value) && OptionInt(value, number)) wm.m_iCmdUnum = number;
    } else if (arg.compare(0, 17, "--penaltyattacker") == 0) {
        decision.bPenaltyAttacker = true;
    } else if (arg.compare(0, 15, "--penaltykeeper") == 0) {
        decision.bPenaltyKeeper = true;
    } else if (arg == "--motionlog") {
        motionlog::Enable();  // developer trace on standard error, not in the help text
    }
}

int RobotTypeFor(int unum) {
    if (unum == 3 || unum == 4) return 1;
    if (unum == 1 || unum == 2) return 2;
    return 0;
}

}  // namespace

void handler(int sig) {
    if (sig == SIGINT) gLoop = 0;
}

void ReadOptions(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) ApplyOption(argv[i]);
}

void PrintHelp() {
    std::cout << "\n"
              << "Options:\n"
              << " --help      prints this message.\n"
              << " --host=IP   set IP of the server, default: 127.0.0.1\n"
              << " --port=XXX  set the port to connect, default: 3100\n"
              << " --teamname=XXX  set the teamname, default: Corvane3D\n"
              << " --unum=1~11     set the num of player, default: 1\n"
              << " --penaltyattacker   switch to the penalty attacker mode\n"
              << " --penaltykeeper   switch to the penalty keeper mode\n"
              << "\n";
    std::cout.flush();
}

bool Create() {
    const std::string scene = "(syn) (scene rsg/agent/nao/nao_hetero.rsg " +
                              std::to_string(RobotTypeFor(wm.m_iCmdUnum)) + ") (syn)";
    std::cout << "connecting to TCP " << connection.GetHostIP() << ":" << connection.GetHostPort()
              << std::endl;
    if (!connection.Connect()) {
        std::cout << "connecting refused " << std::endl;
        return false;
    }
    return connection.SendMsg(scene);
}

bool Init() {
    const std::string init = "(init (unum " + std::to_string(wm.m_iCmdUnum) + ")(teamname " +
                             wm.m_sTeamName + "))";
    const bool sent = connection.SendMsg(init);
    if (sent) m_bInit = true;
    return sent;
}

bool RunCycle(void (*decide)()) {
    // Kept across cycles so that receiving does not allocate once the text has grown.
    static std::string message;
    if (!connection.ReceiveMsg(message)) return false;
    SenseParse.Parse(message);
    wm.UpdateAll();
    ACT.ClearControl();
    timer.Update(1);
    if (!m_bInit) Init();
    decide();
    motionlog::Cycle();
    connection.SendMsg(ACT.MakeCommand());
    return true;
}

bool Run() {
    return RunCycle([] { decision.Do(); });
}

bool KeepCycling() { return gLoop != 0; }

int AgentMain(int argc, char** argv) {
    ReadOptions(argc, argv);
    std::signal(SIGINT, handler);
    if (!Create()) return 1;
    std::cout << "Start Playing...." << std::endl;
    while (KeepCycling() && Run()) {
    }
    return 0;
}

void ResetAgentState() {
    wm = WorldModel();
    SenseParse = MsgParse();
    ACT = ActHandle();
    decision = Decision();
    skill = Skill();
    Lip = LIP();
    gNao = Nao();
    timer = Timer();
    m_bInit = false;
}
