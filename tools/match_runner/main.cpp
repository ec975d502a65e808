// Entry point of match_runner.
#include "match_runner/runner.h"

int main(int argc, char** argv) { return runner::Main(argc, argv); }
