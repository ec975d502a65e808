// Field geometry in double precision: Vector (metres), Polar (distance, degrees) and the
// polar-to-vector conversion. Pure value types; no globals read or written.
#pragma once

// Degree-radian conversion of the field geometry; other code compares against angles
// computed with this value, so it is deliberately not full-precision pi.
constexpr double kGeometryPi = 3.1415926;
// Full-precision pi, for the simulated world of the tools and for ground truth.
constexpr double kFullPi = 3.14159265358979323846;

// The league's pitch, metres: touchlines at y = +-kHalfFieldWidthM, goal lines at
// x = +-kHalfFieldLengthM, the goal posts kGoalWidthM apart and kGoalHeightM high.
constexpr double kFieldLengthM = 30.0;
constexpr double kFieldWidthM = 20.0;
constexpr double kGoalWidthM = 2.1;
constexpr double kGoalHeightM = 0.8;
constexpr double kHalfFieldLengthM = kFieldLengthM / 2;
constexpr double kHalfFieldWidthM = kFieldWidthM / 2;
constexpr double kGoalPostYM = kGoalWidthM / 2;

// Brings an angle in degrees into [-180, 180]; the bounds themselves stay put. A huge
// value is first reduced with fmod and a non-finite one is returned unchanged, so the
// loop always ends.
double NormalizeAngleDeg(double dAng);

class Vector {
public:
    Vector() = default;
    Vector(double x, double y, double z) : Vx(x), Vy(y), Vz(z) {}

    bool operator==(const Vector& o) const { return Vx == o.Vx && Vy == o.Vy && Vz == o.Vz; }
    bool operator!=(const Vector& o) const { return !(*this == o); }
    Vector operator+(const Vector& o) const { return Vector(Vx + o.Vx, Vy + o.Vy, Vz + o.Vz); }
    Vector operator-(const Vector& o) const { return Vector(Vx - o.Vx, Vy - o.Vy, Vz - o.Vz); }
    Vector operator*(double s) const { return Vector(Vx * s, Vy * s, Vz * s); }
    Vector operator/(double s) const { return Vector(Vx / s, Vy / s, Vz / s); }

    double DotMultiply(const Vector& a, const Vector& b) const {
        return a.Vx * b.Vx + a.Vy * b.Vy + a.Vz * b.Vz;
    }
    double GetMod() const;
    double GetXYAngle() const;
    void SetMod(double mod);
    Vector RotateInXY(double dAng);

    double GetVx() const { return Vx; }
    double GetVy() const { return Vy; }
    double GetVz() const { return Vz; }
    void SetVx(double x) { Vx = x; }
    void SetVy(double y) { Vy = y; }
    void SetVz(double z) { Vz = z; }

    double Vx = 0.0;
    double Vy = 0.0;
    double Vz = 0.0;
};

class Polar {
public:
    Polar() = default;
    Polar(double d, double h, double v) : Px(d), Py(h), Pz(v) {}

    double GetPx() const { return Px; }
    double GetPy() const { return Py; }
    double GetPz() const { return Pz; }

    double Px = 0.0;  // distance, metres
    double Py = 0.0;  // horizontal angle, degrees
    double Pz = 0.0;  // vertical angle, degrees
};

class Geometry {
public:
    Vector ChangePolarToVector(const Polar& p) const;
};
