// Defines the build-variant switch; compiled once per program (CORVANE_ALT for agent_alt).
#include "runtime/variant.h"

#ifdef CORVANE_ALT
const bool gAltBuild = true;
#else
const bool gAltBuild = false;
#endif
