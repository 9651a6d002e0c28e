#pragma once

#include "TIirDesign.h"
#include "TPageFilter.h"

#include <vector>

// A recursive filter run forward and then backward over a page and a margin on
// each side: zero phase, with the magnitude response squared. The margin lets the
// filter settle before and after the page, so pages join without a seam.
class TIirPageFilter : public TPageFilter
{
public:
    explicit TIirPageFilter(TIirDesign design);

    void filterPage(const TPageWindow& window, qint16* output) const override;
    // Pages of one length are filtered side by side, four recursions at a
    // time: each waits on its own last outputs, so four keep the processor
    // busy where one leaves it waiting. Every page comes out as alone.
    int batchSize() const override { return 4; }
    void filterPages(const TPageWindow* windows, qint16* const* outputs, int count) const override;

    const TIirDesign& design() const { return m_design; }

private:
    TIirDesign m_design;
    // Scratch for one page and its margins (filters run on the GUI thread only).
    mutable std::vector<double> m_forward;
    mutable std::vector<double> m_backward;
    mutable std::vector<double> m_lanes; // pages side by side, sample by sample
};
