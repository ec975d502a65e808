// Entry point of the practice_server developer tool.
#include "practice_server/program.h"

int main(int argc, char** argv) { return practice::ProgramMain(argc, argv); }
