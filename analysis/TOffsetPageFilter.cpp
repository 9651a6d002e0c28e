#include "TOffsetPageFilter.h"

#include "TSampleConversion.h"
#include "TSignalBuffer.h"

#include <algorithm>
#include <cmath>

namespace {

double meanOf(const TSignalBuffer& source, int channel, int start, int count)
{
    if (count <= 0)
        return 0.0;
    std::vector<double> values(static_cast<size_t>(count));
    source.samples(channel, start, count, values.data());
    double sum = 0.0;
    for (double v : values)
        sum += v;
    return sum / count;
}

} // namespace

TOffsetPageFilter::TOffsetPageFilter(const TSignalBuffer& source) : m_fitLength(source.length())
{
    m_fits.reserve(size_t(source.channelCount()));
    for (int c = 0; c < source.channelCount(); ++c)
        m_fits.push_back(fitChannel(source, c));
}

TOffsetPageFilter::TOffsetPageFilter(std::vector<Fit> fits, int fitLength)
    : m_fits(std::move(fits)), m_fitLength(fitLength)
{
}

const TOffsetPageFilter::Fit& TOffsetPageFilter::fit(int channel) const
{
    static const Fit none;
    return channel >= 0 && channel < int(m_fits.size()) ? m_fits[size_t(channel)] : none;
}

TOffsetPageFilter::Fit TOffsetPageFilter::throughPoints(double x1, double y1, double x2, double y2, double x3,
                                                        double y3)
{
    Fit f;
    if (x1 < x2 && x2 < x3) {
        const double r = (x3 - x1) / (x2 - x1);
        f.a = (y3 - y1 - (y2 - y1) * r) / (x3 * x3 - x1 * x1 - (x2 * x2 - x1 * x1) * r);
        f.b = (y2 - y1) / (x2 - x1) - f.a * (x2 * x2 - x1 * x1) / (x2 - x1);
        f.c = y1 - f.b * x1 - f.a * x1 * x1;
    } else if (x1 < x3) {
        f.b = (y3 - y1) / (x3 - x1);
        f.c = y1 - f.b * x1;
    } else {
        f.c = y1;
    }
    return f;
}

TOffsetPageFilter::Fit TOffsetPageFilter::fitChannel(const TSignalBuffer& source, int channel)
{
    const int length = source.length();
    // The means cover 3 s at each end; a shorter signal is averaged as a whole
    // rather than together with zeros beyond its ends.
    const int n = std::min(source.index(3.0), length);
    if (n <= 0)
        return Fit();
    const double m1 = meanOf(source, channel, 0, n);
    const double m2 = meanOf(source, channel, length - n, n);
    const double x1 = n / 2.0;
    const double x2 = length / 2.0;
    const double x3 = length - n / 2.0;
    return throughPoints(x1, m1, x2, (m1 + m2) / 2.0, x3, m2);
}

void TOffsetPageFilter::filterPage(const TPageWindow& window, qint16* output) const
{
    const Fit& f = fit(window.channel);
    const int first = window.firstIndex();
    // Samples recorded after the fit keep the level the line had at its end:
    // extended further, the line would drift without bound on a long recording
    // and push the signal out of range.
    const double last = m_fitLength > 0 ? double(m_fitLength - 1) : 0.0;
    for (int i = 0; i < window.length; ++i) {
        const int index = first + i;
        if (index >= window.sourceLength) {
            output[i] = 0;
            continue;
        }
        output[i] = saturatingCode(window.values[i] - f.at(std::min(double(index), last)));
    }
}
