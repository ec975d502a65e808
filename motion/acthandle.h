// Joint controller: collects the cycle's joint speed commands, writes the effector message,
// beams, and plays the key-frame motions and the head control. Global: `ACT` (corvane.cpp).
// Reads `wm`, `SenseParse`; writes `timer`, `connection` (beams), `skill` (resets) and wm flags.
#pragma once
#include <string>

#include "geometry/geometry.h"
#include "perception/msgparse.h"

namespace keyframe {
struct Motion;
}

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

    // ---- key-frame motions: call once per cycle; true on the call that completes them
    bool KickLeft();
    bool KickRight();
    bool KickLeft_Karate();
    bool KickRight_Karate();
    bool KickLeftFoot_NEW();
    bool KickRightFoot_NEW();
    bool BigKick();
    bool Climb_FaceUp();
    bool Climb_FaceDown();
    bool CatchBall(int iType);  // 1: left leg folded; anything else: right leg folded

    // ---- head: landmark scan or return to straight ahead, every cycle
    void TurnHead();

    bool bCatchBall = false;  // a catch motion is in progress
    const keyframe::Motion* pPlayedMotion = nullptr;  // the key-frame motion played this cycle
    HJCtrl HJControl[kJointCount];

private:
    // TurnHead's state, which lives for the whole run.
    struct HeadState {
        int i = 0;                  // cycles without landmark and ball in view together
        int iCount = 0;             // scan cycles across the front without the ball
        bool bCtrled = false;       // scanning rather than returning to the front
        bool bNeedChange1 = true;   // a reversal at the left end is due
        bool bNeedChange2 = true;   // a reversal at the right end is due
        float m_fHeadAngle = 5.0f;  // pan speed while scanning
    };

    // The number writers fill a buffer of kNumberTextSize characters and return its end.
    static constexpr int kNumberTextSize = 32;
    static char* WriteNumber(char* text, double v);
    static char* WriteHundredths(char* text, int hundredths);
    static char* WriteSpeed(char* text, double v);
    static void AppendNumber(std::string& out, double v);
    void AppendJointClauses();
    void AppendSayClause();
    bool PlayMotion(const keyframe::Motion& motion);
    bool Kick(const keyframe::Motion& motion);
    bool GetUp(const keyframe::Motion& motion);
    void ReverseScanAtTheEnds(double dPanDeg);
    void ScanHead(double dPanDeg);
    void ReturnHeadToFront(double dPanDeg);

    std::string m_sCommand;  // this cycle's effector message
    std::string m_sSay;      // this cycle's say clause
    std::string m_sSayPayload;  // the goalkeeper payload, rebuilt in place every cycle
    std::string m_sBeam;
    int iErrNum = 0;         // consecutive cycles with silent legs
    int iBeamedNum = 0;      // beams sent in the current counted series
    HeadState m_Head;
};
