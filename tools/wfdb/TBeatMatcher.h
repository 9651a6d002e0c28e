#pragma once

#include <QVector>
#include <QtGlobal>

// Beat-by-beat comparison of detected beats with reference annotations: a
// detection matches a reference beat within the matching window, each of either
// used at most once, closest pairs first.
struct TBeatMatch
{
    int truePositives = 0;
    int falseNegatives = 0;
    int falsePositives = 0;

    double sensitivity() const
    {
        const int n = truePositives + falseNegatives;
        return n > 0 ? 100.0 * truePositives / n : 100.0;
    }
    double positivePredictivity() const
    {
        const int n = truePositives + falsePositives;
        return n > 0 ? 100.0 * truePositives / n : 100.0;
    }
    TBeatMatch& operator+=(const TBeatMatch& other)
    {
        truePositives += other.truePositives;
        falseNegatives += other.falseNegatives;
        falsePositives += other.falsePositives;
        return *this;
    }
};

namespace TBeatMatcher {

// Both lists sorted, in the same time unit as window.
TBeatMatch match(const QVector<qint64>& reference, const QVector<qint64>& detected, qint64 window);
// The same matching: per detected beat the index of its reference beat, or -1.
QVector<int> matchedReferences(const QVector<qint64>& reference, const QVector<qint64>& detected, qint64 window);

} // namespace TBeatMatcher
