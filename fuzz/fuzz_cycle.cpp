// libFuzzer entry for agent: whole cycles through the decision layer (see cycle_target.h).
#include "cycle_target.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return fuzzcycle::RunInput(data, size);
}
