#pragma once

#include <QString>

class QSettings;

// What the launcher does with a study once its monitor window has closed:
// export it as an archive to the study export folder of its type (automatic
// export on and a folder set), or open it for review.
struct TAfterRecording
{
    bool exportStudy = false;
    QString folder;

    // ecg: a resting ECG (its own folder); otherwise a stress or tilt test.
    static TAfterRecording choose(const QSettings& settings, bool ecg);
};
