// Process entry point of agent and agent_alt; all behaviour lives in the library.
#include "runtime/corvane.h"

int main(int argc, char** argv) { return AgentMain(argc, argv); }
