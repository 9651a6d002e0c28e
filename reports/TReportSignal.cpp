#include "TReportSignal.h"

#include "StoredAverageBeats.h"
#include "TBeatAverager.h"
#include "TBeatStore.h"
#include "TPagedFilterChain.h"
#include "TSignalBuffer.h"

#include <algorithm>

TReportSignal::TReportSignal(TSignalBuffer* recording, const TBeatStore* beats, bool notch, bool lowpass, bool baseline)
    : m_beats(beats), m_baseline(baseline)
{
    // The recording is complete, its last partial page included, whoever handed
    // over the study (the store and the recorder see to it; a study made in
    // memory may not): the traces must not stop at the last whole page.
    recording->releaseUnusedPages(true);
    m_chain = std::make_unique<TPagedFilterChain>(recording);
    m_chain->setNotchType("50hz");
    m_chain->setLowpassType("40hz");
    m_chain->rebuild(notch, lowpass, baseline);
}

TReportSignal::~TReportSignal() = default;

const TSignalBuffer& TReportSignal::filtered() const
{
    return *m_chain->output();
}

double TReportSignal::durationSeconds() const
{
    return filtered().durationSeconds();
}

const StoredAverageBeats* TReportSignal::averageBeats(double fromSeconds)
{
    if (m_averageFrom == fromSeconds)
        return m_averageValid ? m_average.get() : nullptr;
    m_averageFrom = fromSeconds;
    m_averageValid = false;
    const TSignalBuffer& signal = filtered();
    if (!m_beats || m_beats->count() == 0 || signal.samplingRate() <= 0)
        return nullptr;
    const double from = std::max(0.0, std::min(fromSeconds, durationSeconds() - AveragingSeconds));
    TBeatAverager averager(&signal, AveragingSeconds);
    const int firstBeat = m_beats->next(from - 1e-9);
    for (int i = firstBeat; i >= 0 && i < m_beats->count(); ++i) {
        const TBeat beat = m_beats->beat(i);
        if (beat.time() > from + AveragingSeconds)
            break;
        averager.addBeat(beat);
    }
    if (averager.beatCount() == 0)
        return nullptr;
    m_average =
        std::make_unique<StoredAverageBeats>(averager.templateLength(), signal.samplingRate(), signal.valueStep(),
                                             averager.rIndex());
    for (int lead = 0; lead < std::min(signal.channelCount(), int(StoredAverageBeats::MaxLeads)); ++lead) {
        m_average->setAverageBeat(lead, averager.average(lead));
        if (const TSignalChannel* channel = signal.channel(lead))
            m_average->setLeadName(lead, channel->name());
    }
    m_average->setMeanRRInterval(averager.meanRR());
    m_averageValid = true;
    return m_average.get();
}
