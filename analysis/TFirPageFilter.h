#pragma once

#include "TFirKernel.h"
#include "TPageFilter.h"

#include <vector>

// A FIR table applied centred over a page: out[i] = sum c[k] x[i + delay - k],
// reading the neighbouring pages at the edges. Without taps the output is zero.
class TFirPageFilter : public TPageFilter
{
public:
    TFirPageFilter(std::vector<double> taps, int delay);

    void filterPage(const TPageWindow& window, qint16* output) const override;

    const TFirKernel& kernel() const { return m_kernel; }
    int delay() const { return m_delay; }

private:
    TFirKernel m_kernel;
    int m_delay;
    // Scratch (filters run on the GUI thread only).
    mutable std::vector<double> m_sums;
    mutable std::vector<double> m_inputs;
};
