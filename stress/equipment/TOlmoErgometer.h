#pragma once

#include "TExerciseEquipment.h"

#include <QString>
#include <memory>

class TOlmoErgometerThread;

// An OLMO bicycle ergometer on its serial protocol (9600 baud). Its worker
// starts with the controller.
class TOlmoErgometer : public TExerciseEquipment
{
public:
    explicit TOlmoErgometer(const QString& portName);
    // Requests the worker's end and waits for it (at most a command's time).
    ~TOlmoErgometer() override;

    // False while the port does not open or the ergometer does not answer.
    bool isOk() override;
    bool start() override;
    bool stop() override;
    bool apply() override;
    // The ergometer takes one value, the workload in watts, whatever the name;
    // it is truncated toward zero. Not-a-number is ignored.
    bool setValue(const QString& name, double value) override;

    TOlmoErgometerThread* worker() const { return m_worker.get(); }

private:
    std::unique_ptr<TOlmoErgometerThread> m_worker;
};
