#include "WaveAmplitudes.h"

#include <algorithm>
#include <cmath>

WaveAmplitudes WaveAmplitudes::measure(const std::vector<double>& beat, double millivoltsPerUnit,
                                       const std::array<int, PointCount>& rawIndex,
                                       const std::array<bool, PointCount>& enabled)
{
    WaveAmplitudes result;
    const int m = int(beat.size());
    if (m == 0)
        return result;
    auto index = [&](Point p) { return std::clamp(rawIndex[size_t(p)], 0, m - 1); };
    auto on = [&](Point p) { return enabled[size_t(p)]; };
    // The largest deviation from base within [from, to], with its sign.
    auto deviation = [&](int from, int to, double base) {
        int peak = from;
        for (int i = from; i <= to; ++i)
            if (std::abs(beat[size_t(i)] - base) > std::abs(beat[size_t(peak)] - base))
                peak = i;
        return Wave{true, (beat[size_t(peak)] - base) * millivoltsPerUnit, peak, beat[size_t(peak)]};
    };

    // P: from its onset to its end (or to the QRS onset), against the level at its onset.
    if (on(POn)) {
        const int from = index(POn);
        const int to = on(POff) && index(POff) > from ? index(POff) : on(QrsOn) ? index(QrsOn) : from;
        if (to > from)
            result.p = deviation(from, to, beat[size_t(from)]);
    }
    // QRS: peak to peak between its onset and end.
    if (on(QrsOn) && on(QrsOff) && index(QrsOff) > index(QrsOn)) {
        int low = index(QrsOn);
        int high = low;
        for (int i = index(QrsOn); i <= index(QrsOff); ++i) {
            if (beat[size_t(i)] < beat[size_t(low)])
                low = i;
            if (beat[size_t(i)] > beat[size_t(high)])
                high = i;
        }
        result.qrs = Wave{true, (beat[size_t(high)] - beat[size_t(low)]) * millivoltsPerUnit, high, beat[size_t(high)]};
    }
    // T: after the QRS (or from the T onset) to its end, against the isoelectric
    // level at the QRS onset.
    if (on(TOff) && (on(TOn) || on(QrsOff))) {
        const int from = on(TOn) ? index(TOn) : index(QrsOff);
        const int to = index(TOff);
        const double base = on(QrsOn) ? beat[size_t(index(QrsOn))] : beat[size_t(from)];
        if (to > from)
            result.t = deviation(from, to, base);
    }
    return result;
}
