// World model. Placeholder until the world model lands: holds the option targets only.
// Global: `wm` (corvane.cpp).
#pragma once
#include <string>

#include "perception/msgparse.h"

class WorldModel {
public:
    void UpdateAll() {}

    std::string m_sTeamName = "Corvane3D";
    int m_iCmdUnum = 0;
    HJInfo m_HJ[kJointCount];
};
