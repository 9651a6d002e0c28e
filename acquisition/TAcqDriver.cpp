#include "TAcqDriver.h"

#include "TSignalBuffer.h"

TAcqDriver::TAcqDriver(TAcqDevice* device, TSignalBuffer* buffer, QObject* parent)
    : QObject(parent),
      m_device(device),
      m_buffer(buffer),
      m_zeroFlagCount(buffer ? buffer->channelCount() : 0),
      m_zeroFlags(new std::atomic<unsigned char>[size_t(m_zeroFlagCount > 0 ? m_zeroFlagCount : 1)])
{
    for (int i = 0; i < m_zeroFlagCount; ++i)
        m_zeroFlags[size_t(i)].store(0);
}

TAcqDriver::~TAcqDriver() = default;

void TAcqDriver::addListener(TAcqDriverListener* listener)
{
    if (listener)
        m_listeners.append(listener);
}

void TAcqDriver::setChannelZeroed(int channel, bool zeroed)
{
    if (channel >= 0 && channel < m_zeroFlagCount)
        m_zeroFlags[size_t(channel)].store(zeroed ? 1 : 0);
}

bool TAcqDriver::isChannelZeroed(int channel) const
{
    return channel >= 0 && channel < m_zeroFlagCount && m_zeroFlags[size_t(channel)].load() != 0;
}
