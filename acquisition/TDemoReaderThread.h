#pragma once

#include <QFile>
#include <QThread>
#include <atomic>

class TByteQueue;

// Replays a raw recording into a byte queue in a loop, at the recording's
// nominal speed: it pushes a little over 25 ms of frames, then sleeps until the
// clock has caught up with them.
class TDemoReaderThread : public QThread
{
    Q_OBJECT

public:
    // Opens the file; throws TException("Cannot open file") when it cannot.
    TDemoReaderThread(TByteQueue* queue, const QString& path, qint64 dataOffset, int fileChannels,
                      int channelMask, int samplingRate, int sampleSize, QObject* parent = nullptr);
    ~TDemoReaderThread() override;

    // Total bytes read from the file in the current run; grows past 32 bits in a
    // long replay.
    quint64 bytesRead() const { return m_bytesRead.load(); }

protected:
    void run() override;

private:
    bool readFrame(char* frame);

    TByteQueue* m_queue;
    QFile m_file;
    qint64 m_dataOffset;
    int m_fileChannels;
    int m_channelMask;
    int m_samplingRate;
    int m_sampleSize;
    std::atomic<quint64> m_bytesRead{0};
    double m_secondsPaced = 0.0;
};
