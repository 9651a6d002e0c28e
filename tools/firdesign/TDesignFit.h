#pragma once

#include "TFirDesignTarget.h"

// Finds the cut-off and the window shape of a windowed-sinc design that come
// closest to a stated response: a Nelder-Mead search over (cut-off, beta) of the
// weighted squared misses at the stated frequencies plus the excursions beyond
// each band's tolerance. Deterministic: same target, same result.
class TDesignFit
{
public:
    static TWindowedSincParams fit(const TFirDesignTarget& target);
    static double cost(const TFirDesignTarget& target, const TWindowedSincParams& params);

private:
    static TWindowedSincParams withParameters(const TFirDesignTarget& target, double cutoffHz, double beta);
    static double costAt(const TFirDesignTarget& target, double cutoffHz, double beta);
};
