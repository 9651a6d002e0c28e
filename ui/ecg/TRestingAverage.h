#pragma once

#include "TMeasurementRecord.h"

#include <memory>

class TAverageDecimator;
class TBeatAverager;
class TBeatStore;
class TSignalBuffer;

// The average beat a finished resting ECG is measured on: its beats of the
// last minutes, averaged on the recording at the analysis rate and without
// filters, as the recording's own measurement was taken when it stopped. The
// review's display filters change what is drawn, never what is measured: the
// 40 Hz low-pass takes a sixth off a dog's R wave, the baseline filter a
// quarter off a P wave.
//
// Only the stretch the average reaches is brought to the analysis rate.
class TRestingAverage
{
public:
    // The recording and the beats must outlive the average.
    TRestingAverage(TSignalBuffer& recording, const TBeatStore& beats);
    ~TRestingAverage();

    TRestingAverage(const TRestingAverage&) = delete;
    TRestingAverage& operator=(const TRestingAverage&) = delete;

    TBeatAverager& averager() { return *m_averager; }
    // Seconds from the average beat's start to its R.
    double rSeconds();
    // The P, QRS, T and R amplitudes of the lead's average beat at the wave
    // times of record; nothing changes when no beat was averaged.
    void measureAmplitudes(TMeasurementRecord& record, int lead);

private:
    std::unique_ptr<TAverageDecimator> m_decimator;
    std::unique_ptr<TBeatAverager> m_averager;
};
