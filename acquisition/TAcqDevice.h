#pragma once

// A source of ECG frames: it runs its own reader thread that fills a byte queue,
// which the acquisition driver's worker drains. Frames are channelCount() signed
// 16-bit little-endian codes; a code c is c * (gainMax - gainMin) / 2^resolution mV.
class TAcqDevice
{
public:
    // Stops nothing by itself: the owner calls stop() first.
    virtual ~TAcqDevice() = default;

    // Starts the reader thread (time-critical priority).
    virtual void start() = 0;
    // False once the reader has failed; its text is then in errorString().
    virtual bool isOk() = 0;
    virtual int status() = 0;
    virtual int bytesAvailable() = 0;
    // Moves up to count bytes out of the queue; returns how many.
    virtual int read(char* buffer, int count) = 0;
    // Next pending pacemaker pulse as a sample offset, 0 when none.
    virtual int nextPacemakerPulse() = 0;
    virtual void reset() = 0;
    virtual bool isChannelSaturated(int channel) = 0;
    // Electrode contact lost, by electrode name ("LA", "LL", "RA", "V1".."V6").
    virtual bool isElectrodeOff(const char* electrode) = 0;
    // Requests the reader's interruption and waits for it.
    virtual void stop() = 0;
    virtual const char* errorString() = 0;
    // Battery voltage in volts.
    virtual double batteryLevel() = 0;
    virtual int channelCount() = 0;
    virtual const char* channelName(int channel) = 0;
    virtual int samplingRate() = 0;
    virtual int sampleSize() = 0;
    virtual int resolution() = 0;
    virtual double gainMin() = 0;
    virtual double gainMax() = 0;
};
