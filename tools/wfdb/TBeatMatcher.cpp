#include "TBeatMatcher.h"

#include <algorithm>
#include <vector>

namespace TBeatMatcher {

TBeatMatch match(const QVector<qint64>& reference, const QVector<qint64>& detected, qint64 window)
{
    struct Pair
    {
        qint64 distance;
        int reference;
        int detected;
    };
    std::vector<Pair> pairs;
    int start = 0;
    for (int r = 0; r < reference.size(); ++r) {
        while (start < detected.size() && detected[start] < reference[r] - window)
            ++start;
        for (int d = start; d < detected.size() && detected[d] <= reference[r] + window; ++d)
            pairs.push_back({qAbs(detected[d] - reference[r]), r, d});
    }
    std::stable_sort(pairs.begin(), pairs.end(), [](const Pair& a, const Pair& b) { return a.distance < b.distance; });
    std::vector<bool> referenceUsed(size_t(reference.size()), false);
    std::vector<bool> detectedUsed(size_t(detected.size()), false);
    TBeatMatch result;
    for (const Pair& p : pairs) {
        if (referenceUsed[size_t(p.reference)] || detectedUsed[size_t(p.detected)])
            continue;
        referenceUsed[size_t(p.reference)] = detectedUsed[size_t(p.detected)] = true;
        ++result.truePositives;
    }
    result.falseNegatives = reference.size() - result.truePositives;
    result.falsePositives = detected.size() - result.truePositives;
    return result;
}

} // namespace TBeatMatcher
