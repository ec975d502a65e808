// libFuzzer entry: arbitrary bytes as one perception message, parsed by one long-lived
// parser so that state carried between messages is exercised too. No globals.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "perception/msgparse.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static MsgParse parser;
    static std::string message;
    message.assign(reinterpret_cast<const char*>(data), size);
    parser.Parse(message);
    // Whatever arrives, the records stay within their shapes.
    if (parser.m_iUnum < 0 || parser.m_iUnum > 11) std::abort();
    for (int j = 0; j < kJointCount; ++j)
        if (parser.m_HJ[j].ID != j) std::abort();
    return 0;
}
