// The port argument the stand-in servers hand to the agent programs they start.
#include "support/agent_process.h"

namespace standin {

std::vector<std::string> WithPort(int port, std::vector<std::string> args) {
    args.insert(args.begin(), "--port=" + std::to_string(port));
    return args;
}

}  // namespace standin
