// Joint controller. Placeholder until joint control lands: an empty effector message.
// Global: `ACT` (corvane.cpp).
#pragma once
#include <string>

class ActHandle {
public:
    void ClearControl() {}
    std::string MakeCommand() { return std::string(); }
};
