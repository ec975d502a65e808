// Test-only names for the process runner the harness shares (tools/rcss/process.h), and the
// agent built with this tree pointed at a stand-in server's port.
#pragma once
#include <string>
#include <vector>

#include "rcss/process.h"

namespace standin {

using rcss::AgentProcess;

// "--port=<port>" added in front of args.
std::vector<std::string> WithPort(int port, std::vector<std::string> args);

}  // namespace standin
