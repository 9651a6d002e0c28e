#pragma once

#include "TDeviceFactory.h"
#include "TRingSignalBuffer.h"
#include "TSignalWatch.h"

#include <QString>
#include <memory>

class TAcqDevice;
class TAcqDriverListener;
class TQtAcqDriver;

// A trial acquisition with the settings the configuration dialog holds: the
// device built exactly as a recording builds it, a signal buffer shaped after
// it and a driver over both. Ending it stops and frees the driver, the device
// and the buffer, in that order, so that the device's port is free again.
class TAcquisitionTest
{
public:
    static constexpr int PageSize = 4096;
    // About 80 s of signal at 500 samples per second.
    static constexpr int RingSamples = 40960;

    // Throws TException with the device's text when the device cannot be
    // created or its port cannot be opened; nothing is left open then.
    explicit TAcquisitionTest(const TDeviceSettings& settings);
    ~TAcquisitionTest();
    TAcquisitionTest(const TAcquisitionTest&) = delete;
    TAcquisitionTest& operator=(const TAcquisitionTest&) = delete;

    // Called on the GUI thread for every block, after the buffer has it.
    void addListener(TAcqDriverListener* listener);
    // nowMs: a monotonic clock, for telling when samples stop coming.
    void start(qint64 nowMs);
    // Idempotent; the accessors below return null afterwards.
    void end();
    bool isRunning() const { return m_driver != nullptr; }

    TAcqDevice* device() const { return m_device.get(); }
    TIntSignalBuffer* buffer() const { return m_buffer.get(); }
    TQtAcqDriver* driver() const { return m_driver.get(); }
    const TDeviceSettings& settings() const { return m_settings; }

    // "Cardivex ECG device (Bluetooth) on rfcomm0: 7 leads, 500 samples/s, +/-450 mV".
    QString deviceText() const;
    // The state of the stream: samples received, or how long none came, and
    // the recorder's battery.
    QString statusText(qint64 nowMs);

private:
    QString modeText() const;

    TDeviceSettings m_settings;
    std::unique_ptr<TAcqDevice> m_device;
    std::unique_ptr<TIntSignalBuffer> m_buffer;
    std::unique_ptr<TQtAcqDriver> m_driver;
    TSignalWatch m_watch;
};
