// The effector message against the plain reading of its format: every joint clause written
// with the output stream's default notation after the two-decimal cut, over every cycle of
// every recording and a million seeded random joint tables.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <sstream>
#include <string>

#include "behaviour/decision.h"
#include "bench/cycle_cases.h"
#include "motion/3dlip.h"
#include "motion/acthandle.h"
#include "runtime/corvane.h"
#include "worldmodel/worldmodel.h"

namespace {

// The million tables are the proof; under the sanitizers a tenth of them look for memory faults
// within the time a unit test has.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kRandomTables = 100000;
#else
constexpr int kRandomTables = 1000000;
#endif

// The stream the agent's numbers must read like; one instance, because building a stream
// costs more than everything else in the comparison.
std::string StreamText(double v) {
    static std::ostringstream out;
    out.str("");
    out << v;
    return out.str();
}

std::string ReferenceSpeed(double v) {
    double cut = WorldModel::Round(v, 2);
    if (!std::isfinite(cut)) cut = v;  // overflow while scaling: nothing to cut
    if (!std::isfinite(cut)) cut = 0.0;
    return StreamText(cut + 0.0);       // a cut to zero has no sign
}

// The joint clauses as they must read, with its own memory of which joints still need a stop.
class ReferenceWriter {
public:
    std::string JointText(const HJCtrl (&table)[kJointCount]) {
        std::string text;
        for (int id = 0; id < kJointCount; ++id) {
            if (table[id].bCtrled) {
                text += "(" + table[id].sName + " " + ReferenceSpeed(table[id].fAngle) + ")";
                running[id] = true;
            } else if (running[id]) {
                text += "(" + table[id].sName + " 0)";
                running[id] = false;
            }
        }
        return text;
    }

private:
    bool running[kJointCount] = {};
};

// The say clause follows the joint clauses when it is sent at all.
void ExpectJointTextThenSay(const std::string& sent, const std::string& joints, const char* where) {
    ASSERT_EQ(sent.compare(0, joints.size(), joints), 0) << where << "\n" << sent << "\n" << joints;
    const std::string rest = sent.substr(joints.size());
    EXPECT_TRUE(rest.empty() || (rest.rfind("(say ", 0) == 0 && rest.back() == ')')) << where << rest;
}

using Drive = void (*)();

void DriveDecision() { decision.Do(); }

// Walking and scanning drive the legs, the arm swing and the head every cycle.
void DriveWalkAndScan() {
    Lip.Walk(WALK_F, 20, false, false);
    ACT.TurnHead();
}

void ReplayEveryRecording(Drive drive, int unum) {
    for (const char* name : {"session_single.txt", "session_players.txt", "session_fall_back.txt",
                             "session_hear.txt"}) {
        const std::vector<std::string> lines = LoadSession(name);
        ASSERT_FALSE(lines.empty()) << name;
        cycles::StartAgent();
        ReferenceWriter reference;
        for (size_t i = 0; i < lines.size(); ++i) {
            cycles::BeginCycle(lines[i]);
            wm.m_iUnum = unum;
            drive();
            const std::string joints = reference.JointText(ACT.HJControl);
            const std::string where = std::string(name) + ":" + std::to_string(i + 1);
            ExpectJointTextThenSay(ACT.MakeCommand(), joints, where.c_str());
            if (testing::Test::HasFailure()) return;
        }
    }
}

TEST(EffectorTextRecorded, EveryCycleOfEveryRecordingReadsAsTheStreamWritesIt) {
    for (int unum : {1, 2, 7}) {
        ReplayEveryRecording(DriveWalkAndScan, unum);
        ReplayEveryRecording(DriveDecision, unum);
    }
}

// Speeds from every region the writer treats apart: ordinary joint speeds, values on and
// next to the cut's half-hundredth edges, magnitudes from tiny to beyond the exact range,
// the edge of that range, and values that are not numbers at all.
double RandomSpeed(std::mt19937_64& rng) {
    static const double kSpecial[] = {
        0.0, -0.0, 0.005, -0.005, 0.00499999999, -0.0149999, 9999.99, -9999.99, 9999.995,
        -9999.995, 10000.0, 99999.95, 999999.5, 1e15, -1e15, 1e307, -1e307,
        std::numeric_limits<double>::max(), -std::numeric_limits<double>::max(),
        std::numeric_limits<double>::denorm_min(), std::numeric_limits<double>::min(),
        std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
        -std::numeric_limits<double>::infinity()};
    static const double kEdgeOffset[] = {0.0, 0.005, -0.005, 0.00500001, -0.00500001,
                                         0.00499999, -0.00499999, 1e-9, -1e-9};
    std::uniform_int_distribution<int> kind(0, 9);
    const double sign = (rng() & 1) ? 1.0 : -1.0;
    switch (kind(rng)) {
        case 0: case 1: case 2: case 3:
            return std::uniform_real_distribution<double>(-20.0, 20.0)(rng);
        case 4: case 5: {
            const double hundredths = std::uniform_int_distribution<int>(-2000000, 2000000)(rng);
            return hundredths / 100.0 + kEdgeOffset[rng() % std::size(kEdgeOffset)];
        }
        case 6: case 7:
            return sign * std::pow(10.0, std::uniform_real_distribution<double>(-8.0, 17.0)(rng));
        case 8:
            return sign * (10000.0 + std::uniform_real_distribution<double>(-0.02, 0.02)(rng));
        default:
            return kSpecial[rng() % std::size(kSpecial)];
    }
}

TEST(EffectorTextRandom, AMillionSeededJointTablesReadAsTheStreamWritesThem) {
    wm.m_iUnum = 2;
    wm.m_sPlayMode = "BeforeKickOff";  // keeps the silence watchdog from resetting motions
    ActHandle act;
    ReferenceWriter reference;
    std::mt19937_64 rng(20261208);
    std::bernoulli_distribution driven(0.7);
    for (int table = 0; table < kRandomTables; ++table) {
        act.ClearControl();
        for (HJCtrl& joint : act.HJControl) {
            if (!driven(rng)) continue;
            joint.bCtrled = true;
            joint.fAngle = RandomSpeed(rng);
        }
        const std::string expected = reference.JointText(act.HJControl);
        const std::string& sent = act.MakeCommand();
        if (sent != expected) FAIL() << "table " << table << "\nsent     " << sent << "\nexpected " << expected;
    }
}

}  // namespace
