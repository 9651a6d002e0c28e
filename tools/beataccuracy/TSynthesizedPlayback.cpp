#include "TSynthesizedPlayback.h"

#include "TLeadTable.h"
#include "TSignalChannel.h"

#include <algorithm>
#include <vector>

namespace {

// The raw buffer with the recorder's range set, before the analysis path copies it.
TIntSignalBuffer* withGain(TIntSignalBuffer* raw, double gainMv)
{
    raw->setGain(-gainMv, gainMv);
    for (int c = 0; c < raw->channelCount(); ++c)
        raw->channel(c)->setName(TLeadTable::leadName(c));
    return raw;
}

} // namespace

TSynthesizedPlayback::TSynthesizedPlayback(const TSynthParams& params)
    : m_synth(params), m_raw(4096, TAnalysisPath::RingSamples, TEcgSynthesizer::LeadCount, params.samplingRate),
      m_path(withGain(&m_raw, params.gainMv))
{
}

void TSynthesizedPlayback::play(const std::function<void()>& afterBlock)
{
    const int channels = TEcgSynthesizer::LeadCount;
    std::vector<qint16> frames(size_t(BlockFrames) * channels);
    for (qint64 start = 0; start < m_synth.frameCount(); start += BlockFrames) {
        const int n = int(std::min<qint64>(BlockFrames, m_synth.frameCount() - start));
        m_synth.render(start, n, frames.data());
        m_raw.append(frames.data(), n * channels * int(sizeof(qint16)));
        m_path.process(true);
        if (afterBlock)
            afterBlock();
    }
    m_path.finish();
}
