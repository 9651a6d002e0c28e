#pragma once

#include "TFirStreamFilter.h"

#include <memory>
#include <vector>

class TSignalBuffer;

// The quadratic-spline wavelet transform of every channel at scales 2^1 to 2^4,
// each a centred FIR over the source written as doubles into a ring of ten
// source pages. Output i of every scale lines up with source sample i.
class TQrsWavelets
{
public:
    static constexpr int ScaleCount = 4;

    explicit TQrsWavelets(TSignalBuffer* source);

    // Filters whatever the source has gained.
    void process();
    // Index up to which every scale has output (exclusive).
    int available() const;
    // count values of scale k (0 for 2^1 ... 3 for 2^4) of a channel from start;
    // positions not held read 0.0.
    void copy(int scale, int channel, int start, int count, double* out) const;

    // The taps of a scale with its delay, as the transform defines them.
    static std::vector<double> taps(int scale);
    static int delay(int scale);

private:
    std::unique_ptr<TFirStreamFilter> m_scales[ScaleCount];
};
