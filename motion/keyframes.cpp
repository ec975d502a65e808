// Key-frame tables of the kicks, the get-ups and the goalkeeper's dive, laid out as they are
// tuned: kicks one frame per row, the others one joint per row with a column per window.
// Constant data checked at compile time; no globals read or written.
#include "motion/keyframes.h"

#include <array>

namespace keyframe {
namespace {

// ---- the layouts the tables are written in

// A kick frame: one gain for the 20 arm and leg joints; kicks leave the head alone.
struct KickRow {
    Window window;
    double dLeftArm[4];   // JID_LARM_1 .. JID_LARM_4
    double dRightArm[4];  // JID_RARM_1 .. JID_RARM_4
    double dLeftLeg[6];   // hip yaw-pitch, hip roll, hip pitch, knee, ankle pitch, ankle roll
    double dRightLeg[6];
    double dGain;
};

// One joint's goals, one per window of its table.
template <size_t N>
struct JointRow {
    JointID id;
    Goal goal[N];
};

// Windows across, joints down; every joint has its own gain.
template <size_t N>
struct ColumnTable {
    Window window[N];
    JointRow<N> row[kJointCount];
};

// ---- conversion into the player's frames

// Left and right joints alternate in JointID order.
constexpr int LeftArm(int k) { return JID_LARM_1 + 2 * k; }
constexpr int RightArm(int k) { return JID_RARM_1 + 2 * k; }
constexpr int LeftLeg(int k) { return JID_LLEG_1 + 2 * k; }
constexpr int RightLeg(int k) { return JID_RLEG_1 + 2 * k; }

constexpr void Drive(Frame& frame, int id, double dTargetDeg, double dGain) {
    frame.bDrives[id] = true;
    frame.goal[id] = Goal{dTargetDeg, dGain};
}

constexpr Frame FromKickRow(const KickRow& row) {
    Frame frame{};
    frame.window = row.window;
    for (int k = 0; k < 4; ++k) {
        Drive(frame, LeftArm(k), row.dLeftArm[k], row.dGain);
        Drive(frame, RightArm(k), row.dRightArm[k], row.dGain);
    }
    for (int k = 0; k < 6; ++k) {
        Drive(frame, LeftLeg(k), row.dLeftLeg[k], row.dGain);
        Drive(frame, RightLeg(k), row.dRightLeg[k], row.dGain);
    }
    return frame;
}

template <size_t N>
constexpr std::array<Frame, N> FromKickRows(const KickRow (&rows)[N]) {
    std::array<Frame, N> frames{};
    for (size_t k = 0; k < N; ++k) frames[k] = FromKickRow(rows[k]);
    return frames;
}

// The frames made of the chosen columns, in the order given.
template <size_t M, size_t N>
constexpr std::array<Frame, M> FromColumns(const ColumnTable<N>& table, const size_t (&columns)[M]) {
    std::array<Frame, M> frames{};
    for (size_t k = 0; k < M; ++k) {
        frames[k].window = table.window[columns[k]];
        for (const JointRow<N>& row : table.row) {
            Drive(frames[k], row.id, row.goal[columns[k]].dTargetDeg, row.goal[columns[k]].dGain);
        }
    }
    return frames;
}

template <size_t N>
constexpr std::array<Frame, N> FromColumns(const ColumnTable<N>& table) {
    size_t all[N] = {};
    for (size_t k = 0; k < N; ++k) all[k] = k;
    return FromColumns(table, all);
}

// ---- checks on the tables

// The player applies every frame whose window holds the timer value: windows must not
// overlap, and all must lie before the call that reports completion.
template <size_t N>
constexpr bool WindowsInOrder(const std::array<Frame, N>& frames, int iEndTime) {
    int iAfter = 0;
    for (const Frame& frame : frames) {
        if (frame.window.iFirst < iAfter || frame.window.iLast < frame.window.iFirst) return false;
        iAfter = frame.window.iLast + 1;
    }
    return iAfter <= iEndTime;
}

// No cycle left out between the windows from `iFrom` on.
template <size_t N>
constexpr bool WindowsEndToEnd(const std::array<Frame, N>& frames, size_t iFrom) {
    for (size_t k = iFrom + 1; k < N; ++k) {
        if (frames[k].window.iFirst != frames[k - 1].window.iLast + 1) return false;
    }
    return true;
}

template <size_t N>
constexpr bool EveryJointOnce(const ColumnTable<N>& table) {
    int count[kJointCount] = {};
    for (const JointRow<N>& row : table.row) {
        if (row.id < 0 || row.id >= kJointCount) return false;
        ++count[row.id];
    }
    for (int c : count) {
        if (c != 1) return false;
    }
    return true;
}

// A leg seen in the mirror: the roll joints (hip roll, ankle roll) change sign.
constexpr bool IsMirrorLeg(const double (&leg)[6], const double (&mirrored)[6]) {
    for (int k = 0; k < 6; ++k) {
        const bool bRoll = k == 1 || k == 5;
        if (mirrored[k] != (bRoll ? -leg[k] : leg[k])) return false;
    }
    return true;
}

// The right-foot kick's legs are the left-foot kick's, exchanged and mirrored, frame by
// frame with the same windows and gains; the arms are tuned on their own.
template <size_t N>
constexpr bool LegsMirrored(const KickRow (&left)[N], const KickRow (&right)[N]) {
    for (size_t k = 0; k < N; ++k) {
        if (left[k].window.iFirst != right[k].window.iFirst) return false;
        if (left[k].window.iLast != right[k].window.iLast) return false;
        if (left[k].dGain != right[k].dGain) return false;
        if (!IsMirrorLeg(left[k].dLeftLeg, right[k].dRightLeg)) return false;
        if (!IsMirrorLeg(left[k].dRightLeg, right[k].dLeftLeg)) return false;
    }
    return true;
}

// ---- kicks (end value: the timer value of the call that reports completion)

// KickLeft, end value 95.
constexpr KickRow kKickLeftRows[] = {
    // {cycles}, {left arm 1-4}, {right arm 1-4},
    //           {left leg 1-6}, {right leg 1-6}, gain
    {{  0,  14}, {-120, 0, -90, -75}, {-120,   0, 90, 75},
                 {0,    0,     0,      0,     0,     0}, {0,      0,    0,      0,     0,     0}, 0.05},
    {{ 15,  24}, {-120, 0, -90, -75}, {-120,   0, 90, 75},
                 {0, 8.86,  8.45, -46.29, 27.84, -8.86}, {0,   8.32, 8.28, -32.07, 23.53, -8.99}, 0.05},
    {{ 25,  39}, {-120, 0, -90, -75}, {-120,   0, 90, 90},
                 {0, 8.86, 18.45, -56.26, 42.52, -8.86}, {0,   8.23, 8.28, -22.07, 23.53, -8.99}, 0.075},
    {{ 40,  54}, {-120, 0, -90, -75}, {-120,   0, 90, 90},
                 {0, 8.86, 18.45, -56.26, 42.52, -8.86}, {0,   8.23, 5.28, -13.07, 23.53, -8.99}, 0.075},
    {{ 55,  64}, {-120, 0, -90, -75}, {-120, -95, 90, 90},
                 {0,   45, 15.45, -47.26, 42.52, -8.86}, {0, -28.23, 8.28, -22.07, 23.53, -8.99}, 1},
    {{ 65,  79}, {-120, 0, -90, -75}, {-120,   0, 90, 75},
                 {0, 8.86, 18.45, -56.26, 20.52, -8.86}, {0,   8.23, 8.28, -22.07, 23.53, -8.99}, 0.2},
    {{ 80,  94}, {-120, 0, -90, -75}, {-120,   0, 90, 75},
                 {0,    0,    40,    -65,    35,     0}, {0,      0,   40,    -65,    35,     0}, 0.1},
};

// KickRight, end value 95: the legs of KickLeft mirrored, the arms its own.
constexpr KickRow kKickRightRows[] = {
    // {cycles}, {left arm 1-4}, {right arm 1-4},
    //           {left leg 1-6}, {right leg 1-6}, gain
    {{  0,  14}, {-120,   0, -90, -75}, {-120, 0, 90, 75},
                 {0,     0,    0,      0,     0,    0}, {0,     0,     0,      0,     0,    0}, 0.05},
    {{ 15,  24}, {-120,   0, -90, -75}, {-120, 0, 90, 75},
                 {0, -8.32, 8.28, -32.07, 23.53, 8.99}, {0, -8.86,  8.45, -46.29, 27.84, 8.86}, 0.05},
    {{ 25,  39}, {-120,   0, -90, -75}, {-120, 0, 90, 90},
                 {0, -8.23, 8.28, -22.07, 23.53, 8.99}, {0, -8.86, 18.45, -56.26, 42.52, 8.86}, 0.075},
    {{ 40,  54}, {-120,   0, -90, -75}, {-120, 0, 90, 90},
                 {0, -8.23, 5.28, -13.07, 23.53, 8.99}, {0, -8.86, 18.45, -56.26, 42.52, 8.86}, 0.075},
    {{ 55,  64}, {-120, -90, -90, -75}, {-120, 0, 90, 90},
                 {0, 28.23, 8.28, -22.07, 23.53, 8.99}, {0,   -45, 15.45, -47.26, 42.52, 8.86}, 1},
    {{ 65,  79}, {-120,   0, -90, -75}, {-120, 0, 90, 75},
                 {0, -8.23, 8.28, -22.07, 23.53, 8.99}, {0, -8.86, 18.45, -56.26, 20.52, 8.86}, 0.2},
    {{ 80,  94}, {-120,   0, -90, -75}, {-120, 0, 90, 75},
                 {0,     0,   40,    -65,    35,    0}, {0,     0,    40,    -65,    35,    0}, 0.1},
};
static_assert(LegsMirrored(kKickLeftRows, kKickRightRows), "right kick must mirror the left one");

// KickLeft_Karate, end value 105; cycles 30-34 command nothing.
constexpr KickRow kKickLeftKarateRows[] = {
    // {cycles}, {left arm 1-4}, {right arm 1-4},
    //           {left leg 1-6}, {right leg 1-6}, gain
    {{  0,   9}, {-120, 0, -90, -75}, {-120,   0, 90, 75},
                 {0,    0,     0,      0,     0,     0}, {0,      0,      0,      0,     0,     0}, 0.05},
    {{ 10,  19}, {-120, 0, -90, -75}, {-120,   0, 90, 75},
                 {0, 8.86,  8.45, -46.29, 27.84, -8.86}, {0,   8.32,   8.28, -32.07, 23.53, -8.99}, 0.05},
    {{ 20,  29}, {-120, 0, -90, -75}, {-120,   0, 90, 75},
                 {0, 8.86, 18.45, -84.26, 42.52, -8.86}, {0,   8.23,  -8.28, -22.07, 23.53, -8.99}, 0.075},
    {{ 35,  49}, {-120, 0, -90, -75}, {-120,   0, 90, 75},
                 {0, 8.86,    20,      0,   -15, -8.86}, {0,   8.23, -15.28, -22.07, 23.53, -8.99}, 0.075},
    {{ 50,  69}, {-120, 0, -90, -75}, {-120,   0, 90, 75},
                 {0,  -25,    10,      0,   -15,     0}, {0,   8.23, -15.28, -22.07, 23.53, -8.99}, 0.075},
    {{ 70,  79}, {-120, 0, -90, -75}, {-120, -90, 90, 75},
                 {0,   45,  8.45,      0,   -25,     0}, {0, -18.23, -15.28, -22.07, 20.53,  0.99}, 0.5},
    {{ 80,  94}, {-120, 0, -90, -75}, {-120,   0, 90, 75},
                 {0, 8.86,  8.45, -46.29, 27.84, -8.86}, {0,   8.32,   8.28, -32.07, 23.53, -8.99}, 0.2},
    {{ 95, 104}, {-120, 0, -90, -75}, {-120,   0, 90, 75},
                 {0,    0,    40,    -65,    35,     0}, {0,      0,     40,    -65,    35,     0}, 0.1},
};

// KickRight_Karate, end value 105; cycles 30-34 command nothing.
constexpr KickRow kKickRightKarateRows[] = {
    // {cycles}, {left arm 1-4}, {right arm 1-4},
    //           {left leg 1-6}, {right leg 1-6}, gain
    {{  0,   9}, {-120, 0, -90, -75}, {-120,   0, 90, 75},
                 {0,     0,      0,      0,     0,     0}, {0,     0,     0,      0,     0,    0}, 0.05},
    {{ 10,  19}, {-120, 0, -90, -75}, {-120,   0, 90, 75},
                 {0, -8.32,   8.28, -32.07, 23.53,  8.99}, {0, -8.86,  8.45, -46.29, 27.84, 8.86}, 0.05},
    {{ 20,  29}, {-120, 0, -90, -75}, {-120,   0, 90, 75},
                 {0, -8.23,  -8.28, -22.07, 23.53,  8.99}, {0, -8.86, 18.45, -84.26, 42.52, 8.86}, 0.075},
    {{ 35,  49}, {-120, 0, -90, -75}, {-120,   0, 90, 75},
                 {0, -8.23, -15.28, -22.07, 23.53,  8.99}, {0, -8.86,    20,      0,   -15, 8.86}, 0.075},
    {{ 50,  69}, {-120, 0, -90, -75}, {-120,   0, 90, 75},
                 {0, -8.23, -15.28, -22.07, 23.53,  8.99}, {0,    25,    10,      0,   -15,    0}, 0.075},
    {{ 70,  79}, {-120, 0, -90, -75}, {-120, -90, 90, 75},
                 {0, 18.23, -15.28, -22.07, 20.53, -0.99}, {0,   -45,  8.45,      0,   -25,    0}, 0.5},
    {{ 80,  94}, {-120, 0, -90, -75}, {-120,   0, 90, 75},
                 {0, -8.32,   8.28, -32.07, 23.53,  8.99}, {0, -8.86,  8.45, -46.29, 27.84, 8.86}, 0.2},
    {{ 95, 104}, {-120, 0, -90, -75}, {-120,   0, 90, 75},
                 {0,     0,     40,    -65,    35,     0}, {0,     0,    40,    -65,    35,    0}, 0.1},
};
static_assert(LegsMirrored(kKickLeftKarateRows, kKickRightKarateRows),
              "right karate kick must mirror the left one");

// KickLeftFoot_NEW, end value 80.
constexpr KickRow kKickLeftFootNewRows[] = {
    // {cycles}, {left arm 1-4}, {right arm 1-4},
    //           {left leg 1-6}, {right leg 1-6}, gain
    {{  0,  14}, {-120, 0, -90, -75}, {-120, 0, 90, 75},
                 {0,    0,     0,      0,     0,     0}, {0,    0,      0,      0,     0,     0}, 0.05},
    {{ 15,  24}, {-120, 0, -90, -75}, {-120, 0, 90, 75},
                 {0, 8.86,  8.45, -46.29, 27.84, -8.86}, {0, 8.32,   8.28, -32.07, 23.53, -8.99}, 0.05},
    {{ 25,  39}, {-120, 0, -90, -75}, {-120, 0, 90, 75},
                 {0, 8.86, 18.45, -84.26, 42.52, -8.86}, {0, 8.23,  -8.28, -22.07, 23.53, -8.99}, 0.075},
    {{ 40,  49}, {-120, 0, -90, -75}, {-120, 0, 90, 75},
                 {0, 8.86,    40,      0,    32, -8.86}, {0, 8.23, -15.28, -22.07, 23.53, -8.99}, 0.8},
    {{ 50,  64}, {-120, 0, -90, -75}, {-120, 0, 90, 75},
                 {0, 8.86, 18.45, -84.26, 20.52, -8.86}, {0, 8.23,  -8.28, -22.07, 23.53, -8.99}, 0.2},
    {{ 65,  79}, {-120, 0, -90, -75}, {-120, 0, 90, 75},
                 {0,    0,    40,    -65,    35,     0}, {0,    0,     40,    -65,    35,     0}, 0.1},
};

// KickRightFoot_NEW, end value 80.
constexpr KickRow kKickRightFootNewRows[] = {
    // {cycles}, {left arm 1-4}, {right arm 1-4},
    //           {left leg 1-6}, {right leg 1-6}, gain
    {{  0,  14}, {-120, 0, -90, -75}, {-120, 0, 90, 75},
                 {0,     0,      0,      0,     0,    0}, {0,     0,     0,      0,     0,    0}, 0.05},
    {{ 15,  24}, {-120, 0, -90, -75}, {-120, 0, 90, 75},
                 {0, -8.32,   8.28, -32.07, 23.53, 8.99}, {0, -8.86,  8.45, -46.29, 27.84, 8.86}, 0.05},
    {{ 25,  39}, {-120, 0, -90, -75}, {-120, 0, 90, 75},
                 {0, -8.23,  -8.28, -22.07, 23.53, 8.99}, {0, -8.86, 18.45, -84.26, 42.52, 8.86}, 0.075},
    {{ 40,  49}, {-120, 0, -90, -75}, {-120, 0, 90, 75},
                 {0, -8.23, -15.28, -22.07, 23.53, 8.99}, {0, -8.86,    40,      0,    32, 8.86}, 0.8},
    {{ 50,  64}, {-120, 0, -90, -75}, {-120, 0, 90, 75},
                 {0, -8.23,  -8.28, -22.07, 23.53, 8.99}, {0, -8.86, 18.45, -84.26, 20.52, 8.86}, 0.2},
    {{ 65,  79}, {-120, 0, -90, -75}, {-120, 0, 90, 75},
                 {0,     0,     40,    -65,    35,    0}, {0,     0,    40,    -65,    35,    0}, 0.1},
};
static_assert(LegsMirrored(kKickLeftFootNewRows, kKickRightFootNewRows),
              "right foot kick must mirror the left one");

// BigKick, end value 150; from cycle 17 the windows follow each other without a gap, and
// cycles 120-149 command nothing. The targets of +-10000 and 750 lie far beyond the joints'
// ranges: they ask for the fastest swing the simulator allows.
constexpr KickRow kBigKickRows[] = {
    // {cycles}, {left arm 1-4}, {right arm 1-4},
    //           {left leg 1-6}, {right leg 1-6}, gain
    {{  0,   9}, {-70, 0, 0, 0}, {-70, 0, 0, 0},
                 {0,   0,     20,    -30,  20,   0}, {0,   0,    20,   -30,  20,   0}, 0.06},
    {{ 10,  16}, {-70, 0, 0, 0}, {-70, 0, 0, 0},
                 {0,  10,     20,    -30,  20, -10}, {0,  10,    20,   -30,  20, -10}, 0.07},
    {{ 17,  23}, {-70, 0, 0, 0}, {-70, 0, 0, 0},
                 {0,  10,     20,    -45,  35, -10}, {0,  10,    20,   -30,  20, -10}, 0.1},
    {{ 24,  30}, {-70, 0, 0, 0}, {-70, 0, 0, 0},
                 {0,  10,     40,    -40,  10, -10}, {0,  10,    20,   -30,  20, -10}, 0.1},
    {{ 31,  37}, {-70, 0, 0, 0}, {-70, 0, 0, 0},
                 {0,  10,     40,    -40,  15, -10}, {0,  10,     5,   -25,  35, -10}, 0.07},
    {{ 38,  44}, {-70, 0, 0, 0}, {-70, 0, 0, 0},
                 {0,   0,     40,    -45,  20,   0}, {0,   0,     5,   -25,  35,   0}, 0.1},
    {{ 45,  51}, {-70, 0, 0, 0}, {-70, 0, 0, 0},
                 {0, -10,     40,    -45,  20,  10}, {0, -10,     5,   -25,  35,  10}, 0.1},
    {{ 52,  58}, {-70, 0, 0, 0}, {-70, 0, 0, 0},
                 {0, -10,     40,    -45,  20,  10}, {0, -10,     5,   -40,  50,  10}, 0.08},
    {{ 59,  70}, {-70, 0, 0, 0}, {-70, 0, 0, 0},
                 {0, -10,     40,    -45,  20,  10}, {0, -10,     5,  -130,  75,  10}, 0.12},
    {{ 71,  87}, {-70, 0, 0, 0}, {-70, 0, 0, 0},
                 {0, -10,     30,    -45,  20,  10}, {0, -10,    30,  -130, -45,  10}, 0.2},
    {{ 88,  89}, {-70, 0, 0, 0}, {-70, 0, 0, 0},
                 {0, -10, -10000, -10000, -15,  10}, {0, -10, 10000, 10000, -45,  10}, 0.1},
    {{ 90, 119}, {-70, 0, 0, 0}, {-70, 0, 0, 0},
                 {0, -10, -10000, -10000, -15,  10}, {0, -10, 10000, 10000, 750,  10}, 0.1},
};

// ---- get-ups and the dive: target / gain per joint and window

// Climb_FaceUp, lying on the back: end value 125; cycles 0, 30, 40, 50, 70 and 90 command nothing.
constexpr ColumnTable<6> kClimbFaceUpTable = {
    {{1, 29},  {31, 39},   {41, 49},   {51, 69},    {71, 89},    {91, 124}},
    // joint           1-29        31-39       41-49       51-69        71-89        91-124
    {
        {JID_HEAD_1, {{0, 0.05},  {0, 0.05},  {0, 0.05},  {0, 0.05},   {0, 0.05},   {0, 0.05}}},
        {JID_HEAD_2, {{0, 0.1},   {0, 0.1},   {0, 0.1},   {0, 0.1},    {0, 0.1},    {0, 0.1}}},
        {JID_LARM_1, {{-90, 0.4}, {30, 0.4},  {35, 0.25}, {-24, 0.1},  {-34, 0.1},  {-80, 0.06}}},
        {JID_RARM_1, {{-90, 0.4}, {30, 0.4},  {35, 0.25}, {-24, 0.1},  {-34, 0.1},  {-80, 0.06}}},
        {JID_LARM_2, {{30, 0.4},  {0, 0.4},   {0, 0.15},  {0, 0.1},    {0, 0.1},    {0, 0.06}}},
        {JID_RARM_2, {{-30, 0.4}, {0, 0.4},   {0, 0.15},  {0, 0.1},    {0, 0.1},    {0, 0.06}}},
        {JID_LARM_3, {{-90, 0.4}, {-90, 0.4}, {0, 0.1},   {0, 0.1},    {0, 0.1},    {-90, 0.06}}},
        {JID_RARM_3, {{90, 0.4},  {90, 0.4},  {0, 0.1},   {0, 0.1},    {0, 0.1},    {90, 0.06}}},
        {JID_LARM_4, {{0, 0.4},   {0, 0.4},   {0, 0.1},   {0, 0.1},    {0, 0.1},    {-95, 0.06}}},
        {JID_RARM_4, {{0, 0.4},   {0, 0.4},   {0, 0.1},   {0, 0.1},    {0, 0.1},    {95, 0.06}}},
        {JID_LLEG_1, {{0, 0.4},   {0, 0.4},   {-50, 0.2}, {-90, 0.1},  {-90, 0.1},  {0, 0.06}}},
        {JID_RLEG_1, {{0, 0.4},   {0, 0.4},   {-50, 0.2}, {-90, 0.1},  {-90, 0.1},  {0, 0.06}}},
        {JID_LLEG_2, {{0, 0.4},   {0, 0.4},   {-30, 0.2}, {50, 0.1},   {0, 0.1},    {0, 0.06}}},
        {JID_RLEG_2, {{0, 0.4},   {0, 0.4},   {30, 0.2},  {-50, 0.1},  {0, 0.1},    {0, 0.06}}},
        {JID_LLEG_3, {{0, 0.1},   {100, 0.1}, {100, 0.2}, {100, 0.1},  {100, 0.1},  {40.9, 0.1}}},
        {JID_RLEG_3, {{0, 0.1},   {100, 0.1}, {100, 0.2}, {100, 0.1},  {100, 0.1},  {40.9, 0.1}}},
        {JID_LLEG_4, {{0, 0.4},   {0, 0.4},   {0, 0.2},   {-130, 0.1}, {-130, 0.1}, {-65.9, 0.1}}},
        {JID_RLEG_4, {{0, 0.4},   {0, 0.4},   {0, 0.2},   {-130, 0.1}, {-130, 0.1}, {-65.9, 0.1}}},
        {JID_LLEG_5, {{0, 0.1},   {0, 0.1},   {0, 0.2},   {-45, 0.15}, {5, 0.15},   {35, 0.08}}},
        {JID_RLEG_5, {{0, 0.1},   {0, 0.1},   {0, 0.2},   {-45, 0.15}, {5, 0.15},   {35, 0.08}}},
        {JID_LLEG_6, {{0, 0.4},   {0, 0.4},   {0, 0.2},   {0, 0.15},   {-20, 0.15}, {0, 0.065}}},
        {JID_RLEG_6, {{0, 0.4},   {0, 0.4},   {0, 0.2},   {0, 0.15},   {20, 0.15},  {0, 0.065}}},
    },
};

// Climb_FaceDown, lying on the front: end value 70; cycles 0, 13, 32 and 45 command nothing.
// The knees part in the last frame: the left one comes up more gently.
constexpr ColumnTable<4> kClimbFaceDownTable = {
    {{1, 12},     {14, 31},     {33, 44},     {46, 69}},
    // joint           1-12        14-31        33-44        46-69
    {
        {JID_HEAD_1, {{0, 0.05},  {0, 0.05},   {0, 0.05},   {0, 0.05}}},
        {JID_HEAD_2, {{-30, 0.1}, {30, 0.1},   {0, 0.1},    {0, 0.1}}},
        {JID_LARM_1, {{-50, 0.6}, {-50, 0.6},  {-34, 0.1},  {-80, 0.1}}},
        {JID_RARM_1, {{-50, 0.6}, {-50, 0.6},  {-34, 0.1},  {-80, 0.1}}},
        {JID_LARM_2, {{30, 0.4},  {30, 0.4},   {0, 0.1},    {0, 0.1}}},
        {JID_RARM_2, {{-30, 0.4}, {-30, 0.4},  {0, 0.1},    {0, 0.1}}},
        {JID_LARM_3, {{-90, 0.1}, {-90, 0.1},  {0, 0.1},    {-90, 0.1}}},
        {JID_RARM_3, {{90, 0.1},  {90, 0.1},   {0, 0.1},    {90, 0.1}}},
        {JID_LARM_4, {{-75, 0.4}, {-75, 0.4},  {0, 0.1},    {-95, 0.1}}},
        {JID_RARM_4, {{75, 0.4},  {75, 0.4},   {0, 0.1},    {95, 0.1}}},
        {JID_LLEG_1, {{-70, 0.2}, {-90, 0.4},  {-90, 0.1},  {0, 0.1}}},
        {JID_RLEG_1, {{-70, 0.2}, {-90, 0.4},  {-90, 0.1},  {0, 0.1}}},
        {JID_LLEG_2, {{0, 0.2},   {-100, 0.4}, {0, 0.1},    {0, 0.2}}},
        {JID_RLEG_2, {{0, 0.2},   {100, 0.4},  {0, 0.1},    {0, 0.2}}},
        {JID_LLEG_3, {{90, 0.2},  {65, 0.4},   {100, 0.1},  {40.9, 0.2}}},
        {JID_RLEG_3, {{90, 0.2},  {65, 0.4},   {100, 0.1},  {40.9, 0.2}}},
        {JID_LLEG_4, {{0, 0.2},   {-130, 0.4}, {-130, 0.1}, {-65.9, 0.15}}},
        {JID_RLEG_4, {{0, 0.2},   {-130, 0.4}, {-130, 0.1}, {-65.9, 0.2}}},
        {JID_LLEG_5, {{0, 0.2},   {50, 0.2},   {5, 0.15},   {35, 0.15}}},
        {JID_RLEG_5, {{0, 0.2},   {50, 0.2},   {5, 0.15},   {35, 0.15}}},
        {JID_LLEG_6, {{0, 0.2},   {-5, 0.4},   {-20, 0.15}, {0, 0.22}}},
        {JID_RLEG_6, {{0, 0.2},   {5, 0.4},    {20, 0.15},  {0, 0.22}}},
    },
};

// CatchBall, end value 150: arms up, then the dive with one leg folded (hip pitch, knee and
// ankle pitch); cycles 0, 10 and 50-149 command nothing while the keeper lies still.
// Columns: 1-9, 11-49 with the left leg folded (iType 1), 11-49 with the right leg folded.
constexpr ColumnTable<3> kCatchBallTable = {
    {{1, 9},      {11, 49},     {11, 49}},
    // joint           1-9          11-49 iType 1  11-49 other iType
    {
        {JID_HEAD_1, {{0, 0.07},   {0, 0.07},   {0, 0.07}}},
        {JID_HEAD_2, {{0, 0.07},   {0, 0.07},   {0, 0.07}}},
        {JID_LARM_1, {{-90, 0.1},  {90, 0.7},   {90, 0.7}}},
        {JID_RARM_1, {{-90, 0.1},  {90, 0.7},   {90, 0.7}}},
        {JID_LARM_2, {{0, 0.1},    {0, 0.1},    {0, 0.1}}},
        {JID_RARM_2, {{0, 0.1},    {0, 0.1},    {0, 0.1}}},
        {JID_LARM_3, {{-90, 0.1},  {-90, 0.1},  {90, 0.1}}},
        {JID_RARM_3, {{90, 0.1},   {90, 0.1},   {-90, 0.1}}},
        {JID_LARM_4, {{-45, 0.1},  {0, 0.3},    {0, 0.3}}},
        {JID_RARM_4, {{45, 0.1},   {0, 0.3},    {0, 0.3}}},
        {JID_LLEG_1, {{0, 0.15},   {0, 0.15},   {0, 0.15}}},
        {JID_RLEG_1, {{0, 0.15},   {0, 0.15},   {0, 0.15}}},
        {JID_LLEG_2, {{0, 0.15},   {0, 0.15},   {0, 0.15}}},
        {JID_RLEG_2, {{0, 0.15},   {0, 0.15},   {0, 0.15}}},
        {JID_LLEG_3, {{30, 0.15},  {70, 0.3},   {30, 0.15}}},
        {JID_RLEG_3, {{30, 0.15},  {30, 0.15},  {70, 0.3}}},
        {JID_LLEG_4, {{-70, 0.15}, {-130, 0.3}, {-70, 0.15}}},
        {JID_RLEG_4, {{-70, 0.15}, {-70, 0.15}, {-130, 0.3}}},
        {JID_LLEG_5, {{40, 0.15},  {70, 0.3},   {40, 0.15}}},
        {JID_RLEG_5, {{40, 0.15},  {40, 0.15},  {70, 0.3}}},
        {JID_LLEG_6, {{0, 0.15},   {0, 0.15},   {0, 0.15}}},
        {JID_RLEG_6, {{0, 0.15},   {0, 0.15},   {0, 0.15}}},
    },
};
static_assert(EveryJointOnce(kClimbFaceUpTable), "every joint once");
static_assert(EveryJointOnce(kClimbFaceDownTable), "every joint once");
static_assert(EveryJointOnce(kCatchBallTable), "every joint once");

// ---- the frames the player runs

constexpr auto kKickLeftFrames = FromKickRows(kKickLeftRows);
constexpr auto kKickRightFrames = FromKickRows(kKickRightRows);
constexpr auto kKickLeftKarateFrames = FromKickRows(kKickLeftKarateRows);
constexpr auto kKickRightKarateFrames = FromKickRows(kKickRightKarateRows);
constexpr auto kKickLeftFootNewFrames = FromKickRows(kKickLeftFootNewRows);
constexpr auto kKickRightFootNewFrames = FromKickRows(kKickRightFootNewRows);
constexpr auto kBigKickFrames = FromKickRows(kBigKickRows);
constexpr auto kClimbFaceUpFrames = FromColumns(kClimbFaceUpTable);
constexpr auto kClimbFaceDownFrames = FromColumns(kClimbFaceDownTable);
constexpr auto kCatchLeftLegFrames = FromColumns(kCatchBallTable, {0, 1});
constexpr auto kCatchRightLegFrames = FromColumns(kCatchBallTable, {0, 2});

static_assert(WindowsInOrder(kKickLeftFrames, 95), "windows");
static_assert(WindowsInOrder(kKickRightFrames, 95), "windows");
static_assert(WindowsInOrder(kKickLeftKarateFrames, 105), "windows");
static_assert(WindowsInOrder(kKickRightKarateFrames, 105), "windows");
static_assert(WindowsInOrder(kKickLeftFootNewFrames, 80), "windows");
static_assert(WindowsInOrder(kKickRightFootNewFrames, 80), "windows");
static_assert(WindowsInOrder(kBigKickFrames, 150), "windows");
static_assert(WindowsEndToEnd(kBigKickFrames, 2), "the big kick swings without a pause");
static_assert(WindowsInOrder(kClimbFaceUpFrames, 125), "windows");
static_assert(WindowsInOrder(kClimbFaceDownFrames, 70), "windows");
static_assert(WindowsInOrder(kCatchLeftLegFrames, 150), "windows");
static_assert(WindowsInOrder(kCatchRightLegFrames, 150), "windows");

template <size_t N>
constexpr Motion MotionOf(const std::array<Frame, N>& frames, int iEndTime) {
    return Motion{frames.data(), N, iEndTime};
}

}  // namespace

const Motion kKickLeft = MotionOf(kKickLeftFrames, 95);
const Motion kKickRight = MotionOf(kKickRightFrames, 95);
const Motion kKickLeftKarate = MotionOf(kKickLeftKarateFrames, 105);
const Motion kKickRightKarate = MotionOf(kKickRightKarateFrames, 105);
const Motion kKickLeftFootNew = MotionOf(kKickLeftFootNewFrames, 80);
const Motion kKickRightFootNew = MotionOf(kKickRightFootNewFrames, 80);
const Motion kBigKick = MotionOf(kBigKickFrames, 150);
const Motion kClimbFaceUp = MotionOf(kClimbFaceUpFrames, 125);
const Motion kClimbFaceDown = MotionOf(kClimbFaceDownFrames, 70);
const Motion kCatchBallLeftLegFolded = MotionOf(kCatchLeftLegFrames, 150);
const Motion kCatchBallRightLegFolded = MotionOf(kCatchRightLegFrames, 150);

}  // namespace keyframe
