#include "TKaiserWindow.h"

#include <algorithm>
#include <cmath>

double TKaiserWindow::besselI0(double x)
{
    // The series converges for every x; terms fall below 1e-17 of the sum well
    // before the window's largest argument (beta up to ~20) runs out of them.
    double sum = 1.0;
    double term = 1.0;
    const double half = x / 2.0;
    for (int k = 1; k < 200; ++k) {
        term *= (half / k) * (half / k);
        sum += term;
        if (term < sum * 1e-17)
            break;
    }
    return sum;
}

std::vector<double> TKaiserWindow::values(int length, double beta)
{
    std::vector<double> w(static_cast<size_t>(length > 0 ? length : 0), 1.0);
    if (length < 2)
        return w;
    const double norm = besselI0(beta);
    const double centre = (length - 1) / 2.0;
    for (int n = 0; n < length; ++n) {
        const double r = (n - centre) / centre;
        w[size_t(n)] = besselI0(beta * std::sqrt(std::max(0.0, 1.0 - r * r))) / norm;
    }
    return w;
}
