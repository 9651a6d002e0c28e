#include "TAverageDecimator.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int Chunk = 4096; // outputs per pass

} // namespace

TAverageDecimator::TAverageDecimator(int step, TStreamOutput output)
    : TStreamFilter(output), m_requestedStep(std::max(1, step))
{
}

int TAverageDecimator::stepFor(int) const
{
    return m_requestedStep;
}

void TAverageDecimator::process()
{
    if (!m_source || !output())
        return;
    const int channels = m_source->channelCount();
    const int s = step();
    m_outputs.resize(size_t(channels));
    std::vector<const double*> columns(static_cast<size_t>(channels));
    while (m_position + s <= m_source->length()) {
        const int count = std::min(Chunk, (m_source->length() - m_position) / s);
        m_inputs.resize(size_t(count) * size_t(s));
        for (int c = 0; c < channels; ++c) {
            std::vector<double>& out = m_outputs[size_t(c)];
            out.resize(size_t(count));
            m_source->samples(c, m_position, int(m_inputs.size()), m_inputs.data());
            for (int j = 0; j < count; ++j) {
                double sum = 0.0;
                for (int k = 0; k < s; ++k)
                    sum += m_inputs[size_t(j * s + k)];
                out[size_t(j)] = std::trunc(sum / s);
            }
            columns[size_t(c)] = out.data();
        }
        appendOutput(columns.data(), count);
        m_position += count * s;
    }
}
