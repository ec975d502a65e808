// Entry point of the motion_probe developer tool.
#include "motion_probe/probe.h"

int main(int argc, char** argv) { return probe::Main(argc, argv); }
