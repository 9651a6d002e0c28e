#pragma once

#include <QString>

// The heart-rate training zones of a stress test: the maximum, (220 for a
// male, else 210) - age, and the sub-maximal rate, a percentage of it
// truncated toward zero. An age that is not a number counts as 0.
struct TTrainingZones
{
    int maximum = 0;
    int subMaximal = 0;

    static constexpr int DefaultSubmaxPercent = 85;

    static TTrainingZones of(const QString& age, bool male, int submaxPercent = DefaultSubmaxPercent)
    {
        bool ok = false;
        const int years = age.trimmed().toInt(&ok);
        TTrainingZones zones;
        zones.maximum = (male ? 220 : 210) - (ok ? years : 0);
        zones.subMaximal = zones.maximum * submaxPercent / 100;
        return zones;
    }
};
