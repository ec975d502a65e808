// Joint controller: collects the cycle's joint speed commands, writes the effector message,
// beams, and plays the key-frame motions and the head control. Global: `ACT` (corvane.cpp).
// Reads `wm`, `SenseParse`; writes `timer`, `connection` (beams), `skill` (resets) and wm flags.
#pragma once
#include <string>

#include "geometry/geometry.h"
#include "perception/msgparse.h"

// One joint's command for the current cycle.
struct HJCtrl {
    double fAngle = 0.0;   // speed to send (despite the name); server units, rad/s
    std::string sName;     // effector name
    bool bCtrled = false;  // a command exists this cycle
    bool bChanged = false; // a non-zero command went out and has not been cancelled yet
};

class ActHandle {
public:
    ActHandle();

    // ---- joint command table and the effector message
    void ClearControl();
    bool AdjustHJ(int iID, double dNewAng, double dSpeed, double dAccurate);
    void DoAction(double laj1, double laj2, double laj3, double laj4,
                  double raj1, double raj2, double raj3, double raj4,
                  double llj1, double llj2, double llj3, double llj4, double llj5, double llj6,
                  double rlj1, double rlj2, double rlj3, double rlj4, double rlj5, double rlj6,
                  double speed);
    // The text stays valid until the next call; kept in a member so that no cycle allocates.
    const std::string& MakeCommand();
    static std::string DealWithDouble(double v);
    bool IsSilence();
    void ClearAll();
    void Beam(const Vector& vPos);
    bool Beam(const Vector& vPos, int BeamNum, bool Clear);

    bool bCatchBall = false;  // a catch motion is in progress
    HJCtrl HJControl[kJointCount];

private:
    static void AppendNumber(std::string& out, double v);
    static void AppendSpeed(std::string& out, double v);
    void AppendJointClauses();
    void AppendSayClause();

    std::string m_sCommand;  // this cycle's effector message
    std::string m_sSay;      // this cycle's say clause
    std::string m_sBeam;
    int iErrNum = 0;         // consecutive cycles with silent legs
    int iBeamedNum = 0;      // beams sent in the current counted series
};
