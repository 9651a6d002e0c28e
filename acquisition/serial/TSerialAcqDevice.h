#pragma once

#include "TQueuedAcqDevice.h"
#include "TRecorderProtocol.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <memory>

class TSerialReaderThread;

// The ECG recorder on a serial port, default protocol: the selected leads of
// its 40-byte frames at 500 per second, with battery voltage, electrode
// contact and per-lead saturation.
class TSerialAcqDevice : public TQueuedAcqDevice
{
public:
    // On a given port (the Bluetooth link).
    TSerialAcqDevice(const QString& portName, int baudRate, int channelMask);
    // On the port found by the USB search; throws TException("Device not found").
    explicit TSerialAcqDevice(int channelMask);
    ~TSerialAcqDevice() override;

    // Full-scale range G in mV: codes span -G..+G. Values <= 0 are ignored.
    void setGain(double gainMv);

    void start() override;
    bool isOk() override;
    // Lead index 0..13 (not delivered channel): beyond the limit for 0.5 s.
    bool isChannelSaturated(int lead) override;
    bool isElectrodeOff(const char* electrode) override;
    void stop() override;
    const char* errorString() override;
    double batteryLevel() override;
    int channelCount() override { return m_channelNames.size(); }
    const char* channelName(int channel) override;
    int samplingRate() override { return TRecorderProtocol::SamplingRate; }
    int sampleSize() override { return 2; }
    int resolution() override { return 16; }
    double gainMin() override { return -m_gain; }
    double gainMax() override { return m_gain; }

    QString portName() const;
    // Opens the device's port and closes it again, before the device is
    // started: throws TException with the link's text when the port cannot be
    // opened (no such port, or another program holds it). The running device
    // would only fail silently and be retried.
    void checkPort() const;
    TSerialReaderThread* reader() const { return m_reader.get(); }

protected:
    TSerialAcqDevice(TRecorderProtocol::Format format, const QString& portName, int baudRate, int channelMask);

private:
    QList<QByteArray> m_channelNames;
    double m_gain;
    std::unique_ptr<TSerialReaderThread> m_reader;
};
