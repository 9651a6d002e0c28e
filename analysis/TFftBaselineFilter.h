#pragma once

#include "TStreamFilter.h"

#include <vector>

struct kiss_fft_state;

// Removes baseline wander by blocks in the frequency domain: a 1024-sample window
// that moves 64 samples at a time has its lowest bins (0, 1 and their mirrors,
// below about 1 Hz at 500 per second) cleared, and the 64 samples in its middle
// (entries 480 to 543) become output. The output is aligned with the source and
// lags it by 480 + 64 samples.
class TFftBaselineFilter : public TStreamFilter
{
public:
    static constexpr int WindowSize = 1024;
    static constexpr int OutputOffset = 480; // first window entry that becomes output
    static constexpr int OutputBlock = 64;

    explicit TFftBaselineFilter(TStreamOutput output = {});
    ~TFftBaselineFilter() override;

    void process() override;

protected:
    void reset() override;

private:
    void filterWindow(const double* window, double* out);

    kiss_fft_state* m_forward = nullptr;
    kiss_fft_state* m_inverse = nullptr;
    bool m_firstWindow = true;
    std::vector<double> m_window;                // one channel's window of source samples
    std::vector<std::vector<double>> m_outputs;  // per channel, one block
    std::vector<float> m_spectrum;               // complex pairs, interleaved
    std::vector<float> m_time;
};
