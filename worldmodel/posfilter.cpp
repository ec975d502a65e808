// Model of the ground-plane position filter used for the ball and the own position.
// No globals.
#include "worldmodel/posfilter.h"

cPosKF::cPosKF() : measurement_(2), seedState_(2), seedCovariance_(2, 2) {
    setDim(2, 0, 2, 2, 2);
}

cPosKF::~cPosKF() = default;

void cPosKF::Seed(double x, double y, double dVariance) {
    seedState_(1) = x;
    seedState_(2) = y;
    seedCovariance_(1, 1) = dVariance;
    seedCovariance_(1, 2) = 0.0;
    seedCovariance_(2, 1) = 0.0;
    seedCovariance_(2, 2) = dVariance;
    init(seedState_, seedCovariance_);
}

void cPosKF::Observe(double x, double y) {
    measurement_(1) = x;
    measurement_(2) = y;
    timeUpdateStep(noInput_);
    measureUpdateStep(measurement_);
}

// A and H are set in full every step; the base versions have nothing to add.
void cPosKF::makeBaseA() {}
void cPosKF::makeBaseH() {}

void cPosKF::makeBaseW() {
    W(1, 1) = 1.0;
    W(1, 2) = 0.0;
    W(2, 1) = 0.0;
    W(2, 2) = 1.0;
}

void cPosKF::makeBaseQ() {
    Q(1, 1) = 0.0002;
    Q(1, 2) = 0.00001;
    Q(2, 1) = 0.00001;
    Q(2, 2) = 0.0002;
}

void cPosKF::makeBaseV() {
    V(1, 1) = 1.0;
    V(1, 2) = 0.0;
    V(2, 1) = 0.0;
    V(2, 2) = 1.0;
}

// The camera measures y sixteen times less precisely than x.
void cPosKF::makeBaseR() {
    R(1, 1) = 0.0005;
    R(1, 2) = 0.0;
    R(2, 1) = 0.0;
    R(2, 2) = 0.008;
}

void cPosKF::makeA() {
    A(1, 1) = 1.0;
    A(1, 2) = 0.0;
    A(2, 1) = 0.0;
    A(2, 2) = 1.0;
}

void cPosKF::makeH() {
    H(1, 1) = 1.0;
    H(1, 2) = 0.0;
    H(2, 1) = 0.0;
    H(2, 2) = 1.0;
}
