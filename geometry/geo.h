// Scalar angle and root helpers of the motion code, for float and double alike.
// Pure functions; no globals read or written.
#pragma once
#include <cmath>

namespace salt {

// Motion converts with this constant everywhere; the field geometry uses its own.
constexpr double kDegToRad = 0.017453292519943295;

template <typename T>
inline T gDegToRad(T deg) {
    return static_cast<T>(deg * kDegToRad);
}

template <typename T>
inline T gRadToDeg(T rad) {
    return static_cast<T>(rad / kDegToRad);
}

template <typename T>
inline T gSin(T a) {
    return std::sin(a);
}

template <typename T>
inline T gCos(T a) {
    return std::cos(a);
}

template <typename T>
inline T gArcSin(T v) {
    return std::asin(v);
}

template <typename T>
inline T gArcCos(T v) {
    return std::acos(v);
}

template <typename T>
inline T gArcTan2(T y, T x) {
    return std::atan2(y, x);
}

template <typename T>
inline T gSqrt(T v) {
    return std::sqrt(v);
}

// Zero (and NaN) have no sign: the leg solver relies on 0 for a hip level with the ankle.
template <typename T>
inline T gSign(T v) {
    if (v > T(0)) return T(1);
    if (v < T(0)) return T(-1);
    return T(0);
}

}  // namespace salt
