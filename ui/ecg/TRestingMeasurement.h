#pragma once

#include "TMeasurementRecord.h"

#include <QStringList>
#include <vector>

class TBeatAverager;
class TSignalBuffer;
class TStudy;
class TStudyRecorder;
class TStudyResults;

// The measurement of a resting ECG: the wave boundaries, mean RR, QRS axis and
// wave amplitudes of one lead's average beat, as the study's results keep them
// for the review window and the reports.
class TRestingMeasurement
{
public:
    // A resting ECG is measured on the average of every regular beat of its
    // recording; a longer recording than this on those of its last minutes.
    static constexpr double AveragingSeconds = 300.0;
    // A beat found after the recording lies this close to a beat found live
    // when both are the same.
    static constexpr double SameBeatSeconds = 0.1;

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
    // analysis finds and stores the last beats), and the recording is measured
    // (measureRecording) when anything was recorded.
    static void endRecording(TStudyRecorder& recorder, TStudy& study);
    // The beats the live detector gave while it was still learning the signal
    // (none, or beats without a mean RR interval) are found anew in the
    // finished recording and take their place before the study's other beats;
    // the average of every regular beat of the recording is measured into the
    // study's results. averagedBeats, when given, receives the number of beats
    // averaged. Throws TException when the early beats cannot be stored (the
    // measurement is taken all the same).
    static void measureRecording(TStudy& study, int* averagedBeats = nullptr);

    // The R wave's height in mV: the highest sample between QRS onset and end
    // above the sample at the onset; 0 when the QRS was not found.
    static double rAmplitude(const std::vector<double>& beat, int qrsOnset, int qrsEnd, bool found,
                             double millivoltsPerUnit);

    // The lead a recording is measured in automatically: lead II where it has
    // it, else -1 (the averager's reference lead).
    static int automaticLead(const TSignalBuffer* signal);

    static void store(const TMeasurementRecord& record, TStudyResults& results);
    static TMeasurementRecord load(const TStudyResults& results);
    // A stored measurement has a lead and its QRS onset and end; the P wave (none
    // in atrial fibrillation) and the T end may be missing.
    static bool isComplete(const TMeasurementRecord& record);
};
