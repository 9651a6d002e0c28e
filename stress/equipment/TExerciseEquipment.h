#pragma once

#include <QString>

// A treadmill or ergometer controller. Every operation only records a request
// or a value and returns at once; the controller's own worker thread talks to
// the machine. A false result means the controller cannot be used any more.
class TExerciseEquipment
{
public:
    // Ends the worker thread, waiting for it.
    virtual ~TExerciseEquipment() = default;

    virtual bool isOk() = 0;
    // Asks the machine to start, to stop, or to take the values set since the
    // last apply.
    virtual bool start() = 0;
    virtual bool stop() = 0;
    virtual bool apply() = 0;
    // "speed" in km/h, "incline" in %, "workload" in watts.
    virtual bool setValue(const QString& name, double value) = 0;
};
