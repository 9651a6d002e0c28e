#pragma once

#include "TFirDesignSpec.h"

// Finds the cut-off and the window shape of a windowed-sinc design that come
// closest to a stated response: a Nelder-Mead search over (cut-off, beta) of the
// weighted squared misses at the stated frequencies plus the excursions beyond
// each band's tolerance. Deterministic: same spec, same result.
class TDesignFit
{
public:
    static TWindowedSincParams fit(const TFirDesignSpec& spec);
    static double cost(const TFirDesignSpec& spec, const TWindowedSincParams& params);

private:
    static TWindowedSincParams withParameters(const TFirDesignSpec& spec, double cutoffHz, double beta);
    static double costAt(const TFirDesignSpec& spec, double cutoffHz, double beta);
};
