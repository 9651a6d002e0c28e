#pragma once

#include "TStudyRecord.h"

#include <QString>

class TAcqDevice;
class TExerciseEquipment;
class TProtocol;
class TStudyStore;

// Records a study without a window: the engine over the device, for a given
// time, into a new study of the store. A resting ECG is measured and stored as
// the monitor window does at Stop; a stress or tilt test runs through its
// protocol, the stages advancing by their durations (and the equipment, when
// there is one, commanded), and stops as the stress monitor window stops it.
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
    // With a protocol, seconds of 0 or less mean the whole protocol. Neither the
    // protocol nor the equipment is owned.
    static Result record(TStudyStore& store, TAcqDevice& device, const TStudyRecord& record, double seconds,
                         const TProtocol* protocol = nullptr, TExerciseEquipment* equipment = nullptr);
};
