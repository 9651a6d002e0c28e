#include "TAnalysisPath.h"

#include "TAverageDecimator.h"
#include "TQrsDetector.h"
#include "TSignalBuffer.h"
#include "TStartLevelFilter.h"
#include "TStreamingFilterChain.h"

#include <algorithm>

namespace {

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
    m_detector->finish();
}
