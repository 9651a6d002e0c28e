#pragma once

#include "TSimulatedDevice.h"

#include <QByteArray>
#include <QString>
#include <QVector>
#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <random>
#include <vector>

class TRecorderSignalSource;

// A simulated ECG recorder on a pseudo-terminal. It answers the reset (0x01),
// start/keep-alive (0x09), stop (0x02) and identify (0x0B) bytes and, while
// started, streams default-protocol frames at 500 per second or HR-protocol
// frames at 1000 per second, built from a signal source.
//
// Scriptable from any thread: electrodes off, saturated leads, battery byte,
// a start in the middle of a frame, garbage bytes, silence and unplugging;
// and as fast as the port takes instead of at the real rate.
class TRecorderSimulator : public TSimulatedDevice
{
public:
    enum class Protocol { Default, HR };

    struct Command
    {
        quint8 byte;
        qint64 atMs;       // since the simulator started
        qint64 atUs;       // the same in microseconds
        qint64 framesSent; // frames sent in the current stream when it came
    };

    static constexpr int FrameRateDefault = 500;
    static constexpr int FrameRateHR = 1000;

    TRecorderSimulator(Protocol protocol, std::unique_ptr<TRecorderSignalSource> source,
                       const QString& linkPath = QString());
    ~TRecorderSimulator() override;

    Protocol protocol() const { return m_protocol; }
    int frameRate() const { return m_protocol == Protocol::HR ? FrameRateHR : FrameRateDefault; }
    int frameSize() const { return m_protocol == Protocol::HR ? 34 : 40; }
    // The recorder's full-scale range in mV for the protocol.
    double gainMv() const { return m_protocol == Protocol::HR ? 300.0 : 450.0; }

    // Electrodes by name: "LA", "LL", "RA", "V1".."V6".
    bool setElectrodeOff(const QString& electrode, bool off);
    // Measured leads by lead-table name (not aVR, aVL, aVF): held at 32767.
    bool setLeadSaturated(const QString& lead, bool saturated);
    void setBatteryByte(int value);
    // The first frame after each start begins at this byte of the frame.
    void setStartOffset(int bytes);
    void injectGarbage(int bytes);
    // Frames of the next ms are not sent (0 ends a silence).
    void silenceFor(int ms);
    // False: as fast as the port takes, for long streams in tests.
    void setPaced(bool paced) { m_paced.store(paced); }
    void setIdentifyReply(const QByteArray& reply);

    // One line of the script language of sim-recorder (see helpText()).
    bool applyCommand(const QString& line, QString* error = nullptr);
    static QString commandHelp();

    QVector<Command> commands() const;
    bool isStreaming() const { return m_streaming.load(); }
    qint64 framesSent() const { return m_framesSent.load(); }
    qint64 bytesDropped() const { return m_bytesDropped.load(); }

protected:
    void received(const char* data, int count) override;
    int tick() override;
    bool wantsToSend() const override;
    void pluggedIn() override;

private:
    void command(quint8 byte);
    QByteArray nextFrame();
    void sendPaced(const QByteArray& bytes);

    const Protocol m_protocol;
    std::unique_ptr<TRecorderSignalSource> m_source; // device thread
    std::array<std::atomic<bool>, 9> m_electrodeOff;
    std::array<std::atomic<bool>, 14> m_saturated;
    std::atomic<int> m_battery{200};
    std::atomic<int> m_startOffset{0};
    std::atomic<int> m_garbage{0};
    std::atomic<qint64> m_silentUntilMs{-1};
    std::atomic<bool> m_paced{true};
    std::atomic<bool> m_streaming{false};
    std::atomic<qint64> m_framesSent{0};
    std::atomic<qint64> m_bytesDropped{0};
    // Guards the reply and the command log. Both are handed across threads as
    // deep copies: implicitly shared Qt containers must not be.
    mutable std::mutex m_mutex;
    QByteArray m_identifyReply = "ECG-SIM";
    std::vector<Command> m_commands;

    // Device thread only.
    qint64 m_streamStartMs = 0;
    qint64 m_framesMade = 0;
    int m_skipBytes = 0;
    QByteArray m_pending; // unpaced mode: made, not yet taken by the port
    std::mt19937 m_random{12345};
};
