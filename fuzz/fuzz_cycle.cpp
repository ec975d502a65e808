// libFuzzer entry: arbitrary bytes as one perception message of a goalkeeper's whole cycle
// (parse, world model, walking engine, head control, effector message). Whatever arrives,
// the text sent back never carries "nan" or "inf". Globals: the agent's singletons.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "motion/3dlip.h"
#include "motion/acthandle.h"
#include "perception/msgparse.h"
#include "runtime/corvane.h"
#include "worldmodel/worldmodel.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static std::string message;
    message.assign(reinterpret_cast<const char*>(data), size);
    SenseParse.Parse(message);
    wm.UpdateAll();
    wm.m_iUnum = 1;  // the goalkeeper also sends its team message
    ACT.ClearControl();
    timer.Update(1);
    Lip.Walk(WALK_F, 20, false, false);
    ACT.TurnHead();
    const std::string& sent = ACT.MakeCommand();
    if (sent.find("nan") != std::string::npos || sent.find("inf") != std::string::npos) std::abort();
    return 0;
}
