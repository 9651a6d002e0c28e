#include "TAnalysisPath.h"

#include "TAverageDecimator.h"
#include "TQrsDetector.h"
#include "TSignalBuffer.h"
#include "TStartLevelFilter.h"
#include "TStreamingFilterChain.h"

#include <algorithm>

namespace {

constexpr double CompleteQrsSeconds = 0.1;

TStreamOutput ringOf(const TSignalBuffer* source)
{
    TStreamOutput output;
    output.ringPages = std::max(1, TAnalysisPath::RingSamples / std::max(1, source->pageSize()));
    return output;
}

} // namespace

TAnalysisPath::TAnalysisPath(TSignalBuffer* raw, double startTime, double endTime)
{
    const int step = std::max(1, raw->samplingRate() / AnalysisRate);
    m_decimator = std::make_unique<TAverageDecimator>(step, ringOf(raw));
    m_decimator->setSource(raw, 0);
    m_startLevel = std::make_unique<TStartLevelFilter>(ringOf(raw));
    m_startLevel->setSource(m_decimator->output(), 0);
    m_chain = std::make_unique<TStreamingFilterChain>(m_startLevel->output());
    m_chain->rebuild(true, true, true);
    m_detector = std::make_unique<TQrsDetector>(m_chain->output(), startTime, endTime);
    m_detector->setUnfilteredSource(m_decimator->output());
}

TAnalysisPath::~TAnalysisPath() = default;

TSignalBuffer* TAnalysisPath::analysisSignal() const { return m_decimator->output(); }

TSignalBuffer* TAnalysisPath::detectorInput() const { return m_chain->output(); }

void TAnalysisPath::process(bool detect)
{
    m_decimator->process();
    m_startLevel->process();
    m_chain->process();
    if (!detect)
        return;
    const double analysed = analysisSignal()->durationSeconds();
    if (analysed >= m_detector->processedTime() + m_detector->delay() + 0.2)
        m_detector->process();
}

void TAnalysisPath::finish()
{
    process(false);
    // The centred filters hold back their last outputs until the samples after
    // them exist: the last level is held until the chain has given the output
    // of every real sample and a little beyond, which the search needs to close
    // the last complexes. No beat is taken from the held part, nor one whose
    // complex the recording does not hold whole (R within a QRS width of the end).
    TSignalBuffer* input = m_startLevel->output();
    const int end = input->length();
    const double endTime = input->durationSeconds() - CompleteQrsSeconds;
    const int margin = AnalysisRate / 2;
    const int maxHeld = 30 * AnalysisRate;
    for (int held = 0; m_chain->output()->length() < end + margin && held < maxHeld; held += AnalysisRate / 4) {
        m_startLevel->hold(AnalysisRate / 4);
        m_chain->process();
    }
    m_detector->finish(endTime);
}
