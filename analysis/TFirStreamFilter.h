#pragma once

#include "TFirKernel.h"
#include "TStreamFilter.h"

#include <vector>

// A FIR table applied centred to a growing signal: output i = sum c[k] x[i + delay
// - k], available once source sample i + delay exists. Sums are truncated toward
// zero (an integer output then saturates at the 16-bit range); a double output
// can keep the fractions instead.
class TFirStreamFilter : public TStreamFilter
{
public:
    enum class Rounding
    {
        TruncateTowardZero,
        KeepFraction
    };

    TFirStreamFilter(std::vector<double> taps, int delay, TStreamOutput output = {},
                     Rounding rounding = Rounding::TruncateTowardZero);

    void process() override;

    const TFirKernel& kernel() const { return m_kernel; }
    int delay() const { return m_delay; }

private:
    TFirKernel m_kernel;
    int m_delay;
    Rounding m_rounding;
    // Scratch (streaming runs on the GUI thread only).
    std::vector<double> m_inputs;
    std::vector<std::vector<double>> m_outputs;
};
