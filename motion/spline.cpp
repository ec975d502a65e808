// Cubic spline construction (tridiagonal sweep) and bisection lookup.
// No globals; diagnostics go to standard output.
#include "motion/spline.h"

#include <cmath>
#include <iostream>

namespace {

constexpr float kNaturalSlope = 9.9e29f;

}  // namespace

Spline::Spline(const float* x, const float* y, int n) {
    SetBreakPoints(x, y, n, 0.0f, 0.0f);
}

void Spline::SetBreakPoints(const float* x, const float* y, int n, float yp1, float ypn) {
    m_n = n > 0 ? n : 0;
    m_yp1 = yp1;
    m_ypn = ypn;
    m_x.assign(m_n + 1, 0.0f);
    m_y.assign(m_n + 1, 0.0f);
    m_y2.assign(m_n + 1, 0.0f);
    for (int i = 0; i < m_n; ++i) {
        m_x[i + 1] = x[i];
        m_y[i + 1] = y[i];
    }
}

bool Spline::General() {
    const int n = m_n;
    // A cubic needs an interval, and every interval needs a width to divide by.
    if (n < 2) return false;
    for (int i = 1; i < n; ++i) {
        if (m_x[i + 1] == m_x[i]) return false;
    }
    const std::vector<float>& x = m_x;
    const std::vector<float>& y = m_y;
    std::vector<float>& y2 = m_y2;
    std::vector<float>& u = m_u;
    u.assign(n + 1, 0.0f);
    if (m_yp1 > kNaturalSlope) {
        y2[1] = u[1] = 0.0f;
    } else {
        y2[1] = -0.5f;
        u[1] = (3.0f / (x[2] - x[1])) * ((y[2] - y[1]) / (x[2] - x[1]) - m_yp1);
    }
    for (int i = 2; i <= n - 1; ++i) {
        const float sig = (x[i] - x[i - 1]) / (x[i + 1] - x[i - 1]);
        const float p = sig * y2[i - 1] + 2.0f;
        y2[i] = (sig - 1.0f) / p;
        const float d = (y[i + 1] - y[i]) / (x[i + 1] - x[i]) - (y[i] - y[i - 1]) / (x[i] - x[i - 1]);
        u[i] = (6.0f * d / (x[i + 1] - x[i - 1]) - sig * u[i - 1]) / p;
    }
    float qn = 0.0f;
    float un = 0.0f;
    if (!(m_ypn > kNaturalSlope)) {
        qn = 0.5f;
        un = (3.0f / (x[n] - x[n - 1])) * (m_ypn - (y[n] - y[n - 1]) / (x[n] - x[n - 1]));
    }
    y2[n] = (un - qn * u[n - 1]) / (qn * y2[n - 1] + 1.0f);
    for (int k = n - 1; k >= 1; --k) y2[k] = y2[k] * y2[k + 1] + u[k];
    for (int k = 1; k <= n; ++k) {
        if (std::isnan(y2[k])) return false;
    }
    return true;
}

float Spline::GetYGivenX(float x, int der) const {
    if (der < 0) {
        std::cout << "(Spline) GetYGivenX der error";
        return 0.0f;
    }
    if (m_n < 1) return 0.0f;
    int klo = 1;
    int khi = m_n;
    while (khi - klo > 1) {
        const int k = (khi + klo) / 2;
        if (x < m_x[k]) {
            khi = k;
        } else {
            klo = k;
        }
    }
    const float h = m_x[khi] - m_x[klo];
    if (h == 0.0f) {
        // No interval to interpolate over: hold the breakpoint value, which is flat.
        std::cout << "Bad x input to routine splint";
        return der == 0 ? m_y[klo] : 0.0f;
    }
    const float a = (m_x[khi] - x) / h;
    const float b = (x - m_x[klo]) / h;
    const double ylo = m_y[klo], yhi = m_y[khi], y2lo = m_y2[klo], y2hi = m_y2[khi];
    if (der == 0) {
        return static_cast<float>(a * ylo + b * yhi + ((a * a * a - a) * y2lo + (b * b * b - b) * y2hi) * (h * h) / 6.0);
    }
    if (der == 1) {
        return static_cast<float>((yhi - ylo) / h - ((3.0 * a * a - 1.0) * y2lo - (3.0 * b * b - 1.0) * y2hi) * h / 6.0);
    }
    if (der == 2) return a * m_y2[klo] + b * m_y2[khi];
    return 0.0f;
}
