#pragma once

#include <vector>

// The Kaiser window: one shape parameter (beta) trades main-lobe width against
// side-lobe level, which is what the FIR designs tune.
class TKaiserWindow
{
public:
    // length values, symmetric about (length - 1) / 2; beta 0 is rectangular.
    static std::vector<double> values(int length, double beta);

private:
    // Modified Bessel function of the first kind, order 0, by its power series.
    static double besselI0(double x);
};
