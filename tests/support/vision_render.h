// The vision renderer lives with the practice pitch's simulation pieces; tests that
// render sightings keep including it from here.
#pragma once
#include "simkit/vision_render.h"
