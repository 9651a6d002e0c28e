#pragma once

#include <vector>

// A recursive filter of order N: y[i] = sum b[k] x[i-k] + sum a[k] y[i-k] (k >= 1
// for a), with the feedback stored with this sign, and the number of samples it
// runs in on each side of a page before its output counts.
struct TIirDesign
{
    std::vector<double> b; // b0 .. bN
    std::vector<double> a; // a1 .. aN
    int margin = 0;

    int order() const { return int(a.size()); }
};
