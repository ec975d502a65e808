// Build-variant switch: true in agent_alt, false in agent. Each program links one
// definition (runtime/variant.cpp compiled with or without CORVANE_ALT); read-only.
#pragma once

extern const bool gAltBuild;
