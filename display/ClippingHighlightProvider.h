#pragma once

#include "MonitorHighlightProvider.h"

class TSignalBuffer;

// Highlights the samples at the converter's clipping range: codes outside
// +-(2^(bits-1) - 2) of the raw signal, bits being its resolution. The displays
// show the filtered signal, but only the raw codes tell whether the recorder
// saturated.
class ClippingHighlightProvider : public MonitorHighlightProvider
{
public:
    // raw is not owned and must outlive the provider.
    explicit ClippingHighlightProvider(const TSignalBuffer* raw);

    bool nextInterval(int lead, int from, int to, int& start, int& end) override;

    // The largest code still inside the range for a resolution of bits.
    static int clippingLimit(int bits);

private:
    const TSignalBuffer* m_raw;
};
