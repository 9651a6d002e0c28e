#include "TWavePointRefiner.h"

#include "TBeat.h"
#include "TSignalBuffer.h"

#include <algorithm>
#include <cmath>

namespace {

// Sample index of a time in seconds, rounded to the nearest sample.
int toSample(double seconds, int rate)
{
    const double v = seconds * rate + 0.5;
    if (!(std::fabs(v) < 1e9))
        return 0;
    return int(std::trunc(v));
}

} // namespace

const std::array<double, TWavePointRefiner::TapCount>& TWavePointRefiner::taps()
{
    static const std::array<double, TapCount> kernel = [] {
        const double half[TapCount / 2] = {0.0044187, 0.0050091, 0.0066567, 0.0093325, 0.0129581, 0.0174084,
                                           0.0225163, 0.0280805, 0.0338744, 0.0396563, 0.0451811, 0.0502114,
                                           0.0545289, 0.0579451, 0.0603098, 0.0615189};
        std::array<double, TapCount> k{};
        for (int i = 0; i < TapCount / 2; ++i) {
            k[size_t(i)] = half[i];
            k[size_t(TapCount - 1 - i)] = half[i];
        }
        return k;
    }();
    return kernel;
}

std::vector<double> TWavePointRefiner::smooth(const std::vector<double>& x)
{
    const int n = int(x.size());
    std::vector<double> y(x.size(), 0.0);
    if (n == 0)
        return y;
    const auto& h = taps();
    // A causal filter y[m] = sum h[k] x[m - k] read 15 samples late: output i is
    // sum h[k] x[i + 15 - k].
    for (int i = 0; i < n; ++i) {
        double sum = 0.0;
        for (int k = 0; k < TapCount; ++k) {
            const int j = std::clamp(i + 15 - k, 0, n - 1);
            sum += h[size_t(k)] * x[size_t(j)];
        }
        y[size_t(i)] = sum;
    }
    return y;
}

int TWavePointRefiner::turningPoint(const std::vector<double>& y, int centre, bool extremum)
{
    const int n = int(y.size());
    const int from = std::max(1, centre - SearchRadius);
    const int to = std::min(n - 2, centre + SearchRadius);
    for (int j = from; j <= to; ++j) {
        const double a = y[size_t(j - 1)], b = y[size_t(j)], c = y[size_t(j + 1)];
        if (b > a && b >= c)
            return j;
        if (extremum && b < a && b <= c)
            return j;
    }
    return -1;
}

void TWavePointRefiner::refine(TBeat& beat, const TSignalBuffer& raw)
{
    const int rate = raw.samplingRate();
    if (rate <= 0)
        return;
    const int start = toSample(beat.windowStart(), rate);
    const int length = toSample(beat.windowLength(), rate);
    // A window longer than a minute is no beat window: leave the beat as it is.
    if (length < 3 || length > 60 * rate)
        return;
    const int leads = std::min(beat.leadCount(), raw.channelCount());
    std::vector<double> x(size_t(length), 0.0);
    for (int lead = 0; lead < leads; ++lead) {
        bool any = false;
        for (int t = 1; t <= 5; ++t)
            any = any || beat.hasLeadValue(lead, t);
        if (!any)
            continue;
        raw.samples(lead, start, length, x.data());
        const std::vector<double> y = smooth(x);
        for (int t = 1; t <= 5; ++t) {
            if (!beat.hasLeadValue(lead, t))
                continue;
            const int own = toSample(beat.leadValue(lead, t), rate);
            const int found = turningPoint(y, own - start, t == 2 || t == 4);
            const int sample = found >= 0 ? start + found : own;
            beat.setLeadValue(lead, t, double(sample) / rate);
        }
    }
}
