#pragma once

#include "TSimulatedDevice.h"

#include <QByteArray>
#include <QVector>
#include <atomic>
#include <mutex>
#include <vector>

// A simulated OLMO bicycle ergometer on a pseudo-terminal. It takes single
// command letters and decimal lines, logs each, answers with reply lines and
// keeps the workload it was told to hold.
class TErgometerSimulator : public TSimulatedDevice
{
public:
    struct Command
    {
        QByteArray text; // a letter, or a number line without its line feed
        qint64 atMs;     // since the simulator started
    };

    explicit TErgometerSimulator(const QString& linkPath = QString());
    ~TErgometerSimulator() override;

    void setSilent(bool silent) { m_silent.store(silent); }
    // Reply lines longer than the controller's 10-character buffer.
    void setLongReplies(bool longReplies) { m_longReplies.store(longReplies); }

    QVector<Command> commands() const;
    // The workload the ergometer holds after the commands so far.
    int workload() const { return m_workload.load(); }
    // The reply lines to a command.
    static QList<QByteArray> repliesTo(const QByteArray& command, int workload);

protected:
    void received(const char* data, int count) override;
    void pluggedIn() override { m_number.clear(); }

private:
    void commandReceived(const QByteArray& command);

    std::atomic<bool> m_silent{false};
    std::atomic<bool> m_longReplies{false};
    std::atomic<int> m_workload{0};
    // Guards the log, handed out as deep copies: implicitly shared Qt
    // containers must not cross threads.
    mutable std::mutex m_mutex;
    std::vector<Command> m_commands;
    // Device thread only.
    QByteArray m_number;
    bool m_loadChange = false; // the next number is a change ('i'), not a load
};
