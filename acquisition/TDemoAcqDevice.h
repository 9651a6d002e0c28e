#pragma once

#include "TQueuedAcqDevice.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <memory>

class TDemoReaderThread;

// Acquires from a recorded file instead of a recorder: the file's frames are
// replayed in a loop at their nominal rate, so everything downstream works
// without hardware.
class TDemoAcqDevice : public TQueuedAcqDevice
{
public:
    static constexpr const char* DefaultFileName = "ecg500.dat";

    // Throws TException("Cannot open file") when the recording cannot be opened.
    explicit TDemoAcqDevice(const QString& fileName = QString::fromLatin1(DefaultFileName), int fileChannels = 14,
                            int samplingRate = 500, int sampleSize = 2, int resolution = 16, double gain = 300.0,
                            qint64 dataOffset = 0, int channelMask = 1087);
    ~TDemoAcqDevice() override;

    // A relative name is looked up in the working directory first, then beside the
    // program, then in the installed data folder (TResourceFolders).
    static QString resolveFileName(const QString& fileName);

    void start() override;
    bool isOk() override { return true; }
    bool isChannelSaturated(int) override { return false; }
    bool isElectrodeOff(const char*) override { return false; }
    void stop() override;
    const char* errorString() override { return ""; }
    double batteryLevel() override { return 0.0; }
    int channelCount() override { return m_channelNames.size(); }
    const char* channelName(int channel) override;
    int samplingRate() override { return m_samplingRate; }
    int sampleSize() override { return m_sampleSize; }
    int resolution() override { return m_resolution; }
    double gainMin() override { return -m_gain; }
    double gainMax() override { return m_gain; }

    TDemoReaderThread* reader() const { return m_reader.get(); }

private:
    QList<QByteArray> m_channelNames;
    int m_samplingRate;
    int m_sampleSize;
    int m_resolution;
    double m_gain;
    std::unique_ptr<TDemoReaderThread> m_reader;
};
