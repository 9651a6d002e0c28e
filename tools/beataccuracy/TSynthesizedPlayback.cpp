#include "TSynthesizedPlayback.h"

#include "TLeadTable.h"
#include "TSignalChannel.h"

#include <algorithm>
#include <cmath>
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
        render(start, n, frames.data());
        m_raw.append(frames.data(), n * channels * int(sizeof(qint16)));
        m_path.process(true);
        if (afterBlock)
            afterBlock();
    }
    m_path.finish();
}

void TSynthesizedPlayback::render(qint64 start, int count, qint16* frames) const
{
    if (!m_disturbance) {
        m_synth.render(start, count, frames);
        return;
    }
    const int channels = TEcgSynthesizer::LeadCount;
    std::vector<double> mv(size_t(count) * channels);
    m_synth.renderMillivolts(start, count, mv.data());
    std::vector<double> column(static_cast<size_t>(count));
    const double step = m_synth.codeStepMv();
    for (int c = 0; c < channels; ++c) {
        for (int i = 0; i < count; ++i)
            column[size_t(i)] = mv[size_t(i) * channels + size_t(c)];
        m_disturbance(c, start, count, column.data());
        for (int i = 0; i < count; ++i)
            frames[size_t(i) * channels + size_t(c)] = qint16(std::clamp(std::round(column[size_t(i)] / step), -32768.0, 32767.0));
    }
}
