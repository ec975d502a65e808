// Generic Kalman filter with a U-D factorised covariance (Thornton time update, Bierman
// scalar measurement updates); concrete filters override the model operations. No globals.
#pragma once
#include <cstdint>
#include <vector>

namespace Kalman {

// Dense vector with element access from index BEG. Storage is only reallocated when the
// size changes, so a filter with fixed sizes does not allocate after its first step.
template <typename T, unsigned long BEG>
class KVector {
public:
    KVector() = default;
    explicit KVector(unsigned long n, T value = T()) : data_(n, value) {}

    unsigned long size() const { return data_.size(); }
    void resize(unsigned long n) { data_.assign(n, T()); }
    T& operator()(unsigned long i) { return data_[i - BEG]; }
    const T& operator()(unsigned long i) const { return data_[i - BEG]; }

private:
    std::vector<T> data_;
};

// Dense row-major matrix with element access (row, column) from index BEG.
template <typename T, unsigned long BEG>
class KMatrix {
public:
    KMatrix() = default;
    KMatrix(unsigned long rows, unsigned long cols, T value = T())
        : rows_(rows), cols_(cols), data_(rows * cols, value) {}

    unsigned long rows() const { return rows_; }
    unsigned long cols() const { return cols_; }
    void resize(unsigned long rows, unsigned long cols) {
        rows_ = rows;
        cols_ = cols;
        data_.assign(rows * cols, T());
    }
    T& operator()(unsigned long i, unsigned long j) { return data_[(i - BEG) * cols_ + (j - BEG)]; }
    const T& operator()(unsigned long i, unsigned long j) const {
        return data_[(i - BEG) * cols_ + (j - BEG)];
    }

private:
    unsigned long rows_ = 0;
    unsigned long cols_ = 0;
    std::vector<T> data_;
};

// OQ: the process noise is diagonal (no factorisation of Q needed).
// OVR: the measurement noise is diagonal (components are processed one at a time; the
// only mode implemented). DBG: checking and tracing, not implemented.
template <typename T, unsigned long BEG, bool OQ = false, bool OVR = false, bool DBG = false>
class RoboKFilter {
    static_assert(OVR, "only diagonal measurement noise is supported");

public:
    typedef KVector<T, BEG> Vec;
    typedef KMatrix<T, BEG> Mat;

    RoboKFilter() = default;
    virtual ~RoboKFilter() = default;

    void setDim(uint32_t n_, uint32_t nu_, uint32_t nw_, uint32_t m_, uint32_t nv_);

    // x0 has n elements, P0 is n x n symmetric positive semi-definite.
    void init(const Vec& x0, const Mat& P0);
    void step(const Vec& u_, const Vec& z_) {
        timeUpdateStep(u_);
        measureUpdateStep(z_);
    }
    void timeUpdateStep(const Vec& u_);
    void measureUpdateStep(const Vec& z_);

    const Vec& getX() const { return x; }
    // The covariance U·D·Uᵀ, rebuilt from the factors on demand (diagnostics and tests).
    const Mat& calculateP();

    uint32_t getSizeX() const { return n; }
    uint32_t getSizeU() const { return nu; }
    uint32_t getSizeW() const { return nw; }
    uint32_t getSizeZ() const { return m; }
    uint32_t getSizeV() const { return nv; }

protected:
    virtual void makeBaseB() {}
    virtual void makeB() { modified_ = false; }
    virtual void makeBaseA() {}
    virtual void makeBaseW() {}
    virtual void makeBaseQ() {}
    virtual void makeBaseH() {}
    virtual void makeBaseV() {}
    virtual void makeBaseR() {}
    virtual void makeCommonProcess() {}
    virtual void makeA() { modified_ = false; }
    virtual void makeW() { modified_ = false; }
    virtual void makeQ() { modified_ = false; }
    virtual void makeProcess();
    virtual void makeCommonMeasure() {}
    virtual void makeH() { modified_ = false; }
    virtual void makeV() { modified_ = false; }
    virtual void makeR() { modified_ = false; }
    virtual void makeMeasure();
    virtual void makeDZ() {}
    virtual void sizeUpdate();

    Mat B;
    Vec x;
    Vec u;
    Vec z;
    Vec dz;
    Mat A;
    Mat W;
    Mat Q;
    Mat H;
    Mat V;
    Mat R;

    uint32_t n = 0;
    uint32_t nu = 0;
    uint32_t nw = 0;
    uint32_t m = 0;
    uint32_t nv = 0;

    enum : uint16_t {
        kSizeXChanged = 1u << 0,
        kSizeUChanged = 1u << 1,
        kSizeWChanged = 1u << 2,
        kSizeZChanged = 1u << 3,
        kSizeVChanged = 1u << 4,
        kQModified = 1u << 5,
        kWModified = 1u << 6,
        kAllSizes = 0x1F,
    };
    uint16_t flags = 0;

    Vec xTmp_;  // A·x before it replaces x
    Mat U;      // unit upper triangle of the factor, D on the diagonal
    Mat W_;     // [A·U | W·Uq] while re-triangularising
    Mat Q_;     // factorised Q: Uq strictly above the diagonal, Dq on it
    Mat H_;     // unused with diagonal measurement noise; kept for the model's shape
    Vec R_;     // effective scalar measurement variances
    Vec a;
    Vec d;
    Vec v;
    uint32_t nn = 0;  // n + nw
    Mat P_;
    Vec xCorr_;  // state correction accumulated over one measurement step
    bool modified_ = false;

private:
    static void factor(Mat& P);
    void refactorQ();
    void timeUpdate();
    void measureUpdateScalar(uint32_t row, T innovation, T r);
};

template <typename T, unsigned long BEG, bool OQ, bool OVR, bool DBG>
void RoboKFilter<T, BEG, OQ, OVR, DBG>::setDim(uint32_t n_, uint32_t nu_, uint32_t nw_, uint32_t m_,
                                                uint32_t nv_) {
    if (n_ != n) { n = n_; flags |= kSizeXChanged; }
    if (nu_ != nu) { nu = nu_; flags |= kSizeUChanged; }
    if (nw_ != nw) { nw = nw_; flags |= kSizeWChanged; }
    if (m_ != m) { m = m_; flags |= kSizeZChanged; }
    if (nv_ != nv) { nv = nv_; flags |= kSizeVChanged; }
}

template <typename T, unsigned long BEG, bool OQ, bool OVR, bool DBG>
void RoboKFilter<T, BEG, OQ, OVR, DBG>::sizeUpdate() {
    if (!(flags & kAllSizes)) return;
    const uint16_t changed = flags;
    nn = n + nw;
    if (changed & (kSizeXChanged | kSizeUChanged)) {
        B.resize(n, nu);
        u.resize(nu);
        makeBaseB();
    }
    if (changed & kSizeXChanged) {
        x.resize(n);
        xTmp_.resize(n);
        A.resize(n, n);
        U.resize(n, n);
        xCorr_.resize(n);
        P_.resize(n, n);
        makeBaseA();
    }
    if (changed & (kSizeXChanged | kSizeWChanged)) {
        W.resize(n, nw);
        W_.resize(n, nn);
        a.resize(nn);
        d.resize(nn);
        v.resize(nn);
        makeBaseW();
        flags |= kWModified;
    }
    if (changed & kSizeWChanged) {
        Q.resize(nw, nw);
        Q_.resize(nw, nw);
        makeBaseQ();
        flags |= kQModified;
    }
    if (changed & (kSizeXChanged | kSizeZChanged)) {
        z.resize(m);
        dz.resize(m);
        H.resize(m, n);
        H_.resize(m, n);
        makeBaseH();
    }
    if (changed & (kSizeZChanged | kSizeVChanged)) {
        V.resize(m, nv);
        R_.resize(m);
        makeBaseV();
    }
    if (changed & kSizeVChanged) {
        R.resize(nv, nv);
        makeBaseR();
    }
    flags &= static_cast<uint16_t>(~kAllSizes);
}

template <typename T, unsigned long BEG, bool OQ, bool OVR, bool DBG>
void RoboKFilter<T, BEG, OQ, OVR, DBG>::init(const Vec& x0, const Mat& P0) {
    sizeUpdate();
    for (uint32_t i = BEG; i < n + BEG; ++i) {
        x(i) = x0(i);
        for (uint32_t j = BEG; j < n + BEG; ++j) U(i, j) = P0(i, j);
    }
    factor(U);
}

// In-place U-D factorisation of a symmetric matrix, reading its upper triangle: from the
// last column backward, scale the column by its pivot and remove its share from the
// columns to the left. A zero pivot means a zero column (semi-definite input).
template <typename T, unsigned long BEG, bool OQ, bool OVR, bool DBG>
void RoboKFilter<T, BEG, OQ, OVR, DBG>::factor(Mat& P) {
    const unsigned long size = P.rows();
    for (unsigned long l = size - 1 + BEG; l > BEG; --l) {
        const T alpha = P(l, l);
        for (unsigned long k = BEG; k < l; ++k) {
            const T beta = P(k, l);
            P(k, l) = alpha != T(0) ? beta / alpha : T(0);
            for (unsigned long j = BEG; j <= k; ++j) P(j, k) -= P(j, l) * beta;
        }
    }
}

// Q = Uq·Dq·Uqᵀ; the process noise then enters as independent components Dq through
// the gain W·Uq, which timeUpdate rebuilds from W and Q_ every step.
template <typename T, unsigned long BEG, bool OQ, bool OVR, bool DBG>
void RoboKFilter<T, BEG, OQ, OVR, DBG>::refactorQ() {
    for (uint32_t i = BEG; i < nw + BEG; ++i)
        for (uint32_t j = BEG; j < nw + BEG; ++j) Q_(i, j) = (OQ && i != j) ? T(0) : Q(i, j);
    if (!OQ) factor(Q_);
}

template <typename T, unsigned long BEG, bool OQ, bool OVR, bool DBG>
void RoboKFilter<T, BEG, OQ, OVR, DBG>::makeProcess() {
    for (uint32_t i = BEG; i < n + BEG; ++i) {
        T sum = T(0);
        for (uint32_t j = BEG; j < n + BEG; ++j) sum += A(i, j) * x(j);
        for (uint32_t j = BEG; j < nu + BEG; ++j) sum += B(i, j) * u(j);
        xTmp_(i) = sum;
    }
    for (uint32_t i = BEG; i < n + BEG; ++i) x(i) = xTmp_(i);
}

template <typename T, unsigned long BEG, bool OQ, bool OVR, bool DBG>
void RoboKFilter<T, BEG, OQ, OVR, DBG>::makeMeasure() {
    for (uint32_t i = BEG; i < m + BEG; ++i) {
        T sum = T(0);
        for (uint32_t j = BEG; j < n + BEG; ++j) sum += H(i, j) * x(j);
        z(i) = sum;
    }
}

template <typename T, unsigned long BEG, bool OQ, bool OVR, bool DBG>
void RoboKFilter<T, BEG, OQ, OVR, DBG>::timeUpdateStep(const Vec& u_) {
    if (u_.size() != nu) setDim(n, static_cast<uint32_t>(u_.size()), nw, m, nv);
    sizeUpdate();
    for (uint32_t i = BEG; i < nu + BEG; ++i) u(i) = u_(i);

    makeCommonProcess();
    modified_ = true;
    makeA();
    modified_ = true;
    makeW();
    if (modified_) flags |= kWModified;
    modified_ = true;
    makeQ();
    if (modified_) flags |= kQModified;
    if (flags & kQModified) refactorQ();
    flags &= static_cast<uint16_t>(~(kQModified | kWModified));

    makeProcess();
    timeUpdate();
}

// Thornton: the rows of [A·U | W·Uq] weighted by [D; Dq] are re-orthogonalised from the
// last row up (modified weighted Gram-Schmidt), giving U and D of A·P·Aᵀ + W·Q·Wᵀ.
template <typename T, unsigned long BEG, bool OQ, bool OVR, bool DBG>
void RoboKFilter<T, BEG, OQ, OVR, DBG>::timeUpdate() {
    const uint32_t last = n + BEG - 1;
    for (uint32_t i = BEG; i <= last; ++i) {
        for (uint32_t j = BEG; j <= last; ++j) {
            T sum = A(i, j);  // unit diagonal of U
            for (uint32_t k = BEG; k < j; ++k) sum += A(i, k) * U(k, j);
            W_(i, j) = sum;
        }
        for (uint32_t j = BEG; j < nw + BEG; ++j) {
            T sum = W(i, j);
            for (uint32_t k = BEG; k < j; ++k) sum += W(i, k) * Q_(k, j);
            W_(i, n + j) = sum;
        }
    }
    for (uint32_t j = BEG; j <= last; ++j) d(j) = U(j, j);
    for (uint32_t j = BEG; j < nw + BEG; ++j) d(n + j) = Q_(j, j);

    for (uint32_t i = last; i >= BEG; --i) {
        T sigma = T(0);
        for (uint32_t j = BEG; j < nn + BEG; ++j) {
            v(j) = W_(i, j);
            a(j) = d(j) * v(j);
            sigma += v(j) * a(j);
        }
        U(i, i) = sigma;
        if (i == BEG) break;
        const T dinv = sigma != T(0) ? T(1) / sigma : T(0);
        for (uint32_t k = BEG; k < i; ++k) {
            T s = T(0);
            for (uint32_t j = BEG; j < nn + BEG; ++j) s += W_(k, j) * a(j);
            s *= dinv;
            for (uint32_t j = BEG; j < nn + BEG; ++j) W_(k, j) -= s * v(j);
            U(k, i) = s;
        }
    }
}

template <typename T, unsigned long BEG, bool OQ, bool OVR, bool DBG>
void RoboKFilter<T, BEG, OQ, OVR, DBG>::measureUpdateStep(const Vec& z_) {
    if (z_.size() != m) setDim(n, nu, nw, static_cast<uint32_t>(z_.size()), nv);
    sizeUpdate();

    makeCommonMeasure();
    modified_ = true;
    makeH();
    modified_ = true;
    makeV();
    modified_ = true;
    makeR();
    makeMeasure();
    for (uint32_t i = BEG; i < m + BEG; ++i) dz(i) = z_(i) - z(i);
    makeDZ();

    for (uint32_t i = BEG; i < m + BEG; ++i) {
        const T vii = V(i, i);
        R_(i) = vii * vii * R(i, i);
    }
    for (uint32_t i = BEG; i < n + BEG; ++i) xCorr_(i) = T(0);
    for (uint32_t j = BEG; j < m + BEG; ++j) {
        T innovation = dz(j);
        for (uint32_t k = BEG; k < n + BEG; ++k) innovation -= H(j, k) * xCorr_(k);
        measureUpdateScalar(j, innovation, R_(j));
    }
    for (uint32_t i = BEG; i < n + BEG; ++i) x(i) += xCorr_(i);
}

// Bierman: one scalar observation with row `row` of H and variance r; updates U, D and
// adds the gain times the innovation to the accumulated correction.
template <typename T, unsigned long BEG, bool OQ, bool OVR, bool DBG>
void RoboKFilter<T, BEG, OQ, OVR, DBG>::measureUpdateScalar(uint32_t row, T innovation, T r) {
    const uint32_t last = n + BEG - 1;
    for (uint32_t k = last; k >= BEG; --k) {  // a = Uᵀ·h, in place from the last element
        T sum = H(row, k);
        for (uint32_t i = BEG; i < k; ++i) sum += U(i, k) * H(row, i);
        a(k) = sum;
        if (k == BEG) break;
    }
    for (uint32_t k = BEG; k <= last; ++k) v(k) = U(k, k) * a(k);

    T alpha = r + v(BEG) * a(BEG);
    U(BEG, BEG) = alpha != T(0) ? U(BEG, BEG) * r / alpha : T(0);
    for (uint32_t k = BEG + 1; k <= last; ++k) {
        const T beta = alpha;
        alpha += v(k) * a(k);
        const T lambda = beta != T(0) ? -a(k) / beta : T(0);
        U(k, k) = alpha != T(0) ? U(k, k) * beta / alpha : T(0);
        for (uint32_t i = BEG; i < k; ++i) {
            const T uik = U(i, k);
            U(i, k) = uik + v(i) * lambda;
            v(i) += v(k) * uik;
        }
    }
    const T gainScale = alpha != T(0) ? innovation / alpha : T(0);
    for (uint32_t k = BEG; k <= last; ++k) xCorr_(k) += v(k) * gainScale;
}

template <typename T, unsigned long BEG, bool OQ, bool OVR, bool DBG>
const typename RoboKFilter<T, BEG, OQ, OVR, DBG>::Mat& RoboKFilter<T, BEG, OQ, OVR, DBG>::calculateP() {
    const uint32_t last = n + BEG - 1;
    for (uint32_t i = BEG; i <= last; ++i) {
        for (uint32_t j = i; j <= last; ++j) {
            // (U D Uᵀ)(i, j) = sum over k >= j of U(i,k)·D(k)·U(j,k), unit diagonal implied
            T sum = T(0);
            for (uint32_t k = j; k <= last; ++k) {
                const T uik = (i == k) ? T(1) : U(i, k);
                const T ujk = (j == k) ? T(1) : U(j, k);
                sum += uik * U(k, k) * ujk;
            }
            P_(i, j) = sum;
            P_(j, i) = sum;
        }
    }
    return P_;
}

}  // namespace Kalman
