#include "TDeviceSignalBuffer.h"

#include "TAcqDevice.h"
#include "TSignalChannel.h"

#include <QByteArray>
#include <algorithm>

std::unique_ptr<TIntSignalBuffer> TDeviceSignalBuffer::create(TAcqDevice* device, int pageSize, int ringSamples)
{
    const int channels = std::clamp(device->channelCount(), 1, int(TSignalBuffer::MaxChannels));
    auto buffer =
        std::make_unique<TIntSignalBuffer>(pageSize, ringSamples, channels, std::max(1, device->samplingRate()));
    buffer->setResolution(device->resolution());
    buffer->setGain(device->gainMin(), device->gainMax());
    for (int c = 0; c < channels; ++c)
        buffer->channel(c)->setName(QByteArray(device->channelName(c)));
    return buffer;
}
