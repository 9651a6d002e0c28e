#include "TPagedFilterChain.h"

#include "TException.h"
#include "TFilterDesigns.h"
#include "TFirPageFilter.h"
#include "TIirPageFilter.h"
#include "TOffsetPageFilter.h"

TPagedFilterChain::TPagedFilterChain(TSignalBuffer* source)
    : m_source(source), m_notchType(TFilterDesigns::Notch50Hz), m_lowpassType(TFilterDesigns::Lowpass40Hz)
{
    rebuild(false, false, false);
}

TPagedFilterChain::~TPagedFilterChain()
{
    clear();
}

void TPagedFilterChain::clear()
{
    // Last first: each view unregisters from the one before it.
    while (!m_stages.empty())
        m_stages.pop_back();
}

TSignalBuffer* TPagedFilterChain::output() const
{
    return m_stages.empty() ? m_source : m_stages.back().get();
}

const TFilterView* TPagedFilterChain::stage(int index) const
{
    return index >= 0 && index < stageCount() ? m_stages[size_t(index)].get() : nullptr;
}

void TPagedFilterChain::addStage(std::unique_ptr<TPageFilter> filter)
{
    m_stages.push_back(std::make_unique<TFilterView>(output(), std::move(filter)));
}

void TPagedFilterChain::rebuild(bool notch, bool lowpass, bool baseline)
{
    clear();
    m_notch = notch;
    m_lowpass = lowpass;
    m_baseline = baseline;
    const int rate = m_source->samplingRate();

    addStage(std::make_unique<TOffsetPageFilter>(*m_source));
    if (auto design = TFilterDesigns::inputHighpassIir(rate))
        addStage(std::make_unique<TIirPageFilter>(*design));

    if (notch && (rate == 500 || rate == 1000)) {
        if (m_notchType != TFilterDesigns::Notch50Hz)
            throw TException("pendiente - filtro no definido");
        addStage(std::make_unique<TIirPageFilter>(*TFilterDesigns::notchIir(rate)));
    }

    // A rate or type without a lowpass table adds no stage: the signal is shown
    // unfiltered rather than blanked.
    if (lowpass) {
        if (const TFirTable* table = TFilterDesigns::lowpassFir(rate, m_lowpassType))
            addStage(std::make_unique<TFirPageFilter>(table->values(), table->delay()));
    }

    if (baseline) {
        if (auto design = TFilterDesigns::baselineIir(rate))
            addStage(std::make_unique<TIirPageFilter>(*design));
    }
}
