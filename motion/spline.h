// One-dimensional cubic interpolating spline (natural or clamped ends, one-based arrays),
// used by the walk to blend the turn in and out over a step. No globals.
#pragma once
#include <vector>

class Spline {
public:
    Spline() = default;
    Spline(const float* x, const float* y, int n);

    // Copies x[0..n-1] and y[0..n-1]; an end slope above 9.9e29 selects a natural end.
    void SetBreakPoints(const float* x, const float* y, int n, float yp1, float ypn);
    // Second derivatives at the breakpoints; false when they cannot be computed.
    bool General();
    // Value (der 0), slope (der 1) or curvature (der 2) at x; the end cubics extrapolate.
    float GetYGivenX(float x, int der) const;

    // Element 0 is never read; elements 1..n hold the breakpoints.
    std::vector<float> m_x;
    std::vector<float> m_y;
    std::vector<float> m_y2;
    float m_yp1 = 0.0f;
    float m_ypn = 0.0f;
    int m_n = 0;

private:
    std::vector<float> m_u;  // scratch of General, kept so that a refit does not allocate
};
