#pragma once

#include "TRecorderProtocol.h"
#include "TRecorderStatus.h"
#include "TSerialSetup.h"

#include <QString>
#include <QThread>
#include <atomic>

class TByteQueue;
class TSerialPort;

// The default-protocol recorder's reader: opens the port, resets the recorder
// and starts its stream, keeps it alive, decodes frames into the byte queue and
// the status, and stops the stream when interrupted. A reader that fails ends
// with its error flag set and the text of its failure; the acquisition worker
// then starts it again, and a new run waits a little after a failed one, so a
// recorder that is away is looked for twice a second rather than in a busy loop.
class TSerialReaderThread : public QThread
{
    Q_OBJECT

public:
    // Pause between a failed run and the next attempt to open the port.
    static constexpr int RetryPauseMs = 500;

    TSerialReaderThread(TByteQueue* queue, const QString& portName, int baudRate, int channelMask,
                        QObject* parent = nullptr);
    ~TSerialReaderThread() override;

    // How the recorder's port is opened at that rate.
    static TSerialSetup portSetup(int baudRate);

    bool hasFailed() const { return m_failed.load(); }
    // Forgets the last failure before a new start, so that the device does not
    // look failed until the new run has begun; the pause after it still holds.
    void clearFailure();
    // The last failure's text; empty while none. Never freed.
    const char* errorText() const { return m_errorText.load(); }
    const TRecorderStatus& status() const { return m_status; }

    TRecorderProtocol::Format format() const { return m_format; }
    QString portName() const { return m_portName; }
    int baudRate() const { return m_baudRate; }
    int channelMask() const { return m_channelMask; }
    // Frames between two keep-alives: a minute of frames, unless set before
    // the start (tests use shorter intervals).
    int keepAliveFrames() const { return m_keepAliveFrames.load(); }
    void setKeepAliveFrames(int frames) { m_keepAliveFrames.store(qMax(1, frames)); }
    // Recorder frames decoded by the current or last run.
    quint64 framesDecoded() const { return m_framesDecoded.load(); }

protected:
    TSerialReaderThread(TRecorderProtocol::Format format, TByteQueue* queue, const QString& portName,
                        int baudRate, int channelMask, QObject* parent);
    void run() override;

private:
    void stream();
    bool waitAfterFailure();
    bool startStreaming(TSerialPort& port);
    void stopStreaming(TSerialPort& port);
    bool send(TSerialPort& port, quint8 command);
    void fail(const char* text);

    const TRecorderProtocol::Format m_format;
    TByteQueue* const m_queue;
    const QString m_portName;
    const int m_baudRate;
    const int m_channelMask;
    std::atomic<int> m_keepAliveFrames;
    TRecorderStatus m_status;
    std::atomic<bool> m_failed{false};
    std::atomic<const char*> m_errorText{""};
    std::atomic<quint64> m_framesDecoded{0};
    // Monotonic time of the last failure in ms, 0 when the last run did not fail.
    std::atomic<qint64> m_failedAtMs{0};
};
