// Simulated joints for the practice pitch and the closed-loop tests.
// Reads `ACT.HJControl` (effector names) only.
#include "simkit/joints.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "geometry/geo.h"
#include "geometry/geometry.h"
#include "motion/acthandle.h"
#include "runtime/corvane.h"

namespace simkit {

void SimulatedJoints::Apply(const std::string& command) {
    ReadClauses(command);
    constexpr double kRadToDeg = 1.0 / salt::kDegToRad;
    for (int j = 0; j < kJointCount; ++j) {
        angleDeg_[j] += Capped(moving_[j]) * kCycleSec * kRadToDeg;
        moving_[j] = inForce_[j];
    }
}

// Joint clauses "(name value)"; anything else (a say clause) is skipped.
void SimulatedJoints::ReadClauses(const std::string& command) {
    size_t pos = 0;
    while ((pos = command.find('(', pos)) != std::string::npos) {
        const size_t blank = command.find(' ', pos);
        const size_t close = command.find(')', pos);
        if (blank == std::string::npos || close == std::string::npos) return;
        if (blank < close) {
            const std::string name = command.substr(pos + 1, blank - pos - 1);
            for (int j = 0; j < kJointCount; ++j) {
                // A speed that is not a number would poison the angle for good: the
                // joint keeps the speed it had.
                const double speed = std::strtod(command.c_str() + blank + 1, nullptr);
                if (ACT.HJControl[j].sName == name && std::isfinite(speed)) inForce_[j] = speed;
            }
        }
        pos = close + 1;
    }
}

double SimulatedJoints::Capped(double speed) const {
    if (!capSpeed_) return speed;
    return std::clamp(speed, -kSpeedCapRadPerSec, kSpeedCapRadPerSec);
}

}  // namespace simkit
