// Model of the ground-plane position filter used for the ball and the own position.
// No globals.
#include "worldmodel/posfilter.h"

namespace {

void Set2x2(cPosKF::Mat& m, double m11, double m12, double m21, double m22) {
    m(1, 1) = m11;
    m(1, 2) = m12;
    m(2, 1) = m21;
    m(2, 2) = m22;
}

}  // namespace

cPosKF::cPosKF() : input_(2), measurement_(2), seedState_(2), seedCovariance_(2, 2) {
    setDim(2, 2, 2, 2, 2);
}

cPosKF::~cPosKF() = default;

void cPosKF::Seed(double x, double y, double dVariance) {
    seedState_(1) = x;
    seedState_(2) = y;
    Set2x2(seedCovariance_, dVariance, 0.0, 0.0, dVariance);
    init(seedState_, seedCovariance_);
}

void cPosKF::Observe(double x, double y) {
    Predict(0.0, 0.0);
    Correct(x, y);
}

void cPosKF::Predict(double dxM, double dyM) {
    input_(1) = dxM;
    input_(2) = dyM;
    timeUpdateStep(input_);
}

void cPosKF::Correct(double x, double y) {
    measurement_(1) = x;
    measurement_(2) = y;
    measureUpdateStep(measurement_);
}

// The input is a displacement in the state's own frame and units.
void cPosKF::makeBaseB() {
    Set2x2(B, 1.0, 0.0, 0.0, 1.0);
}

// A and H are set in full every step; the base versions have nothing to add.
void cPosKF::makeBaseA() {}
void cPosKF::makeBaseH() {}

void cPosKF::makeBaseW() {
    Set2x2(W, 1.0, 0.0, 0.0, 1.0);
}

void cPosKF::makeBaseQ() {
    Set2x2(Q, 0.0002, 0.00001, 0.00001, 0.0002);
}

void cPosKF::makeBaseV() {
    Set2x2(V, 1.0, 0.0, 0.0, 1.0);
}

// The camera measures y sixteen times less precisely than x.
void cPosKF::makeBaseR() {
    Set2x2(R, 0.0005, 0.0, 0.0, 0.008);
}

void cPosKF::makeA() {
    Set2x2(A, 1.0, 0.0, 0.0, 1.0);
}

void cPosKF::makeH() {
    Set2x2(H, 1.0, 0.0, 0.0, 1.0);
}
