#pragma once

#include "TEquipmentPort.h"

#include <QFile>
#include <QString>
#include <QThread>
#include <atomic>

// The worker of a Kip Machines treadmill: every 200 ms it opens the port if
// needed and turns one pending request into Kipnet frames. Each frame is tried
// three times, 500 ms apart; a treadmill that does not answer, or a port that
// does not open, ends the worker. Everything it sends and every failure goes
// to the Kipnet log.
//
// The GUI thread sets the values and raises the request flags; the worker
// clears a flag before it reads the values, so a request made while it talks
// to the treadmill is never lost, and several requests between two cycles
// collapse into one with the latest values.
class TKipnetTreadmillThread : public QThread
{
    Q_OBJECT

public:
    static constexpr int BaudRate = 4800;
    static constexpr int TimeoutMs = 3000;
    static constexpr int Attempts = 3;
    static constexpr int RetryPauseMs = 500;
    static constexpr int CyclePauseMs = 200;
    static constexpr double Unset = -999.0;

    TKipnetTreadmillThread(const QString& portName, const QString& logPath, QObject* parent = nullptr);
    ~TKipnetTreadmillThread() override;

    void requestStart() { m_startRequested.store(true); }
    void requestStop() { m_stopRequested.store(true); }
    void requestUpdate() { m_updateRequested.store(true); }
    void setSpeed(double kmh) { m_speed.store(kmh); }
    void setIncline(double percent) { m_incline.store(percent); }
    void setWorkload(double watts) { m_workload.store(watts); }

    double speed() const { return m_speed.load(); }
    double incline() const { return m_incline.load(); }
    double workload() const { return m_workload.load(); }
    bool goSent() const { return m_goSent.load(); }
    // Set when the worker has ended on an error (a silent treadmill, a port
    // that does not open): nothing asked of it reaches the treadmill any more.
    bool hasFailed() const { return m_failed.load(); }
    QString portName() const { return m_port.portName(); }
    QString logPath() const { return m_logPath; }

protected:
    void run() override;

private:
    void cycle();
    void update();
    void exchange(const QByteArray& frame, const char* command);
    void log(const QByteArray& text);

    TEquipmentPort m_port;
    const QString m_logPath;
    QFile m_log;
    const char m_address = '2';
    std::atomic<bool> m_startRequested{false};
    std::atomic<bool> m_stopRequested{false};
    std::atomic<bool> m_updateRequested{false};
    std::atomic<double> m_speed{Unset};
    std::atomic<double> m_incline{Unset};
    std::atomic<double> m_workload{Unset};
    std::atomic<bool> m_goSent{false};
    std::atomic<bool> m_failed{false};
    // Set as the last act of run(): QThread::wait() synchronises through Qt's
    // own (uninstrumented) wait condition, so the destructor also acquires this,
    // which makes the hand-back of the members visible to thread checkers.
    std::atomic<bool> m_runFinished{false};
};
