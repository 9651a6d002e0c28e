#pragma once

#include "TStudyRecord.h"

#include <QString>

class TAcqDevice;
class TStudyStore;

// Records a resting ECG without a window: the engine over the device, for a
// given time, into a new study of the store, measured and stored as the monitor
// window does at Stop.
class TCliRecorder
{
public:
    // A device silent this long ends the recording.
    static constexpr double SilenceLimitSeconds = 10.0;

    struct Result
    {
        int id = 0;
        double seconds = 0.0; // recorded
        QString warning;      // why the recording ended early, or the engine's last message
    };

    // Throws TException when the study cannot be made or nothing at all was
    // recorded (the empty study is then removed again).
    static Result record(TStudyStore& store, TAcqDevice& device, const TStudyRecord& record, double seconds);
};
