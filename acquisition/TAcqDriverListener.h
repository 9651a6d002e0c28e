#pragma once

class TAcqDriver;

// Told by an acquisition driver, on the GUI thread, about new samples, pacemaker
// pulses and a failed acquisition. Listeners are called in the order they were added.
class TAcqDriverListener
{
public:
    virtual ~TAcqDriverListener() = default;
    // New samples are in the driver's buffer.
    virtual void onData(TAcqDriver* driver) = 0;
    virtual void onPacemaker(TAcqDriver* driver, int sampleOffset) = 0;
    virtual void onError(TAcqDriver* driver, const char* message) = 0;
};
