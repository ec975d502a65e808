// Single-precision rigid-body math of the motion code: Vector3f, the 4x4 column-major
// transform Matrix (translation in m[12..14]) and Rodrigues. Value types; no globals.
#pragma once
#include <ostream>

#include "geometry/geo.h"

namespace salt {

class Vector3f {
public:
    constexpr Vector3f() : mData{0.0f, 0.0f, 0.0f} {}
    constexpr Vector3f(float x, float y, float z) : mData{x, y, z} {}

    float x() const { return mData[0]; }
    float y() const { return mData[1]; }
    float z() const { return mData[2]; }
    float& x() { return mData[0]; }
    float& y() { return mData[1]; }
    float& z() { return mData[2]; }
    float operator[](int i) const { return mData[i]; }
    float& operator[](int i) { return mData[i]; }

    Vector3f operator+(const Vector3f& o) const {
        return Vector3f(mData[0] + o.mData[0], mData[1] + o.mData[1], mData[2] + o.mData[2]);
    }
    Vector3f operator-(const Vector3f& o) const {
        return Vector3f(mData[0] - o.mData[0], mData[1] - o.mData[1], mData[2] - o.mData[2]);
    }
    Vector3f operator-() const { return Vector3f(-mData[0], -mData[1], -mData[2]); }
    Vector3f operator*(float s) const { return Vector3f(mData[0] * s, mData[1] * s, mData[2] * s); }
    Vector3f& operator+=(const Vector3f& o) { return *this = *this + o; }
    Vector3f& operator-=(const Vector3f& o) { return *this = *this - o; }

    float Length() const { return gSqrt(mData[0] * mData[0] + mData[1] * mData[1] + mData[2] * mData[2]); }

    float mData[3];
};

// Diagnostics print positions as three blank-separated numbers.
inline std::ostream& operator<<(std::ostream& os, const Vector3f& v) {
    return os << v.x() << ' ' << v.y() << ' ' << v.z();
}

class Matrix {
public:
    static const Matrix mIdentity;

    // A fresh matrix is the identity, so no pose is ever read uninitialised.
    Matrix() : m{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1} {}

    void Identity() { *this = mIdentity; }

    // Element in row r, column c.
    float operator()(int r, int c) const { return m[c * 4 + r]; }
    float& operator()(int r, int c) { return m[c * 4 + r]; }

    Vector3f Pos() const { return Vector3f(m[12], m[13], m[14]); }
    void SetPos(const Vector3f& p) {
        m[12] = p.x();
        m[13] = p.y();
        m[14] = p.z();
    }

    Vector3f Rotate(const Vector3f& v) const {
        return Vector3f(m[0] * v.x() + m[4] * v.y() + m[8] * v.z(),
                        m[1] * v.x() + m[5] * v.y() + m[9] * v.z(),
                        m[2] * v.x() + m[6] * v.y() + m[10] * v.z());
    }

    Vector3f operator*(const Vector3f& v) const { return Rotate(v) + Pos(); }

    Matrix operator*(const Matrix& b) const {
        Matrix r;
        for (int c = 0; c < 4; ++c) {
            for (int row = 0; row < 4; ++row) {
                r.m[c * 4 + row] = m[row] * b.m[c * 4] + m[4 + row] * b.m[c * 4 + 1] +
                                   m[8 + row] * b.m[c * 4 + 2] + m[12 + row] * b.m[c * 4 + 3];
            }
        }
        return r;
    }

    // The inverse of a rigid transform; the operand is left as it is, because the leg
    // solver keeps using the hip and ankle poses after inverting them.
    Matrix InvertRotationMatrix() const {
        Matrix r;
        for (int row = 0; row < 3; ++row) {
            for (int c = 0; c < 3; ++c) r(row, c) = (*this)(c, row);
        }
        const Vector3f p = r.Rotate(Pos());
        r.SetPos(-p);
        return r;
    }

    // Post-multiplication: each turns about the matrix's own (local) axis.
    void RotateX(float a) { MixColumns(1, 2, a); }
    void RotateY(float a) { MixColumns(2, 0, a); }
    void RotateZ(float a) { MixColumns(0, 1, a); }

    float m[16];

private:
    // this = this * R, where R turns column i towards column j by angle a.
    void MixColumns(int i, int j, float a) {
        const float c = gCos(a);
        const float s = gSin(a);
        for (int row = 0; row < 4; ++row) {
            const float ci = m[i * 4 + row];
            const float cj = m[j * 4 + row];
            m[i * 4 + row] = c * ci + s * cj;
            m[j * 4 + row] = -s * ci + c * cj;
        }
    }
};

inline const Matrix Matrix::mIdentity{};

}  // namespace salt

// Rotation by angle (radians) about a unit axis; the translation is zero.
inline salt::Matrix Rodrigues(const salt::Vector3f& axis, float angle) {
    const float ax = axis.x();
    const float ay = axis.y();
    const float az = axis.z();
    // Cross-product matrix W of the axis and its square, row by row.
    const float w[3][3] = {{0, -az, ay}, {az, 0, -ax}, {-ay, ax, 0}};
    const float s = salt::gSin(angle);
    const float k = 1.0f - salt::gCos(angle);
    salt::Matrix r;
    for (int row = 0; row < 3; ++row) {
        for (int c = 0; c < 3; ++c) {
            float w2 = 0.0f;
            for (int i = 0; i < 3; ++i) w2 += w[row][i] * w[i][c];
            r(row, c) = (row == c ? 1.0f : 0.0f) + s * w[row][c] + k * w2;
        }
    }
    return r;
}
