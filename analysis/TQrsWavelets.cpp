#include "TQrsWavelets.h"

#include "TRingSignalBuffer.h"

#include <algorithm>

namespace {

// Half tables; the second half is the first with opposite sign, reversed.
std::vector<double> antisymmetric(std::vector<double> half)
{
    std::vector<double> taps = half;
    for (auto it = half.rbegin(); it != half.rend(); ++it)
        taps.push_back(-*it);
    return taps;
}

} // namespace

std::vector<double> TQrsWavelets::taps(int scale)
{
    switch (scale) {
    case 0:
        return {-2.0, 2.0};
    case 1:
        return {-0.25, -0.75, -0.5, 0.5, 0.75, 0.25};
    case 2: {
        std::vector<double> half;
        for (double v : {1.0, 3.0, 6.0, 10.0, 11.0, 9.0, 4.0})
            half.push_back(-v / 32.0);
        return antisymmetric(half);
    }
    case 3: {
        std::vector<double> half;
        for (double v : {1.0, 3.0, 6.0, 10.0, 15.0, 21.0, 28.0, 36.0, 41.0, 43.0, 42.0, 38.0, 31.0, 21.0, 8.0})
            half.push_back(-v / 256.0);
        return antisymmetric(half);
    }
    default:
        return {};
    }
}

int TQrsWavelets::delay(int scale)
{
    static const int delays[ScaleCount] = {1, 3, 7, 15};
    return scale >= 0 && scale < ScaleCount ? delays[scale] : 0;
}

TQrsWavelets::TQrsWavelets(TSignalBuffer* source)
{
    TStreamOutput output;
    output.type = TSampleType::Double;
    output.ringPages = 10;
    for (int k = 0; k < ScaleCount; ++k) {
        m_scales[k] = std::make_unique<TFirStreamFilter>(taps(k), delay(k), output,
                                                         TFirStreamFilter::Rounding::KeepFraction);
        m_scales[k]->setSource(source, 0);
    }
}

void TQrsWavelets::process()
{
    for (auto& scale : m_scales)
        scale->process();
}

int TQrsWavelets::available() const
{
    int n = m_scales[0]->output()->length();
    for (const auto& scale : m_scales)
        n = std::min(n, scale->output()->length());
    return n;
}

void TQrsWavelets::copy(int scale, int channel, int start, int count, double* out) const
{
    if (scale < 0 || scale >= ScaleCount || count <= 0)
        return;
    static_cast<const TRingSignalBuffer<double>*>(m_scales[scale]->output())->copyValues(channel, start, count, out);
}
