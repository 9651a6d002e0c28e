#pragma once

#include "TMeasurementRecord.h"

#include <QStringList>
#include <vector>

class TBeatAverager;
class TStudy;
class TStudyRecorder;
class TStudyResults;

// The measurement of a resting ECG: the wave boundaries, mean RR, QRS axis and
// wave amplitudes of one lead's average beat, as the study's results keep them
// for the review window and the reports.
class TRestingMeasurement
{
public:
    // The keys of the study's results, in the order they are written.
    static const QStringList& keys();

    // Measures the averager's average beat of the lead (the reference lead when
    // -1), amplitudes included. "measurementChannel" is -1 when no beat was averaged.
    static TMeasurementRecord measure(TBeatAverager& averager, int lead = -1);
    // The P, QRS and T amplitudes (mV) of a beat with its fiducial point at
    // rIndex, from the wave times of record.
    static void measureAmplitudes(TMeasurementRecord& record, const std::vector<double>& beat, int rate, int rIndex,
                                  double millivoltsPerUnit);

    // Ends a resting ECG: the recording stops, then the acquisition (so the
    // analysis finds and stores the last beats), and the average beat is
    // measured into the study's results when anything was recorded.
    static void endRecording(TStudyRecorder& recorder, TStudy& study);

    static void store(const TMeasurementRecord& record, TStudyResults& results);
    static TMeasurementRecord load(const TStudyResults& results);
    // A stored measurement has a lead and its QRS onset and end; the P wave (none
    // in atrial fibrillation) and the T end may be missing.
    static bool isComplete(const TMeasurementRecord& record);
};
