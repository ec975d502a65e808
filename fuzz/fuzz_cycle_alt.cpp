// libFuzzer entry for agent_alt: the same whole cycles with the alt rules linked in.
#include "cycle_target.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return fuzzcycle::RunInput(data, size);
}
