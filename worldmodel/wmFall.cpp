// Fall detection from the gyroscope (integrated tilt) and the accelerometer (gravity
// leaving the vertical axis). Globals: none; reads the world model's sensor copies and
// prints one diagnostic line per report.
#include <cmath>
#include <iostream>

#include "worldmodel/worldmodel.h"

void WorldModel::UpdateFallState(int iClearType) {
    if (iClearType == 1) {
        m_FallState = FALL_NONE;
        DetectFallState_Gyro(true);
        return;
    }
    if (iClearType == 2) {
        DetectFallState_Gyro(true);
        return;
    }
    // Both detectors run every cycle so that both keep counting.
    const FALLTYPE gyro = DetectFallState_Gyro(false);
    const FALLTYPE acc = DetectFallState_Acc(false);
    if (gyro != FALL_NONE) m_FallState = gyro;
    else if (acc != FALL_NONE) m_FallState = acc;
}

namespace {

constexpr double kCycleSec = 0.02;

// Counts cycles with the tilt beyond 45 degrees and restarts below 30; in between the
// count is kept, so a wobble near the threshold neither reports nor forgets.
void CountTilt(double dTiltDeg, int& iCount) {
    if (dTiltDeg < 30) iCount = 0;
    if (dTiltDeg > 45) ++iCount;
}

}  // namespace

FALLTYPE WorldModel::DetectFallState_Gyro(bool bClear) {
    if (bClear) {
        m_dGyroBodyAngleXDeg = m_dGyroBodyAngleYDeg = 0.0;
        m_iGyroXFallingSign = m_iGyroYFallingSign = 0;
        return m_FallState;
    }
    m_dGyroBodyAngleXDeg += kCycleSec * m_Gyro.dx;
    m_dGyroBodyAngleYDeg += kCycleSec * m_Gyro.dy;
    const double x = std::fabs(m_dGyroBodyAngleXDeg);
    const double y = std::fabs(m_dGyroBodyAngleYDeg);
    const FALLTYPE direction = m_dGyroBodyAngleXDeg < 0 ? FALL_DOWN : FALL_UP;

    CountTilt(x, m_iGyroXFallingSign);
    if (m_iGyroXFallingSign > 8 && (x > 65 || (m_iGyroXFallingSign > 16 && y > 50))) {
        std::cout << "Fall_Gyro_X!" << std::endl;
        return direction;
    }
    CountTilt(y, m_iGyroYFallingSign);
    if (m_iGyroYFallingSign > 8 && (y > 65 || (m_iGyroYFallingSign > 16 && y > 50))) {
        std::cout << "Fall_Gyro_Y!" << std::endl;
        return direction;
    }
    return FALL_NONE;
}

namespace {

// Below 3 m/s² the axis is quiet (restart), above 6 it carries gravity (count).
void CountAcc(double dAcc, int& iCount) {
    if (dAcc < 3) iCount = 0;
    if (dAcc > 6) ++iCount;
}

}  // namespace

FALLTYPE WorldModel::DetectFallState_Acc(bool bClear) {
    if (bClear) {
        m_iAccFallingSignX = m_iAccFallingSignY = m_iAccNotStandingSignZ = 0;
        return m_FallState;
    }
    const double ax = std::fabs(m_Acc.dx);
    const double ay = std::fabs(m_Acc.dy);
    const double az = std::fabs(m_Acc.dz);
    CountAcc(ax, m_iAccFallingSignX);
    CountAcc(ay, m_iAccFallingSignY);
    // A robot propped on its arms face down rests with the torso tilted about 60 degrees:
    // z then stays between the thresholds for good, so gravity lying mostly on x or y
    // also counts as not standing, or that robot would never be reported.
    const bool gravityOffVertical = az <= 6 && (ax > 6 || ay > 6);
    if (az > 6) m_iAccNotStandingSignZ = 0;
    if (az < 3 || gravityOffVertical) ++m_iAccNotStandingSignZ;

    if (m_iAccNotStandingSignZ <= 6) return FALL_NONE;
    const FALLTYPE direction = m_Acc.dy < 0 ? FALL_DOWN : FALL_UP;
    if (m_iAccFallingSignX > 7 && (ax > 7 || m_iAccFallingSignX > 14)) {
        std::cout << "Fall_Acc_X!" << std::endl;
        return direction;
    }
    if (m_iAccFallingSignY > 7 && (ay > 7 || m_iAccFallingSignY > 14)) {
        std::cout << "Fall_Acc_Y!" << std::endl;
        return direction;
    }
    return FALL_NONE;
}
