// Simulated joints for closed-loop motion tests and leg forward kinematics to judge them.
// Writes `SenseParse` (Parse), `wm` (UpdateAll) and `ACT` (ClearControl, MakeCommand).
#include "support/kinematic_robot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "geometry/geo.h"
#include "geometry/geometry.h"
#include "motion/acthandle.h"
#include "runtime/corvane.h"
#include "worldmodel/worldmodel.h"

namespace standin {

KinematicRobot::KinematicRobot(bool capSpeed) : joints_(capSpeed) {
    // Joints driven by an earlier test owe the wire one explicit stop; send it now so
    // that this robot starts with every speed at zero.
    ACT.ClearControl();
    ACT.MakeCommand();
}

// A perception message as the server writes it for an upright robot that sees nothing:
// clock, game state, level gyroscope and accelerometer, joint angles to two decimals.
void KinematicRobot::RenderPerception() {
    char number[64];
    const double now = cycles_ * kCycleSec;
    std::snprintf(number, sizeof(number), "%.2f", now);
    perception_.assign("(time (now ").append(number).append("))");
    perception_.append("(GS (sl 0) (sr 0) (t ").append(number).append(") (pm BeforeKickOff))");
    perception_.append("(GYR (n torso) (rt 0.00 0.00 0.00))(ACC (n torso) (a 0.00 0.00 9.81))");
    for (int j = 0; j < kJointCount; ++j) {
        std::snprintf(number, sizeof(number), "%.2f", joints_.AngleDeg(j));
        perception_.append("(HJ (n ").append(SenseParse.m_HJ[j].sPerceptorName).append(") (ax ");
        perception_.append(number).append("))");
    }
}

void KinematicRobot::Publish() {
    RenderPerception();
    SenseParse.Parse(perception_);
    wm.UpdateAll();
    ACT.ClearControl();
}

void KinematicRobot::ApplyCommand() {
    command_ = ACT.MakeCommand();
    joints_.Apply(command_);
    ++cycles_;
}

}  // namespace standin
