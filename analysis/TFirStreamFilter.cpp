#include "TFirStreamFilter.h"

#include <algorithm>
#include <cmath>

namespace {

// Outputs computed per pass: bounds the scratch while a long backlog is worked off.
constexpr int Chunk = 4096;

} // namespace

TFirStreamFilter::TFirStreamFilter(std::vector<double> taps, int delay, TStreamOutput output, Rounding rounding)
    : TStreamFilter(output), m_kernel(std::move(taps)), m_delay(std::max(0, delay)), m_rounding(rounding)
{
}

void TFirStreamFilter::process()
{
    if (!m_source || !output())
        return;
    const int channels = m_source->channelCount();
    const int t = std::max(1, m_kernel.taps());
    m_outputs.resize(size_t(channels));
    std::vector<const double*> columns(static_cast<size_t>(channels));
    while (m_position < m_source->length() - m_delay) {
        const int count = std::min(Chunk, m_source->length() - m_delay - m_position);
        // Output p reads sources p + delay - (T - 1) .. p + delay.
        const int first = m_position + m_delay - (t - 1);
        m_inputs.resize(size_t(count + t - 1));
        for (int c = 0; c < channels; ++c) {
            std::vector<double>& out = m_outputs[size_t(c)];
            out.resize(size_t(count));
            m_source->samples(c, first, count + t - 1, m_inputs.data());
            m_kernel.apply(m_inputs.data(), count, out.data());
            if (m_rounding == Rounding::TruncateTowardZero)
                for (double& v : out)
                    v = std::trunc(v);
            columns[size_t(c)] = out.data();
        }
        appendOutput(columns.data(), count);
        m_position += count;
    }
}
