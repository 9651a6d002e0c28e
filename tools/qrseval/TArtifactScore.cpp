#include "TArtifactScore.h"

#include <algorithm>
#include <algorithm>
#include <cmath>

namespace {

bool inside(qint64 sample, double rate, double start, double end)
{
    const double t = sample / rate;
    return t >= start && t <= end;
}

} // namespace

TArtifactScore::Result TArtifactScore::score(const QVector<qint64>& reference, const QVector<qint64>& detected,
                                             double rate, const TArtifactInjection& injection, qint64 window)
{
    Result result;
    const auto& events = injection.events();
    const auto disturbed = [&](qint64 sample) {
        for (const auto& e : events)
            if (inside(sample, rate, e.start - Margin, e.end + Margin))
                return true;
        return false;
    };
    QVector<qint64> referenceOutside, detectedOutside;
    for (qint64 r : reference)
        if (!disturbed(r))
            referenceOutside.append(r);
    for (qint64 d : detected)
        if (!disturbed(d))
            detectedOutside.append(d);
    result.outside = TBeatMatcher::match(referenceOutside, detectedOutside, window);

    const QVector<int> matchOf = TBeatMatcher::matchedReferences(reference, detected, window);
    for (int k = 0; k < events.size(); ++k) {
        const auto& e = events[k];
        const double next = k + 1 < events.size() ? events[k + 1].start : 1e300;
        Recovery recovery;
        recovery.kind = e.kind;
        recovery.allChannels = injection.disturbsAll(e);
        recovery.duration = e.end - e.start;
        // Where the heart gives no beat to find soon after (a pause, a
        // stretch of flutter left out of the scoring), there is nothing to
        // recover to.
        const auto firstBeat = std::lower_bound(reference.begin(), reference.end(), qint64(std::ceil(e.end * rate)));
        if (firstBeat == reference.end() || *firstBeat / rate > e.end + NoBeatSeconds || *firstBeat / rate >= next) {
            recovery.noBeat = true;
            result.recoveries.append(recovery);
            continue;
        }
        for (int d = 0; d < detected.size(); ++d) {
            const double t = detected[d] / rate;
            if (matchOf[d] < 0 || reference[matchOf[d]] / rate < e.end)
                continue;
            if (t >= next)
                break;
            recovery.seconds = std::max(0.0, t - e.end);
            break;
        }
        if (recovery.allChannels)
            for (int d = 0; d < detected.size(); ++d)
                if (matchOf[d] < 0 && inside(detected[d], rate, e.start, e.end))
                    ++recovery.invented;
        result.invented += recovery.invented;
        result.recoveries.append(recovery);
    }
    return result;
}
