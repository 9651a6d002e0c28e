#include "TTimeText.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace TTimeText {

namespace {

// Whole seconds of a time; 0 for none or a negative one, and a time too large
// for an int stays at a billion seconds.
int wholeSeconds(double seconds)
{
    return seconds > 0.0 ? int(std::min(seconds, 1e9)) : 0;
}

} // namespace

QString elapsed(double seconds)
{
    const int whole = wholeSeconds(seconds);
    return QString::asprintf("%2d:%2.2d", whole / 60, whole % 60);
}

QString eventTime(double seconds)
{
    const int whole = wholeSeconds(seconds);
    return QString::asprintf("%02d:%02d", whole / 60, whole % 60);
}

std::optional<double> parseEventTime(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^\\s*(\\d{1,4}):([0-5]\\d)\\s*$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1).toInt() * 60.0 + match.captured(2).toInt();
}

QString startTime(double seconds)
{
    // Tenths, counted so that 75.4 s stays 75.4 and does not become 75.39...
    const long tenths = seconds > 0.0 ? long(std::floor(std::min(seconds, 1e9) * 10.0 + 1e-6)) : 0;
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
