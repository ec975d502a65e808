// Kinematic model of the robot's own body: the torso and two six-joint legs as a link
// tree, forward kinematics and the analytic leg solver. Global: `gNao` (corvane.cpp);
// reads `wm.m_HJ` (UpdateLink), writes only itself.
#pragma once
#include <string>

#include "geometry/matrix.h"
#include "perception/msgparse.h"

// One body link and the joint that connects it to its mother. Metres and radians.
struct Link {
    std::string name = "<unnamed>";      // perceptor name of the joint
    std::string eff_name = "<unnamed>";  // effector name of the joint
    int id = 0;
    int twin = 0;
    int sister = JID_NULL;  // next link with the same mother
    int child = JID_NULL;   // first child link
    int mother = JID_NULL;
    salt::Vector3f a;  // joint axis, mother's frame
    salt::Vector3f b;  // joint position relative to the mother's joint, mother's frame
    salt::Vector3f c;  // body centre relative to the own joint
    float q = 0.0f;    // joint angle
    float dq = 0.0f;
    float ddq = 0.0f;
    float m = 0.0f;
    salt::Vector3f p;  // joint position, torso-based frame (forward kinematics output)
    salt::Matrix R;    // link orientation; only the rotation block means anything
    salt::Vector3f v;
    salt::Vector3f w;
};

constexpr int kLinkCount = 25;

class Nao {
public:
    Nao();

    void SetupLinks();
    void ForwardKinematics(int j);

    // Link angles from the world model's joint records (previous message), then FK.
    void UpdateLink();
    void UpdateLink(const HJInfo (&joints)[kJointCount]);

    // Ankle pose `foot` for the given torso pose, both in one frame. On success the six
    // angles of that leg are in mIKJointAngle and the link tree; on failure nothing but
    // the torso link's pose changes.
    bool IK_leg(const salt::Matrix& torso, const salt::Matrix& foot, bool left);
    // The analytic solver for a hip pose and leg lengths A (upper) and B (lower).
    bool IK_leg(const salt::Matrix& hip, float A, float B, const salt::Matrix& ankle, bool left);

    float mIKJointAngle[kLinkCount] = {};
    Link uLINK[kLinkCount];

    float FootLength = 0.08f, FootWidth = 0.16f, FootHeight = 0.02f, FootMass = 0.2f;
    float FootRelAnkle_X = 0.0f, FootRelAnkle_Y = 0.03f, FootRelAnkle_Z = -0.035f;
    float AnkleRelShank_X = 0.0f, AnkleRelShank_Y = -0.01f, AnkleRelShank_Z = -0.055f;
    float ShankLength = 0.08f, ShankWidth = 0.07f, ShankHeight = 0.11f, ShankMass = 0.225f;
    float ShankRelThigh_X = 0.0f, ShankRelThigh_Y = 0.005f, ShankRelThigh_Z = -0.125f;
    float ThighLength = 0.07f, ThighWidth = 0.07f, ThighHeight = 0.14f, ThighMass = 0.275f;
    float ThighRelHip2_X = 0.0f, ThighRelHip2_Y = 0.01f, ThighRelHip2_Z = -0.04f;
    float Hip1Axis_X = -0.7071f, Hip1Axis_Y = 0.0f, Hip1Axis_Z = 0.7071f;
    float Hip1RelTorso_X = 0.055f, Hip1RelTorso_Y = -0.01f, Hip1RelTorso_Z = -0.115f;
    float Hip2RelHip1_X = 0.0f, Hip2RelHip1_Y = 0.0f, Hip2RelHip1_Z = 0.0f;
    float TorsoLength = 0.1f, TorsoWidth = 0.1f, TorsoHeight = 0.18f, TorsoMass = 1.2171f;
    float TorsoInitX = 0.0f, TorsoInitY = 0.0f, TorsoInitZ = 0.385f;

    // Derived from the zero posture by SetupLinks.
    float NAO_A = 0.0f;       // hip pitch to knee
    float NAO_B = 0.0f;       // knee to ankle
    salt::Vector3f NAO_Dl;    // left hip centre relative to the torso
    salt::Vector3f NAO_Dr;    // right hip centre relative to the torso
    salt::Vector3f NAO_E;     // ankle relative to the foot centre

private:
    void SetupLeg(bool left);
};
