// Vector and polar math of the field frame; every degree-radian conversion uses kGeometryPi.
#include "geometry/geometry.h"

#include <cmath>

double NormalizeAngleDeg(double dAng) {
    if (!std::isfinite(dAng)) return dAng;
    if (dAng > 720.0 || dAng < -720.0) dAng = std::fmod(dAng, 360.0);
    while (dAng > 180.0) dAng -= 360.0;
    while (dAng < -180.0) dAng += 360.0;
    return dAng;
}

double Vector::GetMod() const { return std::sqrt(Vx * Vx + Vy * Vy + Vz * Vz); }

double Vector::GetXYAngle() const {
    if (Vx == 0.0) {
        if (Vy > 0.0) return 90.0;
        if (Vy < 0.0) return -90.0;
        return 0.0;
    }
    const double a = std::atan(Vy / Vx) * 180.0 / kGeometryPi;
    if (Vx > 0.0) return a;
    if (Vy > 0.0) return a + 180.0;
    if (Vy < 0.0) return a - 180.0;
    return -180.0;  // the negative x axis is always -180, never +180
}

void Vector::SetMod(double mod) {
    const double len = GetMod();
    // A zero-length vector has no direction to keep: it stays the zero vector.
    if (mod == 0.0 || len == 0.0) {
        Vx = Vy = Vz = 0.0;
        return;
    }
    Vx = Vx / len * mod;
    Vy = Vy / len * mod;
    Vz = Vz / len * mod;
}

Vector Vector::RotateInXY(double dAng) {
    const double r = GetMod();
    const double theta = NormalizeAngleDeg(GetXYAngle() + dAng) * kGeometryPi / 180.0;
    Vx = r * std::cos(theta);
    Vy = r * std::sin(theta);
    return *this;
}

Vector Geometry::ChangePolarToVector(const Polar& p) const {
    const double h = p.Py * kGeometryPi / 180.0;
    const double v = p.Pz * kGeometryPi / 180.0;
    return Vector(p.Px * std::cos(v) * std::cos(h), p.Px * std::cos(v) * std::sin(h),
                  p.Px * std::sin(v));
}
