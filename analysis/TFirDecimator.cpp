#include "TFirDecimator.h"

#include "TFilterDesigns.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int Chunk = 4096; // outputs per pass

} // namespace

TFirDecimator::TFirDecimator(TStreamOutput output) : TFirDecimator(TFilterDesigns::decimationFir().values(), output)
{
}

TFirDecimator::TFirDecimator(std::vector<double> taps, TStreamOutput output)
    : TStreamFilter(output), m_kernel(std::move(taps)), m_delay(m_kernel.taps() / 2)
{
}

int TFirDecimator::stepFor(int sourceRate) const
{
    return sourceRate == 1000 ? 2 : 1;
}

void TFirDecimator::process()
{
    if (!m_source || !output())
        return;
    const int channels = m_source->channelCount();
    const int s = step();
    const int t = std::max(1, m_kernel.taps());
    m_outputs.resize(size_t(channels));
    std::vector<const double*> columns(static_cast<size_t>(channels));
    // An output at position p needs the source up to p + delay + step.
    const int end = m_source->length() - m_delay - s;
    while (m_position < end) {
        const int count = std::min(Chunk, (end - m_position + s - 1) / s);
        for (int c = 0; c < channels; ++c) {
            std::vector<double>& out = m_outputs[size_t(c)];
            out.resize(size_t(count));
            if (s < 2) {
                m_source->samples(c, m_position, count, out.data());
            } else {
                const int first = m_position + m_delay - (t - 1);
                m_inputs.resize(size_t((count - 1) * s + t));
                m_source->samples(c, first, int(m_inputs.size()), m_inputs.data());
                m_kernel.applyStrided(m_inputs.data(), count, s, out.data());
                for (double& v : out)
                    v = std::trunc(v);
            }
            columns[size_t(c)] = out.data();
        }
        appendOutput(columns.data(), count);
        m_position += count * s;
    }
}
