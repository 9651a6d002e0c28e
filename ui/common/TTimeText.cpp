#include "TTimeText.h"

#include <algorithm>
#include <cmath>

namespace TTimeText {

QString elapsed(double seconds)
{
    const int whole = seconds > 0.0 ? int(seconds) : 0;
    return QString::asprintf("%2d:%2.2d", whole / 60, whole % 60);
}

QString eventTime(double seconds)
{
    const int whole = seconds > 0.0 ? int(seconds) : 0;
    return QString::asprintf("%02d:%02d", whole / 60, whole % 60);
}

QString startTime(double seconds)
{
    // Tenths, counted so that 75.4 s stays 75.4 and does not become 75.39...
    const long tenths = seconds > 0.0 ? long(std::floor(seconds * 10.0 + 1e-6)) : 0;
    const int whole = int(tenths / 10);
    return QString::asprintf("%02d:%02d.%d", whole / 60, whole % 60, int(tenths % 10));
}

QString heartRate(double rrSeconds)
{
    if (!(rrSeconds > 0.0))
        return QString();
    const int rate = int(60.0 / rrSeconds);
    return rate > 0 ? QString::number(rate) : QString();
}

bool rateIsStale(double secondsSinceLastBeat, double lastRRSeconds)
{
    const double rr = std::isfinite(lastRRSeconds) ? lastRRSeconds : 0.0;
    return !(secondsSinceLastBeat >= 0.0) || secondsSinceLastBeat > std::max(StaleRateSeconds, 2.0 * rr);
}

QString liveHeartRate(double meanRRSeconds, double lastRRSeconds, double secondsSinceLastBeat)
{
    const QString rate = heartRate(meanRRSeconds);
    if (rate.isEmpty() || rateIsStale(secondsSinceLastBeat, lastRRSeconds))
        return QStringLiteral("---");
    return rate;
}

} // namespace TTimeText
