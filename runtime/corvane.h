// Start-up, options and the perception-action cycle of one player process.
// Owns every process-wide singleton (declared here, defined in corvane.cpp).
#pragma once
#include "runtime/timer.h"

class WorldModel;
class MsgParse;
class Connection;
class ActHandle;
class Decision;
class Skill;
class LIP;
class Nao;
class TestModule;

extern WorldModel wm;
extern MsgParse SenseParse;
extern Connection connection;
extern ActHandle ACT;
extern Decision decision;
extern Skill skill;
extern LIP Lip;
extern Nao gNao;
extern Timer timer;
extern TestModule Tester;

extern bool m_bInit;  // the init message has been sent

void ReadOptions(int argc, char** argv);
void PrintHelp();
bool Create();
bool Init();
bool Run();
// One cycle with `decide` in place of the decision layer (developer tools drive the
// body themselves); Run() is RunCycle with decision.Do().
bool RunCycle(void (*decide)());
// Every singleton back to its state at process start (tests, benchmarks and fuzzing
// replay many agents in one process).
void ResetAgentState();
bool KeepCycling();  // false once SIGINT has arrived
void handler(int sig);
int AgentMain(int argc, char** argv);
