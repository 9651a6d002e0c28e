#include "TFftBaselineFilter.h"

#include <kiss_fft.h>

#include <algorithm>
#include <cmath>

static_assert(sizeof(kiss_fft_cpx) == 2 * sizeof(float), "kissfft built for float");

TFftBaselineFilter::TFftBaselineFilter(TStreamOutput output)
    : TStreamFilter(output),
      m_forward(kiss_fft_alloc(WindowSize, 0, nullptr, nullptr)),
      m_inverse(kiss_fft_alloc(WindowSize, 1, nullptr, nullptr)),
      m_window(size_t(WindowSize), 0.0),
      m_spectrum(size_t(2 * WindowSize), 0.0f),
      m_time(size_t(2 * WindowSize), 0.0f)
{
}

TFftBaselineFilter::~TFftBaselineFilter()
{
    kiss_fft_free(m_forward);
    kiss_fft_free(m_inverse);
}

void TFftBaselineFilter::reset()
{
    m_firstWindow = true;
}

void TFftBaselineFilter::filterWindow(const double* window, double* out)
{
    // Scaled into [-1, 1) for the single-precision transform.
    const float scale = 1.0f / 32768.0f;
    for (int i = 0; i < WindowSize; ++i) {
        m_time[size_t(2 * i)] = float(window[i]) * scale;
        m_time[size_t(2 * i + 1)] = 0.0f;
    }
    auto* time = reinterpret_cast<kiss_fft_cpx*>(m_time.data());
    auto* spectrum = reinterpret_cast<kiss_fft_cpx*>(m_spectrum.data());
    kiss_fft(m_forward, time, spectrum);
    for (int bin : {0, 1, WindowSize - 2, WindowSize - 1})
        spectrum[bin].r = spectrum[bin].i = 0.0f;
    kiss_fft(m_inverse, spectrum, time);
    // The inverse is not normalised: 1/32768 in, x1024 from the transform, x32 out.
    for (int i = 0; i < OutputBlock; ++i)
        out[i] = std::trunc(double(time[OutputOffset + i].r) * 32.0);
}

void TFftBaselineFilter::process()
{
    if (!m_source || !output() || !m_forward || !m_inverse)
        return;
    const int channels = m_source->channelCount();
    m_outputs.resize(size_t(channels));
    std::vector<const double*> columns(static_cast<size_t>(channels));
    // The window whose middle block starts at the position begins 480 samples
    // earlier; it is complete once its last sample has arrived.
    while (m_position - OutputOffset + WindowSize <= m_source->length()) {
        const int windowStart = m_position - OutputOffset;
        for (int c = 0; c < channels; ++c) {
            if (m_firstWindow) {
                // The first window is filled from its middle: what lies before the
                // first sample filtered counts as zero.
                std::fill(m_window.begin(), m_window.begin() + OutputOffset, 0.0);
                m_source->samples(c, m_position, WindowSize - OutputOffset, m_window.data() + OutputOffset);
            } else {
                m_source->samples(c, windowStart, WindowSize, m_window.data());
            }
            std::vector<double>& out = m_outputs[size_t(c)];
            out.resize(size_t(OutputBlock));
            filterWindow(m_window.data(), out.data());
            columns[size_t(c)] = out.data();
        }
        appendOutput(columns.data(), OutputBlock);
        m_position += OutputBlock;
        m_firstWindow = false;
    }
}
