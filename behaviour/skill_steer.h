// Bearings the skills steer by and the one way they hand a walk to the engine.
// Reads wm's own position and body angle; drives Lip.
#pragma once
#include "behaviour/skill.h"
#include "runtime/corvane.h"

// Global heading from one point to another on the ground, degrees in [-180, 180].
inline double HeadingDeg(const Vector& from, const Vector& to) {
    return NormalizeAngleDeg((to - from).GetXYAngle());
}

// Heading of a point from the own position, relative to the torso.
inline double BodyBearingDeg(const Vector& to) {
    return NormalizeAngleDeg(HeadingDeg(wm.m_vSelfPos, to) - wm.m_dBodyAng);
}

// Normal steps with the arms swinging: what every walking skill asks for.
inline void IssueWalk(ACT_TYPE type, double turnDeg) {
    Lip.bDisableSwingArm = false;
    Lip.Walk(type, TurnDegToInt(turnDeg), false, false);
}
