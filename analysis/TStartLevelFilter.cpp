#include "TStartLevelFilter.h"

#include <algorithm>

namespace {

constexpr int Chunk = 4096;

} // namespace

TStartLevelFilter::TStartLevelFilter(TStreamOutput output) : TStreamFilter(output) {}

void TStartLevelFilter::reset()
{
    m_levels.clear();
    m_haveLevels = false;
}

void TStartLevelFilter::process()
{
    if (!m_source || !output() || m_position >= m_source->length())
        return;
    const int channels = m_source->channelCount();
    if (!m_haveLevels) {
        m_levels.assign(size_t(channels), 0.0);
        for (int c = 0; c < channels; ++c)
            m_levels[size_t(c)] = m_source->sample(c, m_position);
        m_haveLevels = true;
    }
    m_outputs.resize(size_t(channels));
    std::vector<const double*> columns(static_cast<size_t>(channels));
    while (m_position < m_source->length()) {
        const int count = std::min(Chunk, m_source->length() - m_position);
        m_inputs.resize(size_t(count));
        for (int c = 0; c < channels; ++c) {
            m_source->samples(c, m_position, count, m_inputs.data());
            std::vector<double>& out = m_outputs[size_t(c)];
            out.resize(size_t(count));
            for (int i = 0; i < count; ++i)
                out[size_t(i)] = m_inputs[size_t(i)] - m_levels[size_t(c)];
            columns[size_t(c)] = out.data();
        }
        appendOutput(columns.data(), count);
        m_position += count;
    }
}

void TStartLevelFilter::hold(int count)
{
    TSignalBuffer* out = output();
    if (!out || count <= 0 || out->length() == 0)
        return;
    const int channels = out->channelCount();
    m_outputs.resize(size_t(channels));
    std::vector<const double*> columns(static_cast<size_t>(channels));
    for (int c = 0; c < channels; ++c) {
        double last = 0.0;
        out->samples(c, out->length() - 1, 1, &last);
        m_outputs[size_t(c)].assign(size_t(count), last);
        columns[size_t(c)] = m_outputs[size_t(c)].data();
    }
    appendOutput(columns.data(), count);
}
