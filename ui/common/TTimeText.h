#pragma once

#include <QString>

#include <optional>

// The time texts of the ECG windows.
namespace TTimeText {

// Whole seconds as "%2d:%2.2d": " 0:05", "12:03".
QString elapsed(double seconds);
// "%02d:%02d": an event's position in the event list.
QString eventTime(double seconds);
// A time typed in the event list: "mm:ss" or "m:ss" (up to four digits of
// minutes, seconds 00 to 59, blanks around it allowed), in seconds; none for any
// other text.
std::optional<double> parseEventTime(const QString& text);
// "%02d:%02d.%d" with tenths: where a report starts.
QString startTime(double seconds);
// trunc(60 / rr) as text, or empty when rr gives no rate.
QString heartRate(double rrSeconds);

// A live heart rate stands only while beats come: after no beat for the longer
// of 3 s and twice the last RR (electrode off, asystole) it is no rate at all.
constexpr double StaleRateSeconds = 3.0;
bool rateIsStale(double secondsSinceLastBeat, double lastRRSeconds);
// The monitor's heart rate: trunc(60 / mean RR), or "---" when there is no beat
// yet (secondsSinceLastBeat below 0) or the rate is stale.
QString liveHeartRate(double meanRRSeconds, double lastRRSeconds, double secondsSinceLastBeat);

} // namespace TTimeText
