// Closed-loop stand-in server: joint model as the real server applies speeds (one cycle
// late, capped per joint), pose from leg odometry, vision every third message.
#include "support/closed_loop_server.h"

#include <cmath>
#include <cstdlib>
#include <cstdio>

#include "motion/acthandle.h"
#include "runtime/corvane.h"

namespace standin {

ClosedLoopServer::ClosedLoopServer(Server& server, int unum, bool capSpeed)
    : server_(server), unum_(unum), joints_(capSpeed) {
    // A new robot stands where the server put it until it beams.
    pose_.x = -5.0;
    pose_.y = 3.0;
    origin_ = pose_;
    scene.ball = Vector(0.0, 0.0, 0.042);
}

std::string ClosedLoopServer::Message(const std::string& playMode) {
    char gs[160];
    if (cycles_ == 0) {
        std::snprintf(gs, sizeof(gs), "(GS (unum %d) (team left) (t %.2f) (pm %s))", unum_, gameTime_,
                      playMode.c_str());
    } else {
        std::snprintf(gs, sizeof(gs), "(GS (sl 0) (sr 0) (t %.2f) (pm %s))", gameTime_, playMode.c_str());
    }
    PerceptText text;
    text.serverTime = cycles_ * KinematicRobot::kCycleSec;
    text.gameState = gs;
    text.gyro = gyroDegPerSec;
    for (int j = 0; j < kJointCount; ++j) text.jointsDeg[j] = joints_.AngleDeg(j);
    text.withVision = cycles_ % 3 == 0;
    pose_.headYawDeg = joints_.AngleDeg(JID_HEAD_1);
    pose_.headPitchDeg = joints_.AngleDeg(JID_HEAD_2);
    return RenderMessage(text, pose_, scene);
}

bool ClosedLoopServer::Cycle(const std::string& playMode) {
    beams_.clear();
    const size_t framesBefore = server_.FrameCount();  // taken before the agent can answer
    if (!server_.SendMessage(Message(playMode))) return false;
    if (playMode == "PlayOn") gameTime_ += KinematicRobot::kCycleSec;
    ++cycles_;
    if (!ReceiveAnswer(framesBefore)) return false;
    joints_.Apply(command_);
    MoveByOdometry();
    return true;
}

// Beams and the init message leave as frames of their own before the effector frame.
bool ClosedLoopServer::ReceiveAnswer(size_t next) {
    for (;; ++next) {
        if (!server_.WaitForFrames(next + 1)) return false;
        const std::string frame = server_.Frames()[next];
        if (frame.rfind("(beam ", 0) == 0) {
            beams_.push_back(frame);
            ApplyBeam(frame);
        } else if (frame.rfind("(init ", 0) != 0) {
            command_ = frame;
            return true;
        }
    }
}

void ClosedLoopServer::ApplyBeam(const std::string& beam) {
    double x, y, rot;
    if (std::sscanf(beam.c_str(), "(beam %lf %lf %lf)", &x, &y, &rot) != 3) return;
    pose_.x = x;
    pose_.y = y;
    pose_.bodyDeg = rot;
    origin_ = pose_;
    odometry_ = GroundOdometry();
}

void ClosedLoopServer::MoveByOdometry() {
    // Odometry frame: x right, y forward of the pose at the last beam.
    odometry_.Update(LegKinematics(salt::Matrix(), joints_.AnglesDeg()));
    const double a = origin_.bodyDeg * M_PI / 180.0;
    pose_.x = origin_.x + odometry_.yM * std::cos(a) + odometry_.xM * std::sin(a);
    pose_.y = origin_.y + odometry_.yM * std::sin(a) - odometry_.xM * std::cos(a);
    pose_.bodyDeg = NormalizeAngleDeg(origin_.bodyDeg + odometry_.headingDeg);
}

}  // namespace standin
