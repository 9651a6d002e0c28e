#pragma once

#include "TEquipmentPort.h"

#include <QByteArray>
#include <QThread>
#include <atomic>

// The worker of an OLMO bicycle ergometer: opens the port (again every 2 s
// while it does not open), initialises the ergometer once ("r", 7 s, "c"),
// then every 200 ms turns one pending request into the ergometer's letters and
// numbers, reading its reply lines. It never ends on its own; on interruption
// it leaves the ergometer reset ("r").
//
// The GUI thread sets the target and raises the request flags; the worker
// clears a flag before it reads the target, and raises it again when the port
// failed while the request was being sent, so the request is sent once the
// port is back.
class TOlmoErgometerThread : public QThread
{
    Q_OBJECT

public:
    static constexpr int BaudRate = 9600;
    static constexpr int TimeoutMs = 2000;
    static constexpr int CyclePauseMs = 200;
    static constexpr int StepPauseMs = 200;
    static constexpr int PortRetryMs = 2000;
    static constexpr int StartupSteps = 14;
    static constexpr int StartupStepMs = 500;

    explicit TOlmoErgometerThread(const QString& portName, QObject* parent = nullptr);
    ~TOlmoErgometerThread() override;

    void requestStart() { m_startRequested.store(true); }
    void requestStop() { m_stopRequested.store(true); }
    void requestUpdate() { m_updateRequested.store(true); }
    void setTargetWorkload(int watts) { m_target.store(watts); }

    int targetWorkload() const { return m_target.load(); }
    // What the ergometer was last told to hold.
    int commandedWorkload() const { return m_commanded.load(); }
    bool isInitialisationPending() const { return m_initialisationPending.load(); }
    // False while the port does not open or the ergometer leaves a reply
    // unanswered; true again with its next reply.
    bool isAnswering() const { return m_answering.load(); }
    QString portName() const { return m_port.portName(); }

protected:
    void run() override;

private:
    struct PortLost
    {
    };

    void cycle();
    void initialise();
    void update();
    void send(const QByteArray& text);
    void readLines(int count);
    // Sleeps ms unless interruption is requested first; false when it was.
    bool pause(int ms);

    TEquipmentPort m_port;
    std::atomic<bool> m_startRequested{false};
    std::atomic<bool> m_stopRequested{false};
    std::atomic<bool> m_updateRequested{false};
    std::atomic<int> m_target{0};
    std::atomic<int> m_commanded{0};
    std::atomic<bool> m_initialisationPending{true};
    std::atomic<bool> m_answering{true};
    // Set as the last act of run(): QThread::wait() synchronises through Qt's
    // own (uninstrumented) wait condition, so the destructor also acquires this,
    // which makes the hand-back of the members visible to thread checkers.
    std::atomic<bool> m_runFinished{false};
};
