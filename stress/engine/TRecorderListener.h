#pragma once

#include <QString>

class TBeat;
class TStudyRecorder;
struct TBeatRecord;

// Told by a recording engine, on the GUI thread, about every step of a
// recording. Listeners are called in the order they were added.
class TRecorderListener
{
public:
    virtual ~TRecorderListener() = default;

    // After every block of samples the engine has taken.
    virtual void update(TStudyRecorder* recorder) = 0;
    // A detected beat, its times in seconds of the engine's live signal, with its
    // per-channel records (channelCount of them).
    virtual void beat(TStudyRecorder* recorder, const TBeat& beat, const TBeatRecord* records, int channelCount) = 0;
    virtual void started(TStudyRecorder* recorder) = 0;
    virtual void stageChanged(TStudyRecorder* recorder) = 0;
    virtual void stopped(TStudyRecorder* recorder) = 0;
    // A text to show to the user.
    virtual void message(TStudyRecorder* recorder, const QString& text) = 0;
};
