#pragma once

#include <QString>

class TStudy;

// A recording the program could not end (killed, power lost) keeps its samples
// and beats but lacks what the end of a recording adds: the measurement of a
// resting ECG, the last stage and the maxima of a stress test. The recording
// engine marks a study's results while it records ("recordingUnfinished") and
// clears the mark when it stops; a study still marked when it is opened or
// reported is finished here from what it stored.
namespace TInterruptedRecording {

extern const char* const EventText; // "Recording ended unexpectedly"

bool isInterrupted(const TStudy& study);
// Finishes an interrupted study in memory (the caller stores it): resting ECG
// measured from its recording; stress and tilt tests given the stage that was
// running, its heart rate from the stored beats, and the maxima; an event
// where the recording ended; the mark cleared. False when the study was not
// interrupted. A measurement that fails leaves the study as it was, marked.
bool finish(TStudy& study);

} // namespace TInterruptedRecording
