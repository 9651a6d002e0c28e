#include "TBeatMatcher.h"

#include <algorithm>
#include <vector>

namespace TBeatMatcher {

QVector<int> matchedReferences(const QVector<qint64>& reference, const QVector<qint64>& detected, qint64 window)
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
    QVector<int> matchOf(detected.size(), -1);
    for (const Pair& p : pairs) {
        if (referenceUsed[size_t(p.reference)] || matchOf[p.detected] >= 0)
            continue;
        referenceUsed[size_t(p.reference)] = true;
        matchOf[p.detected] = p.reference;
    }
    return matchOf;
}

TBeatMatch match(const QVector<qint64>& reference, const QVector<qint64>& detected, qint64 window)
{
    TBeatMatch result;
    for (int m : matchedReferences(reference, detected, window))
        result.truePositives += m >= 0 ? 1 : 0;
    result.falseNegatives = reference.size() - result.truePositives;
    result.falsePositives = detected.size() - result.truePositives;
    return result;
}

} // namespace TBeatMatcher
