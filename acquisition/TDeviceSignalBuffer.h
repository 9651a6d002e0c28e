#pragma once

#include "TRingSignalBuffer.h"

#include <memory>

class TAcqDevice;

// The sample store an acquisition writes into, shaped after its device: the
// device's channel count (at most the store's limit), sampling rate,
// resolution, gain range and lead names.
class TDeviceSignalBuffer
{
public:
    static std::unique_ptr<TIntSignalBuffer> create(TAcqDevice* device, int pageSize, int ringSamples);
};
