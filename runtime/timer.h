// Cycle timer shared by the key-frame motions: counts perception cycles while running.
// Global: `timer` (defined in corvane.cpp); advanced once per cycle by the cycle loop.
#pragma once
#include <cstdint>

class Timer {
public:
    Timer() = default;

    void SetTimer(long lTime) { count = lTime; flag = true; }
    long GetTime() const { return static_cast<long>(count); }
    bool IsTimerRun() const { return flag; }
    void Update(int j) { if (flag) count += j; }
    void CheckTimer() { if (flag) ++count; }
    void ClearTimer() { flag = false; count = 0; }
    void Pause() { flag = false; }
    void Start() { flag = true; }

    int64_t count = 0;  // elapsed cycles since SetTimer
    bool flag = false;  // count advances only while set
};
