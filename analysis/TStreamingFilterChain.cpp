#include "TStreamingFilterChain.h"

#include "TFftBaselineFilter.h"
#include "TFilterDesigns.h"
#include "TFirStreamFilter.h"

TStreamingFilterChain::TStreamingFilterChain(TSignalBuffer* source)
    : m_source(source),
      m_notchType(TFilterDesigns::Notch50Hz),
      m_lowpassType(TFilterDesigns::Lowpass40Hz),
      m_baselineType(TFilterDesigns::BaselineFir)
{
    rebuild(false, false, false);
}

TStreamingFilterChain::~TStreamingFilterChain() = default;

TSignalBuffer* TStreamingFilterChain::output() const
{
    return m_stages.empty() ? m_source : m_stages.back()->output();
}

const TStreamFilter* TStreamingFilterChain::stage(int index) const
{
    return index >= 0 && index < stageCount() ? m_stages[size_t(index)].get() : nullptr;
}

void TStreamingFilterChain::addStage(std::unique_ptr<TStreamFilter> filter)
{
    TSignalBuffer* input = output();
    filter->setSource(input, input->length());
    m_stages.push_back(std::move(filter));
}

void TStreamingFilterChain::rebuild(bool notch, bool lowpass, bool baseline)
{
    m_stages.clear();
    m_notch = notch;
    m_lowpass = lowpass;
    m_baseline = baseline;
    const int rate = m_source->samplingRate();
    auto addFir = [this](const TFirTable* table) {
        if (table)
            addStage(std::make_unique<TFirStreamFilter>(table->values(), table->delay()));
    };

    addFir(TFilterDesigns::inputHighpassFir(rate));
    if (notch)
        addFir(TFilterDesigns::notchFir(rate, m_notchType));
    if (lowpass)
        addFir(TFilterDesigns::lowpassFir(rate, m_lowpassType));
    if (baseline) {
        if (m_baselineType == TFilterDesigns::BaselineFir)
            addFir(TFilterDesigns::baselineFir(rate));
        else if (m_baselineType == TFilterDesigns::BaselineFft)
            addStage(std::make_unique<TFftBaselineFilter>());
    }
}

void TStreamingFilterChain::process()
{
    for (const auto& stage : m_stages)
        stage->process();
}
