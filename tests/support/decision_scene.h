// Scene set-up for the decision tests: the skill scene plus fresh decision, joint
// controller and timer, cycles run as the cycle loop runs them, and the beams read back
// from a stand-in server. Writes wm, SenseParse, ACT, decision, skill, Lip, timer, connection.
#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "behaviour/decision.h"
#include "behaviour/test_skill_world.h"
#include "runtime/connection.h"
#include "support/standin_server.h"

class DecisionScene : public SkillScene {
protected:
    void SetUp() override {
        ACT = ActHandle();
        SkillScene::SetUp();
        decision = Decision();
        timer = Timer();
        server_ = std::make_unique<standin::Server>();
        syncs_ = 0;
        connection.SetHostPort(server_->Port());
        ASSERT_TRUE(connection.Connect());
        ASSERT_TRUE(server_->Accept());
    }
    void TearDown() override { connection.CloseConnection(); }

    // One cycle as the loop runs it: commands cleared, the motion timer advanced, Do.
    static void Cycle(TPlayMode mode) {
        wm.PlayState = mode;
        ACT.ClearControl();
        timer.Update(1);
        decision.Do();
    }
    static void Cycles(TPlayMode mode, int n) {
        for (int i = 0; i < n; ++i) Cycle(mode);
    }

    static void Player(int unum, PLAYER_ROLE role) {
        wm.m_iUnum = unum;
        wm.m_PlayerRole = role;
    }
    static void NearestIs(int unum) { wm.m_NearestTeamMateInfo[0].iNum = unum; }
    // Hips where the standing posture has them: Prepare reports ready.
    static void StandReady(bool ready = true) {
        wm.m_HJ[JID_LLEG_3].fAngle = wm.m_HJ[JID_RLEG_3].fAngle = ready ? 30.0 : 0.0;
    }
    // The camera distance is nudged until the agent's own ground distance comes out as
    // exactly the one asked for, so that band edges can be hit.
    static void SeeBallAtGround(double groundDist, double bearingDeg, double elevationDeg = -30) {
        double cameraDist = std::sqrt(groundDist * groundDist + 0.2116);
        for (int i = 0; i < 8 && std::sqrt(cameraDist * cameraDist - 0.2116) < groundDist; ++i)
            cameraDist = std::nextafter(cameraDist, 1e9);
        for (int i = 0; i < 8 && std::sqrt(cameraDist * cameraDist - 0.2116) > groundDist; ++i)
            cameraDist = std::nextafter(cameraDist, 0.0);
        SeeBall(cameraDist, bearingDeg, elevationDeg);
    }
    static bool LegsCommanded() {
        for (int j = JID_LLEG_1; j <= JID_RLEG_6; ++j)
            if (ACT.HJControl[j].bCtrled) return true;
        return false;
    }
    static bool HeadCommanded() { return ACT.HJControl[JID_HEAD_1].bCtrled || ACT.HJControl[JID_HEAD_2].bCtrled; }

    // Every beam the agent has sent so far, as written. A marker frame sent behind them
    // tells when all have arrived, so that "none" needs no waiting on a clock.
    std::vector<std::string> Beams() {
        ++syncs_;
        connection.SendMsg("(sync)");
        std::vector<std::string> frames;
        for (;;) {
            frames = server_->Frames();
            size_t syncs = 0;
            for (const std::string& f : frames) syncs += f == "(sync)";
            if (syncs >= syncs_ || !server_->WaitForFrames(frames.size() + 1, 2000)) break;
        }
        std::vector<std::string> beams;
        for (const std::string& f : frames)
            if (f.rfind("(beam ", 0) == 0) beams.push_back(f);
        return beams;
    }

    std::unique_ptr<standin::Server> server_;
    size_t syncs_ = 0;
};
