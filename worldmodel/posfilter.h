// Kalman filter of a position on the ground plane: the state and the measurement are both
// (x, y) in metres; the position stands still unless an input (the own motion over the
// ground, team frame) moves it. No globals.
#pragma once
#include "worldmodel/robokfilter.h"

class cPosKF : public Kalman::RoboKFilter<double, 1ul, false, true, false> {
public:
    cPosKF();
    ~cPosKF() override;

    // Seeds the state with (x, y) and the covariance diag(dVariance, dVariance).
    void Seed(double x, double y, double dVariance);
    // One prediction without input followed by one correction with the measurement (x, y).
    void Observe(double x, double y);
    // One prediction that moves the position by (dxM, dyM), team frame.
    void Predict(double dxM, double dyM);
    // One correction with the measurement (x, y).
    void Correct(double x, double y);
    double GetX() const { return getX()(1); }
    double GetY() const { return getX()(2); }

protected:
    void makeBaseB() override;
    void makeBaseA() override;
    void makeBaseH() override;
    void makeBaseW() override;
    void makeBaseQ() override;
    void makeBaseV() override;
    void makeBaseR() override;
    void makeA() override;
    void makeH() override;

private:
    // Reused every step so that a cycle's filtering does not allocate.
    Vec input_;
    Vec measurement_;
    Vec seedState_;
    Mat seedCovariance_;
};
