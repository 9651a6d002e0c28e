#pragma once

// Told after every append to a TSignalBuffer, on the thread that appended.
class TSignalBufferListener
{
public:
    virtual ~TSignalBufferListener() = default;
    virtual void signalAppended() = 0;
};
