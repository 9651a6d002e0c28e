#pragma once

#include "TSimulatedDevice.h"

#include <QByteArray>
#include <QVector>
#include <atomic>
#include <mutex>
#include <vector>

// A simulated Kip Machines treadmill (Kipnet protocol) on a pseudo-terminal:
// it logs every frame it receives (';' to ':') and answers with a reply of the
// frame's length, unless it is told to stay silent.
class TTreadmillSimulator : public TSimulatedDevice
{
public:
    struct Frame
    {
        QByteArray bytes;
        qint64 atMs; // since the simulator started
        bool answered;
    };

    explicit TTreadmillSimulator(const QString& linkPath = QString());
    ~TTreadmillSimulator() override;

    // The next count frames get no reply; -1: none gets one until told otherwise.
    void setSilentFrames(int count) { m_silentFrames.store(count); }

    QVector<Frame> frames() const;
    // Belt state from the frames so far.
    bool isRunning() const { return m_running.load(); }
    double speedKmh() const { return m_speedTenths.load() / 10.0; }
    double inclinePercent() const { return m_inclineTenths.load() / 10.0; }

    // A frame in words: "GO", "speed 5.0 km/h", ..., with "(bad checksum)" when
    // its checksum is wrong.
    static QString describe(const QByteArray& frame);
    static QByteArray replyFor(const QByteArray& frame);

protected:
    void received(const char* data, int count) override;
    void pluggedIn() override { m_partial.clear(); }

private:
    void frameReceived(const QByteArray& frame);

    std::atomic<int> m_silentFrames{0};
    std::atomic<bool> m_running{false};
    std::atomic<int> m_speedTenths{0};
    std::atomic<int> m_inclineTenths{0};
    // Guards the log, handed out as deep copies: implicitly shared Qt
    // containers must not cross threads.
    mutable std::mutex m_mutex;
    std::vector<Frame> m_frames;
    QByteArray m_partial; // device thread
};
