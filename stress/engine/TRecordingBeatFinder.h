#pragma once

#include "TBeat.h"

#include <functional>
#include <memory>

class TAverageDecimator;
class TSignalBuffer;

// Finds the beats of a finished recording from its first second to its last, as
// the recording engine finds them live (the same analysis path, the wave points
// refined on the full-rate signal), and hands them over as the engine stores
// them: times in seconds of the recording, belonging to it, the class carried
// in the label.
//
// The live detector reports nothing until it has learned the signal and the
// rhythm, so it would miss a recording's first beats. Here it learns first on a
// lead-in: the recording's first seconds played over and over, cut where the
// signal goes on most like it starts, so that each turn (and the recording's
// own start after the last one) is hardly a step and falls about a heartbeat
// after the beat before it. Beats of the lead-in are not the recording's and
// are dropped, and so is a complex that the recording does not hold whole at
// either end.
//
// The recording is read page by page, never held whole.
class TRecordingBeatFinder
{
public:
    // The lead-in lasts at least this long; it repeats at most this much of
    // the recording.
    static constexpr double LeadInSeconds = 20.0;
    // The cut of the repeated start is chosen within this last stretch of it,
    // by how alike the signal after it and the recording's start are over
    // this long.
    static constexpr double SearchSeconds = 2.5;
    static constexpr double MatchSeconds = 1.0;
    // A complex is whole in the recording when its R lies this far from either end.
    static constexpr double CompleteQrsSeconds = 0.1;
    // Frames played at a time, as the recorder link delivers them.
    static constexpr double BlockSeconds = 0.1;
    // Analysis-rate samples of the recording kept by default (as the engine's).
    static constexpr int DefaultKeptSamples = 81920;

    using BeatTaker = std::function<void(const TBeat&)>;

    // keptSamples: how much of the recording at the analysis rate stays in
    // analysisSignal() (the last ones). The recording must outlive the finder.
    explicit TRecordingBeatFinder(TSignalBuffer& recording, int keptSamples = DefaultKeptSamples);
    ~TRecordingBeatFinder();

    TRecordingBeatFinder(const TRecordingBeatFinder&) = delete;
    TRecordingBeatFinder& operator=(const TRecordingBeatFinder&) = delete;

    // Runs the whole recording once; take receives every beat in time order.
    // The first beat's interval to a beat before the recording is not known:
    // it carries the interval to the beat after it instead, which tells as well
    // whether it is a regular beat (none when it is the only one).
    void find(const BeatTaker& take);

    // The recording at the analysis rate, unfiltered, in the recording's own
    // time: what the engine takes its average beats of. Filled by find().
    TSignalBuffer* analysisSignal() const;

    // Recording samples per sample of the analysis signal.
    static int analysisStep(const TSignalBuffer& recording);

    // Moves every time of a beat back by offset seconds.
    static void shiftTimes(TBeat& beat, double offset);

private:
    class Sink;

    // Samples of the recording's start to repeat (a whole number of analysis
    // samples); 0 when the recording is too short.
    int loopSpan() const;

    TSignalBuffer& m_recording;
    std::unique_ptr<TAverageDecimator> m_averaging;
};
