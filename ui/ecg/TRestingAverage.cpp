#include "TRestingAverage.h"

#include "TAverageDecimator.h"
#include "TBeatAverager.h"
#include "TBeatStore.h"
#include "TRecordingBeatFinder.h"
#include "TRestingMeasurement.h"
#include "TSignalBuffer.h"

#include <algorithm>
#include <cmath>

namespace {

// Signal kept before the first beat averaged: more than a beat's segment reaches back.
constexpr double LeadSeconds = 3.0;

} // namespace

TRestingAverage::TRestingAverage(TSignalBuffer& recording, const TBeatStore& beats)
{
    const double end = recording.durationSeconds();
    int first = beats.next(end - TRestingMeasurement::AveragingSeconds - 1.0);
    if (first < 0)
        first = beats.count();
    const int step = TRecordingBeatFinder::analysisStep(recording);
    const double from = first < beats.count() ? beats.beat(first).time() - LeadSeconds : end;
    // The decimator starts on a whole analysis sample: each is the one the
    // recording's own analysis signal has there.
    const int start = std::clamp(int(std::floor(from * recording.samplingRate())), 0, std::max(0, recording.length()));
    const int page = std::max(1, recording.pageSize());
    TStreamOutput shape;
    shape.ringPages = (recording.length() - start) / step / page + 2;
    m_decimator = std::make_unique<TAverageDecimator>(step, shape);
    m_decimator->setSource(&recording, start);
    m_decimator->process();
    m_averager = std::make_unique<TBeatAverager>(m_decimator->output(), TRestingMeasurement::AveragingSeconds);
    for (int i = first; i < beats.count(); ++i)
        m_averager->addBeat(beats.beat(i));
}

TRestingAverage::~TRestingAverage() = default;

double TRestingAverage::rSeconds()
{
    const int rate = m_decimator->output()->samplingRate();
    return rate > 0 ? double(m_averager->rIndex()) / rate : 0.0;
}

void TRestingAverage::measureAmplitudes(TMeasurementRecord& record, int lead)
{
    if (m_averager->beatCount() == 0)
        return;
    const TSignalBuffer* signal = m_decimator->output();
    TRestingMeasurement::measureAmplitudes(record, m_averager->average(lead), signal->samplingRate(),
                                           m_averager->rIndex(), signal->valueStep());
}
