#pragma once

#include "TFirKernel.h"

#include <vector>

// Whether a channel's signal around a beat can vote on it: not clipped at the
// converter's limits, not flat.
class TChannelQuality
{
public:
    explicit TChannelQuality(int samplingRate);

    // window: codes of one channel, resolution: bits of the codes.
    bool isClipped(const std::vector<double>& window, int resolution) const;
    bool isFlat(const std::vector<double>& window, int resolution) const;
    bool isUsable(const std::vector<double>& window, int resolution) const
    {
        return !isClipped(window, resolution) && !isFlat(window, resolution);
    }

    // The 48-tap band-pass of the flatness test: a Hamming-windowed ideal
    // band-pass from 5 to 25 Hz at the given rate, unit gain at 15 Hz. The band
    // holds the energy of every QRS complex and leaves out both baseline drift and
    // line interference, so a lead that only drifts or hums counts as flat.
    static std::vector<double> bandPass(int samplingRate);

private:
    int m_rate;
    TFirKernel m_kernel;
};
