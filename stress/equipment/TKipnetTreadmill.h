#pragma once

#include "TExerciseEquipment.h"

#include <QString>
#include <memory>

class TKipnetTreadmillThread;

// A Kip Machines treadmill (or ergometer) on the Kipnet protocol. Its worker
// starts with the controller and logs to "cardivex-kipnet.log".
class TKipnetTreadmill : public TExerciseEquipment
{
public:
    static constexpr const char* LogFileName = "cardivex-kipnet.log";
    // The log in the platform's generic data location (created when missing).
    static QString defaultLogPath();

    explicit TKipnetTreadmill(const QString& portName, const QString& logPath = defaultLogPath());
    // Requests the worker's end and waits for it.
    ~TKipnetTreadmill() override;

    // False once the worker has ended on an error.
    bool isOk() override;
    bool start() override;
    bool stop() override;
    bool apply() override;
    // "speed", "incline" or "workload" in any case; other names are ignored.
    bool setValue(const QString& name, double value) override;

    // False once the worker has ended (after a port failure or a silent treadmill).
    bool isWorkerRunning() const;
    TKipnetTreadmillThread* worker() const { return m_worker.get(); }

private:
    std::unique_ptr<TKipnetTreadmillThread> m_worker;
};
