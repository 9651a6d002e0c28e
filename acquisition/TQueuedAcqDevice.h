#pragma once

#include "TAcqDevice.h"
#include "TByteQueue.h"

// Base of the devices whose reader thread fills a TByteQueue: the queue side of
// the device interface, and the hooks that no present device uses.
class TQueuedAcqDevice : public TAcqDevice
{
public:
    int status() override { return 0; }
    int bytesAvailable() override { return m_queue.size(); }
    int read(char* buffer, int count) override { return m_queue.read(buffer, count); }
    int nextPacemakerPulse() override { return 0; }
    void reset() override {}

    TByteQueue& queue() { return m_queue; }

protected:
    TByteQueue m_queue;
};
