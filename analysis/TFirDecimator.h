#pragma once

#include "TFirKernel.h"
#include "TStreamFilter.h"

#include <vector>

// Brings a 1000-per-second source down to 500 per second: the decimation lowpass
// applied centred, keeping every second output (truncated toward zero). Any
// other source is copied unchanged, one step behind the same delay, so that the
// signal after it is always at 500 per second or below.
class TFirDecimator : public TStreamFilter
{
public:
    // The 29-tap decimation table.
    explicit TFirDecimator(TStreamOutput output = {});
    TFirDecimator(std::vector<double> taps, TStreamOutput output = {});

    void process() override;

    int delay() const { return m_delay; }

protected:
    int stepFor(int sourceRate) const override;

private:
    TFirKernel m_kernel;
    int m_delay;
    std::vector<double> m_inputs;
    std::vector<std::vector<double>> m_outputs;
};
